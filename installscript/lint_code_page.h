#pragma once
// What lint says about the code page a mod's 8-bit files are read in: a file saved as UTF-8
// reads as other characters, and a character the code page lacks cannot be saved at all.

#include <string>

namespace tamberlin {

/// "code page 1251": the code page in use, as lint names it.
std::string codePageText();

/// True when `bytes` are UTF-8 with characters beyond ASCII (a leading byte order mark aside)
/// and the code page in use is not UTF-8: the file was saved as UTF-8 and reads as other
/// characters.
bool savedAsUtf8(const std::string& bytes);

/// The first word of the UTF-8 `line` with characters beyond ASCII, as written and as the code
/// page reads its bytes: "\"Привет\" reads as \"РџСЂРёРІРµС‚\"". Empty for an ASCII line.
std::string misreadWord(const std::string& line);

/// True when every byte is valid UTF-8.
bool isUtf8(const std::string& bytes);

}  // namespace tamberlin
