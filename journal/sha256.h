#pragma once
// SHA-256 (FIPS 180-4), fed in pieces. Small and self-contained: the Windows build links no
// library beyond the system's own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tamberlin::journal {

using Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t n);
  void update(const std::string& bytes) { update(bytes.data(), bytes.size()); }
  /// `n` zero bytes.
  void zeros(std::uint64_t n);
  /// The digest of everything fed; the object is spent afterwards.
  Digest finish();

 private:
  void block(const std::uint8_t* p);

  std::array<std::uint32_t, 8> h_;
  std::array<std::uint8_t, 64> buf_{};
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

/// 64 lowercase hex digits.
std::string toHex(const Digest& d);
/// Parses 64 hex digits (either case); false for anything else.
bool fromHex(const std::string& hex, Digest& out);

Digest sha256(const std::string& bytes);

}  // namespace tamberlin::journal
