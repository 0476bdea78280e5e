#include "imgarchive/rebuild_plan.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

std::string entryText(std::size_t index, const IMGEntry& e) {
  return "entry " + std::to_string(index + 1) + " (" + displayName(e) + ")";
}

/// Adds an entry's old data (bytes `start` .. `end` of the old file, 0-based, end exclusive; the
/// part past `oldLength` becomes zeros) at new position `to`: onto the last run when it
/// continues it, else as a run of its own.
void addRun(std::vector<CopyRun>& runs, std::int64_t start, std::int64_t end,
            std::int64_t oldLength, std::int64_t to) {
  std::int64_t bytes = std::min(end, oldLength) - start;
  std::int64_t zeros = end - start - bytes;
  if (!runs.empty()) {
    CopyRun& last = runs.back();
    if (last.zeros == 0 && last.from + last.bytes == start + 1 && last.to + last.bytes == to) {
      last.bytes += bytes;
      last.zeros = zeros;
      return;
    }
  }
  runs.push_back(CopyRun{start + 1, to, bytes, zeros});
}

}  // namespace

std::int64_t firstDataSector(std::int64_t count) {
  return sectorsFor(kHeaderSize + kRecordSize * count);
}

RebuildPlan planRebuild(std::vector<IMGEntry> entries, std::int64_t oldLength) {
  RebuildPlan plan;
  plan.firstSector = firstDataSector(static_cast<std::int64_t>(entries.size()));
  plan.records = std::move(entries);
  std::int64_t next = plan.firstSector;  // the next free sector of the new archive
  for (std::size_t i = 0; i < plan.records.size(); ++i) {
    IMGEntry& e = plan.records[i];
    const std::int64_t oldOffset = e.offset;
    if (oldOffset < 0 || e.size < 0)
      throw RuntimeError(err::kInvalidFormat, entryText(i, e) + " has a negative field");
    if (next > std::numeric_limits<std::int32_t>::max())
      throw RuntimeError(err::kOverflow, entryText(i, e) + " would start at sector " +
                                             std::to_string(next) + " of the new archive");
    e.offset = static_cast<std::int32_t>(next);
    if (e.size == 0) continue;
    std::int64_t start = oldOffset * sector;
    std::int64_t end = start + static_cast<std::int64_t>(e.size) * sector;
    if (oldOffset < plan.firstSector)
      throw RuntimeError(err::kInvalidFormat, entryText(i, e) + " has data over the directory");
    if (end - sector >= oldLength)
      throw RuntimeError(err::kInvalidFormat,
                         entryText(i, e) + " has data past the end of the file");
    addRun(plan.runs, start, end, oldLength, next * sector + 1);
    plan.dataBytes += end - start;
    next += e.size;
  }
  plan.newLength = next * sector;
  return plan;
}

}  // namespace tamberlin
