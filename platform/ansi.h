#pragma once
// Text files are 8-bit text in the ANSI code page (Windows-1252). Inside the program text is
// UTF-8; these convert at the edges, through the platform's own converter.

#include <string>

namespace tamberlin {

/// Decodes Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined map to
/// the control characters of the same value, as Windows does.
std::string ansiToUtf8(const std::string& ansi);

/// Encodes UTF-8 to Windows-1252 bytes; a character the code page lacks becomes "?".
std::string utf8ToAnsi(const std::string& utf8);

/// Decodes UTF-8 to wide characters (invalid bytes are taken as Windows-1252).
std::wstring utf8ToWide(const std::string& utf8);

}  // namespace tamberlin
