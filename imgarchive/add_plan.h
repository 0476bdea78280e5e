#pragma once
// Where an added entry goes, decided before anything is written: which entries move out of
// the way of the grown directory, where their data lands, and the new record itself.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imgarchive/format.h"

namespace tamberlin {

/// A name field for `ansiName`: NUL-padded to 24 bytes, as the game's own archive and other
/// archive tools write names, cut after 24. With `endWithNul` the 24th byte becomes NUL (a record
/// added to an existing directory).
std::array<char, kNameSize> addedNameField(const std::string& ansiName, bool endWithNul);

/// Throws RuntimeError 6 when `bytes` of data need more sectors than a record can hold.
void requireExpressible(std::int64_t bytes);

/// One entry's data copied to the end of the archive as whole sectors.
struct Move {
  std::int32_t slot = 0;
  std::int32_t from = 0;  ///< old offset, sectors
  std::int32_t to = 0;    ///< new offset, sectors
  std::int32_t size = 0;  ///< sectors
};

struct AddPlan {
  bool newHeader = false;   ///< the table has no entries: write "VER2" and count 1
  std::vector<Move> moves;  ///< in copy order
  IMGEntry entry;           ///< the new record, dirPos included
  std::int32_t newCount = 0;
};

/// Plans adding `bytes` bytes named `ansiName` (see addedNameField) to the archive whose directory
/// is `dir` (slot 0 unused, at least one slot) and whose length is `archiveLength`. Every entry
/// whose data starts before the end of the grown directory moves, lowest offset first (the lower
/// slot first among equal offsets), placed one after another from the end of the archive; the new
/// data follows them. Throws RuntimeError 6 when a data start would be sector 1,048,576 or later
/// (past the signed 32-bit byte positions) or `bytes` needs more sectors than a record can hold
/// (kMaxEntrySectors, 128 MiB), and RuntimeError 321 when
/// an entry that must move claims whole sectors past the end of the file (a damaged archive).
AddPlan planAdd(const std::vector<IMGEntry>& dir, std::int64_t archiveLength, std::int64_t bytes,
                const std::string& ansiName);

}  // namespace tamberlin
