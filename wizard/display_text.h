#pragma once
// Texts of labels and message boxes separate their lines with a lone CR (character 13), as the
// program's own texts and "text.cfg" do. Toolkits want their own line break.

#include <string>

namespace tamberlin {

/// `text` with every CR, CR LF or lone LF replaced by `lineBreak` ("\n" for Qt, "\r\n" for Win32).
std::string withLineBreaks(const std::string& text, const std::string& lineBreak);

}  // namespace tamberlin
