#pragma once
// One 32-byte directory record to and from its bytes: offset, size, then the 24 name bytes.

#include <array>
#include <cstdint>

#include "imgarchive/format.h"

namespace tamberlin {

using RecordBytes = std::array<unsigned char, kRecordSize>;

/// The record's bytes: offset and size as little-endian fields, then the 24 name bytes as held.
RecordBytes encodeRecord(const IMGEntry& e);

/// Fills offset, size and fileName of `e` from a record's 32 bytes (dirPos is left alone).
/// Throws RuntimeError 6 when the offset or size field is 2^31 or more.
void decodeRecord(const unsigned char* bytes, IMGEntry& e);

}  // namespace tamberlin
