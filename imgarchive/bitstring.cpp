#include "imgarchive/bitstring.h"

#include <cmath>

#include "platform/runtime_error.h"

namespace tamberlin {

std::string NumToBin(const std::int32_t& value) {
  // Halving with truncation toward zero: the binary digits of a positive value; nothing for
  // zero or a negative one.
  std::string s;
  for (std::int64_t v = value; v > 0; v /= 2) s.insert(s.begin(), v % 2 == 1 ? '1' : '0');
  if (s.empty()) s = "0";
  if (s.size() < 8) s.insert(0, 8 - s.size(), '0');
  return s;
}

double BinToNum(const std::string& bits) {
  double sum = 0;
  const std::size_t n = bits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (bits[i] == '1') sum += std::ldexp(1.0, static_cast<int>(n - 1 - i));
  }
  return sum;
}

}  // namespace tamberlin
