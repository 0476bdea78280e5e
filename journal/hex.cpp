#include "journal/hex.h"

namespace tamberlin::journal {
namespace {

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string hexOf(const void* data, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  const auto* p = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
  }
  return out;
}

bool parseHex(const std::string& hex, void* out, std::size_t n) {
  if (hex.size() != 2 * n) return false;
  auto* p = static_cast<unsigned char*>(out);
  for (std::size_t i = 0; i < n; ++i) {
    int hi = digitValue(hex[2 * i]), lo = digitValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    p[i] = static_cast<unsigned char>(hi << 4 | lo);
  }
  return true;
}

}  // namespace tamberlin::journal
