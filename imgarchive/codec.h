#pragma once
// The archive's bytes to values and back: the header, the entry count and the 32-byte records.
// Nothing else in the engine reads or assembles a field. Bytes come from files and are
// untrusted, so every decode goes through a bounds-checked cursor.

#include <array>
#include <cstddef>
#include <cstdint>

#include "imgarchive/format.h"

namespace tamberlin {

/// A little-endian cursor over bytes read from a file. A read past the end yields zeros and sets
/// the failure flag, which stays set: a caller decodes a whole structure, then checks ok() once.
class ByteCursor {
 public:
  ByteCursor(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  std::uint16_t u16();
  std::uint32_t u32();
  /// Copies `n` bytes out (zeros past the end).
  void bytes(void* out, std::size_t n);

  bool ok() const { return ok_; }
  std::size_t offset() const { return at_; }

 private:
  /// The next `n` bytes, or nullptr (setting the flag) when fewer are left.
  const unsigned char* take(std::size_t n);

  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

using RecordBytes = std::array<unsigned char, kRecordSize>;
static_assert(sizeof(RecordBytes) == 32, "a directory record is 32 bytes");
using HeaderBytes = std::array<unsigned char, kHeaderSize>;

struct Header {
  bool magicOk = false;     ///< begins with "VER2"
  std::uint32_t count = 0;  ///< the entry count as stored (unsigned)
};

/// A record as stored, unsigned and uninterpreted.
struct RawRecord {
  std::uint32_t offset = 0;
  std::uint16_t streamingSize = 0;  ///< bytes 4-5
  std::uint16_t archiveSize = 0;    ///< bytes 6-7
  std::array<char, kNameSize> name{};

  /// The size in sectors as the game reads it: bytes 6-7 when they are not zero, else 4-5.
  /// (Tools that fill both halves are read right; a 32-bit size of 65,536 or more cannot be.)
  std::uint32_t sectors() const { return archiveSize != 0 ? archiveSize : streamingSize; }
};

Header decodeHeader(ByteCursor& in);
RawRecord decodeRawRecord(ByteCursor& in);

/// Fills offset, size and fileName of `e` from a record (dirPos is left alone). Throws
/// RuntimeError 6 (Overflow) when the offset is 2^31 or more.
void decodeRecord(ByteCursor& in, IMGEntry& e);

/// The header of an archive of `count` entries.
HeaderBytes encodeHeader(std::int32_t count);
/// The record's bytes: offset, the size in bytes 4-5 with 0 in bytes 6-7 (a size below 65,536
/// sectors written as one 32-bit field), then the 24 name bytes as held.
RecordBytes encodeRecord(const IMGEntry& e);

/// The little-endian field b[0..3] as a signed 32-bit value. Throws RuntimeError 6 (Overflow)
/// when the field is 2^31 or more.
std::int32_t decodeField(const unsigned char* b);
/// Writes `value` as a little-endian field into b[0..3]; a negative value gives four zero bytes.
void encodeField(std::int32_t value, unsigned char* b);

}  // namespace tamberlin
