#pragma once
// UTF-16 text at the edge of the Windows API. Inside the program text is UTF-8.

#include <string>

namespace tamberlin {

/// Encodes UTF-16 text (as the Windows API returns it) to UTF-8.
std::string wideToUtf8(const std::wstring& wide);

}  // namespace tamberlin
