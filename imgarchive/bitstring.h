#pragma once
// Every 32-bit archive field is defined through bit strings: NumToBin and BinToNum give the
// exact rules; decodeField and encodeField (codec.h) give the same results directly.

#include <cstdint>
#include <string>

namespace tamberlin {

/// The binary digits of `value`, most significant first, at least 8 of them; "00000000" for 0
/// and for every negative value.
std::string NumToBin(const std::int32_t& value);

/// The value of a string of binary digits: every "1" at position i of n adds 2^(n-i); any other
/// character adds nothing. Exact up to 53 digits.
double BinToNum(const std::string& bits);

}  // namespace tamberlin
