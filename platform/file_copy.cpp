#include "platform/file_copy.h"

#include <algorithm>
#include <vector>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

void copyBytes(BinaryFile& src, std::int64_t from, BinaryFile& dst, std::int64_t to,
               std::int64_t count, const CopyProgress& progress) {
  std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, kCopyChunk)));
  std::int64_t done = 0;
  while (done < count) {
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count - done, kCopyChunk));
    if (src.read(from + done, buf.data(), n) != n)
      throw RuntimeError(err::kInputPastEnd, src.path());
    dst.write(to + done, buf.data(), n);
    done += static_cast<std::int64_t>(n);
    if (progress) progress(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(count));
  }
}

}  // namespace tamberlin
