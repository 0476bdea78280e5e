#include "platform/file_copy.h"

#include <algorithm>
#include <vector>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

namespace {

/// Copies what the system copies by itself; returns the bytes done (all of `count`, or where
/// the fast path stopped).
std::int64_t copyInSystem(BinaryFile& src, std::int64_t from, BinaryFile& dst, std::int64_t to,
                          std::int64_t count, const CopyProgress& progress) {
  std::int64_t done = 0;
  while (done < count) {
    std::int64_t n = std::min<std::int64_t>(count - done, kFastCopyChunk);
    std::int64_t r = src.copyRangeTo(from + done, dst, to + done, n);
    if (r <= 0) break;
    done += r;
    if (progress) progress(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(count));
    if (r < n) break;
  }
  return done;
}

}  // namespace

void copyBytes(BinaryFile& src, std::int64_t from, BinaryFile& dst, std::int64_t to,
               std::int64_t count, const CopyProgress& progress) {
  std::int64_t done = copyInSystem(src, from, dst, to, count, progress);
  if (done >= count) return;
  std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(count - done, kCopyChunk)));
  while (done < count) {
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count - done, kCopyChunk));
    if (src.read(from + done, buf.data(), n) != n)
      throw RuntimeError(err::kInputPastEnd, src.path());
    dst.write(to + done, buf.data(), n);
    done += static_cast<std::int64_t>(n);
    if (progress) progress(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(count));
  }
}

void FileSystem::linkOrCopy(const std::string& from, const std::string& to) {
  auto src = open(from, OpenMode::Read);
  if (stat(to).exists) throw RuntimeError(err::kFileExists, to);
  auto dst = open(to, OpenMode::Create);
  copyBytes(*src, 1, *dst, 1, src->length());
  dst->sync();
  dst->close();
}

}  // namespace tamberlin
