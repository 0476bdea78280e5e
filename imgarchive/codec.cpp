#include "imgarchive/codec.h"

#include <cstring>

#include "platform/runtime_error.h"

namespace tamberlin {

const unsigned char* ByteCursor::take(std::size_t n) {
  if (!ok_ || size_ - at_ < n) {
    ok_ = false;
    return nullptr;
  }
  const unsigned char* p = data_ + at_;
  at_ += n;
  return p;
}

std::uint16_t ByteCursor::u16() {
  const unsigned char* p = take(2);
  return p ? static_cast<std::uint16_t>(p[0] | p[1] << 8) : 0;
}

std::uint32_t ByteCursor::u32() {
  const unsigned char* p = take(4);
  if (!p) return 0;
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void ByteCursor::bytes(void* out, std::size_t n) {
  const unsigned char* p = take(n);
  if (p)
    std::memcpy(out, p, n);
  else
    std::memset(out, 0, n);
}

Header decodeHeader(ByteCursor& in) {
  Header h;
  char magic[4];
  in.bytes(magic, sizeof magic);
  h.magicOk = in.ok() && std::memcmp(magic, kMagic, sizeof magic) == 0;
  h.count = in.u32();
  return h;
}

RawRecord decodeRawRecord(ByteCursor& in) {
  RawRecord r;
  r.offset = in.u32();
  r.streamingSize = in.u16();
  r.archiveSize = in.u16();
  in.bytes(r.name.data(), kNameSize);
  return r;
}

void decodeRecord(ByteCursor& in, IMGEntry& e) {
  const RawRecord r = decodeRawRecord(in);
  if (r.offset > static_cast<std::uint32_t>(INT32_MAX)) throw RuntimeError(err::kOverflow);
  e.offset = static_cast<std::int32_t>(r.offset);
  e.size = static_cast<std::int32_t>(r.sectors());
  e.fileName = r.name;
}

HeaderBytes encodeHeader(std::int32_t count) {
  HeaderBytes h{};
  std::memcpy(h.data(), kMagic, sizeof kMagic);
  encodeField(count, h.data() + kCountPos - 1);
  return h;
}

RecordBytes encodeRecord(const IMGEntry& e) {
  RecordBytes r{};
  encodeField(e.offset, r.data() + kOffsetAt);
  encodeField(e.size, r.data() + kStreamingSizeAt);
  std::memcpy(r.data() + kNameAt, e.fileName.data(), kNameSize);
  return r;
}

std::int32_t decodeField(const unsigned char* b) {
  ByteCursor in(b, 4);
  const std::uint32_t v = in.u32();
  if (v > static_cast<std::uint32_t>(INT32_MAX)) throw RuntimeError(err::kOverflow);
  return static_cast<std::int32_t>(v);
}

void encodeField(std::int32_t value, unsigned char* b) {
  const std::uint32_t v = value < 0 ? 0u : static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

}  // namespace tamberlin
