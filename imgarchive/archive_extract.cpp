// ImgArchive::extract: an entry's bytes into a file of their own.
#include <algorithm>

#include "imgarchive/img_archive.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

void removeQuietly(FileSystem& fs, const std::string& path) {
  try {
    if (fs.stat(path).exists) fs.removeFile(path);
  } catch (const RuntimeError&) {
    // The failure that brought us here is the one to report.
  }
}

}  // namespace

std::int64_t ImgArchive::extract(std::int32_t slot, const std::string& out) {
  if (slot < 1 || slot > count())
    throw RuntimeError(err::kSubscript, path_ + ": there is no entry " + std::to_string(slot));
  const IMGEntry& e = table_[static_cast<std::size_t>(slot)];
  const FileInfo outInfo = fs_.stat(out), archiveInfo = fs_.stat(path_);
  if (outInfo.exists && outInfo.id != 0 && outInfo.id == archiveInfo.id)
    throw RuntimeError(err::kPathFileAccess, out + " is the archive itself; it was left alone");
  auto src = fs_.open(path_, OpenMode::Read);
  const std::int64_t start = std::int64_t{e.offset} * sector, length = src->length();
  if (e.size > 0 && start >= length)
    throw RuntimeError(err::kInputPastEnd, "entry " + std::to_string(slot) + " (" + displayName(e) +
                                               "): its data at sector " + std::to_string(e.offset) +
                                               " lies past the end of " + path_);
  const std::int64_t bytes =
      std::min(std::int64_t{e.size} * sector, std::max<std::int64_t>(length - start, 0));
  // Into a temporary file first, so that a failed extraction leaves an existing `out` alone.
  const std::string temp = out + ".part";
  try {
    auto dst = fs_.open(temp, OpenMode::Create);
    copyBytes(*src, start + 1, *dst, 1, bytes, progress_);
    dst->close();
    fs_.rename(temp, out);
  } catch (const RuntimeError&) {
    removeQuietly(fs_, temp);
    throw;
  }
  src->close();
  return bytes;
}

}  // namespace tamberlin
