#pragma once
// The "VER2" IMG archive: an 8-byte header (magic, entry count), a directory of 32-byte records
// (offset in sectors, two 16-bit sizes in sectors, a 24-byte name), and entry data at sector
// boundaries. Every constant of the format is here; imgarchive/codec.h turns bytes into values.

#include <array>
#include <cstdint>
#include <string>

namespace tamberlin {

constexpr std::int64_t sector = 2048;
constexpr std::int64_t kHeaderSize = 8;
constexpr std::int64_t kRecordSize = 32;
constexpr std::size_t kNameSize = 24;
constexpr std::int64_t kCountPos = 5;  ///< 1-based position of the entry count
constexpr std::int64_t kFirstRecordPos = 9;
/// Within a record: the offset field, the two 16-bit size halves, the name.
constexpr std::size_t kOffsetAt = 0, kStreamingSizeAt = 4, kArchiveSizeAt = 6, kNameAt = 8;
static_assert(kNameAt + kNameSize == kRecordSize, "a directory record is 32 bytes");
inline constexpr char kMagic[4] = {'V', 'E', 'R', '2'};
/// Sectors from this one on start at a byte offset that overflows a signed 32-bit position.
constexpr std::int64_t kFirstUnreachableSector = 1048576;
/// The largest size a record can express: the game reads each 16-bit half on its own.
constexpr std::int64_t kMaxEntrySectors = 65535;
/// Directory records read (or written) per file access: 1 MiB of directory.
constexpr std::int64_t kRecordsPerChunk = 32768;

/// One directory record as held in memory.
struct IMGEntry {
  std::int32_t dirPos = 0;  ///< 1-based position of the record in the archive, 0 when unknown
  std::int32_t offset = 0;  ///< first sector of the data
  std::int32_t size = 0;    ///< sectors of data, as the game reads them (see codec.h)
  std::array<char, kNameSize> fileName{};  ///< the 24 name bytes as stored, NULs included
};

/// 1-based position of directory record k (k from 1).
inline std::int64_t recordPos(std::int64_t k) {
  return kFirstRecordPos + kRecordSize * (k - 1);
}

/// 1-based position of the first byte of sector `s`.
inline std::int64_t sectorPos(std::int64_t s) {
  return s * sector + 1;
}

/// Sectors needed for `bytes` bytes (rounded up; 0 for 0).
inline std::int64_t sectorsFor(std::int64_t bytes) {
  return (bytes + sector - 1) / sector;
}

/// The name bytes up to, not including, the first NUL (all 24 when there is none).
std::string nameUpToNul(const std::array<char, kNameSize>& name);

/// The entry name as shown to people: the bytes up to the first NUL, decoded from the ANSI code
/// page.
std::string displayName(const IMGEntry& e);

}  // namespace tamberlin
