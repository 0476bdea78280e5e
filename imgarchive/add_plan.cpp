#include "imgarchive/add_plan.h"

#include <algorithm>
#include <cstring>

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

/// `sectorNo` as a data start, or error 6 when its byte position does not fit 32 signed bits.
std::int32_t dataStart(std::int64_t sectorNo, const char* what) {
  if (sectorNo >= kFirstUnreachableSector)
    throw RuntimeError(err::kOverflow, std::string(what) + " would start at sector " +
                                           std::to_string(sectorNo) +
                                           ", past the archive's 2 GiB limit");
  return static_cast<std::int32_t>(sectorNo);
}

/// Slots whose data starts before byte `limit`, in the order they move.
std::vector<std::int32_t> slotsInTheWay(const std::vector<IMGEntry>& dir, std::int64_t limit) {
  std::vector<std::int32_t> slots;
  for (std::size_t k = 1; k < dir.size(); ++k)
    if (std::int64_t{dir[k].offset} * sector < limit) slots.push_back(static_cast<std::int32_t>(k));
  std::stable_sort(slots.begin(), slots.end(), [&](std::int32_t a, std::int32_t b) {
    return dir[static_cast<std::size_t>(a)].offset < dir[static_cast<std::size_t>(b)].offset;
  });
  return slots;
}

/// Throws error 321 when the file lacks whole sectors of the data that `e` claims: moving it
/// would reserve room for bytes that do not exist (up to 2 GiB of nothing for a damaged size).
void requireHeld(const IMGEntry& e, std::int32_t slot, std::int64_t archiveLength) {
  const std::int64_t held =
      sectorsFor(std::max<std::int64_t>(0, archiveLength - e.offset * sector));
  if (e.size <= held) return;
  throw RuntimeError(err::kInvalidFormat,
                     "entry " + std::to_string(slot) + " claims " + std::to_string(e.size) +
                         " sectors from sector " + std::to_string(e.offset) +
                         ", but the file holds " + std::to_string(held) +
                         " of them: the archive is damaged, so no entry is moved");
}

}  // namespace

void requireExpressible(std::int64_t bytes) {
  if (sectorsFor(bytes) <= kMaxEntrySectors) return;
  throw RuntimeError(err::kOverflow, "a file of " + std::to_string(bytes) +
                                         " bytes: an entry holds at most 65,535 sectors "
                                         "(128 MiB), the most the game's size field can say");
}

std::array<char, kNameSize> addedNameField(const std::string& ansiName, bool endWithNul) {
  std::array<char, kNameSize> f;
  f.fill('\0');
  std::memcpy(f.data(), ansiName.data(), std::min(ansiName.size(), kNameSize));
  if (endWithNul) f[kNameSize - 1] = '\0';
  return f;
}

AddPlan planAdd(const std::vector<IMGEntry>& dir, std::int64_t archiveLength, std::int64_t bytes,
                const std::string& ansiName) {
  requireExpressible(bytes);
  AddPlan plan;
  const auto n = static_cast<std::int64_t>(dir.size()) - 1;
  plan.newCount = static_cast<std::int32_t>(n + 1);
  plan.entry.fileName = addedNameField(ansiName, n > 0);
  plan.entry.size = static_cast<std::int32_t>(sectorsFor(bytes));
  plan.entry.dirPos = static_cast<std::int32_t>(recordPos(n + 1));
  if (n == 0) {
    // A new archive: the directory is sector 0, the data starts at sector 1.
    plan.newHeader = true;
    plan.entry.offset = 1;
    return plan;
  }
  const std::int64_t grownEnd = kHeaderSize + kRecordSize * (n + 1);
  // New data never lands inside the grown directory, even in a file that ends with it.
  std::int64_t cursor = std::max(sectorsFor(archiveLength), sectorsFor(grownEnd));
  for (std::int32_t slot : slotsInTheWay(dir, grownEnd)) {
    const IMGEntry& e = dir[static_cast<std::size_t>(slot)];
    requireHeld(e, slot, archiveLength);
    plan.moves.push_back({slot, e.offset, dataStart(cursor, "a moved entry's data"), e.size});
    cursor += e.size;
  }
  plan.entry.offset = dataStart(cursor, "the new entry's data");
  return plan;
}

}  // namespace tamberlin
