#pragma once
// Where everything goes when an archive is written anew: the records keep their order, names
// and sizes, and the data follows the directory in directory order with no gaps.

#include <cstdint>
#include <vector>

#include "imgarchive/format.h"

namespace tamberlin {

/// One stretch of the old archive copied to one place of the new one.
struct CopyRun {
  std::int64_t from = 0;   ///< 1-based position in the old archive
  std::int64_t to = 0;     ///< 1-based position in the new archive
  std::int64_t bytes = 0;  ///< bytes copied
  std::int64_t zeros = 0;  ///< zero bytes written after them (see planRebuild)
};

struct RebuildPlan {
  /// The new directory records, entry k at index k - 1: the old ones with new offsets.
  std::vector<IMGEntry> records;
  std::vector<CopyRun> runs;     ///< in the order of the new file
  std::int64_t firstSector = 0;  ///< where the data starts: the sector after the directory
  std::int64_t dataBytes = 0;    ///< bytes the runs write (copied and zeros)
  std::int64_t newLength = 0;    ///< the new archive's length in bytes
};

/// The sector that follows a directory of `count` records: ceil((8 + 32 * count) / 2048).
std::int64_t firstDataSector(std::int64_t count);

/// Lays out the new archive for `entries` (entry k at index k - 1) read from an archive of
/// `oldLength` bytes. Each entry gets `size` whole sectors at the next free sector; an entry of
/// 0 sectors gets the next free sector as its offset and takes no room. Entries whose old data
/// lie back to back become one run.
///
/// An entry whose last sector the old file holds only in part (data appended unpadded at the
/// end of the file) is copied as far as the file goes and padded with zeros to whole sectors:
/// every record of the new archive then lies wholly inside it, as the game's whole-sector reads
/// expect. Anything else outside the old file, data over the directory, or a new offset that
/// does not fit a record is error 321 (Invalid file format) or 6 (Overflow) naming the entry.
RebuildPlan planRebuild(std::vector<IMGEntry> entries, std::int64_t oldLength);

}  // namespace tamberlin
