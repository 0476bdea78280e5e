#pragma once
// UTF-8, the program's text inside: the few helpers the code page conversions share.

#include <cstddef>
#include <string>

namespace tamberlin {

/// Length of the UTF-8 sequence starting at s[i] (1 to 4), or 0 when none starts there.
std::size_t utf8Length(const std::string& s, std::size_t i);

/// The code point of the `n`-byte sequence at s[i] (n from utf8Length, at least 1).
unsigned utf8CodePoint(const std::string& s, std::size_t i, std::size_t n);

/// Appends code point `cp` as UTF-8.
void appendUtf8(std::string& out, unsigned cp);

/// True when every byte is below 0x80: the same text in UTF-8 and in every ANSI code page.
bool isAscii(const std::string& s);

}  // namespace tamberlin
