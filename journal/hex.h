#pragma once
// Bytes as lowercase hex digits and back, for the journal's text records.

#include <cstddef>
#include <string>

namespace tamberlin::journal {

std::string hexOf(const void* data, std::size_t n);
inline std::string hexOf(const std::string& bytes) {
  return hexOf(bytes.data(), bytes.size());
}
/// Parses exactly 2 * `n` hex digits (either case) into `out`; false for anything else.
bool parseHex(const std::string& hex, void* out, std::size_t n);

}  // namespace tamberlin::journal
