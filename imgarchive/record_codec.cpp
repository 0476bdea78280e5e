#include "imgarchive/record_codec.h"

#include <cstring>

#include "imgarchive/bitstring.h"

namespace tamberlin {

RecordBytes encodeRecord(const IMGEntry& e) {
  RecordBytes r{};
  encodeField(e.offset, r.data());
  encodeField(e.size, r.data() + 4);
  std::memcpy(r.data() + 8, e.fileName.data(), kNameSize);
  return r;
}

void decodeRecord(const unsigned char* bytes, IMGEntry& e) {
  e.offset = decodeField(bytes);
  e.size = decodeField(bytes + 4);
  std::memcpy(e.fileName.data(), bytes + 8, kNameSize);
}

}  // namespace tamberlin
