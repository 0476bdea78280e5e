#pragma once
// Writing an archive anew, without the holes and the out-of-order data that replaced entries
// leave behind: same records in the same order, each entry's data right after the previous
// one's. The new archive is written beside the old one and renamed over it only when it is
// whole on disk, so a crash at any moment leaves the old archive or the new one.

#include <cstdint>
#include <string>

#include "platform/file_copy.h"

namespace tamberlin {

class FileSystem;

struct RebuildSummary {
  std::uint32_t entries = 0;
  std::int64_t sizeBefore = 0;     ///< bytes
  std::int64_t sizeAfter = 0;      ///< bytes
  std::uint64_t holesRemoved = 0;  ///< bytes after the directory that no entry used
  std::uint64_t breaksBefore = 0;  ///< records whose data did not follow their neighbour's
  std::uint64_t breaksAfter = 0;
};

/// The file the new archive is written to before it replaces `archivePath`.
std::string rebuildTempPath(const std::string& archivePath);

/// Rebuilds the archive at `archivePath` (see rebuild_plan.h for the layout). Before anything is
/// written it checks the archive (checkArchive) and refuses one with structural errors (error
/// 321 with what the check found), and it checks the free space of the archive's folder (error
/// 61 naming the bytes needed and available). A temporary file left by an earlier crash is
/// overwritten. `progress` gets the data bytes written out of all after each block.
///
/// Any failure removes the temporary file and leaves the archive as it was, except one after
/// the rename: the folder's entry could not be made durable, and the archive is already the
/// new one.
RebuildSummary rebuildArchive(FileSystem& fs, const std::string& archivePath,
                              const CopyProgress& progress = {});

}  // namespace tamberlin
