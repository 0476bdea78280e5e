// ImgArchive::add: one file added as a new entry, in an order that a power cut at any write
// survives: moved data, then the records that point at it, then the new data and its (still
// invisible) record, and last the count that makes the record visible; each step on stable
// storage before the next (the count itself too, unless that flush is deferred).
#include <algorithm>
#include <cstdint>

#include "imgarchive/add_plan.h"
#include "imgarchive/archive_edit.h"
#include "imgarchive/codec.h"
#include "imgarchive/img_archive.h"
#include "platform/ansi.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

void writeField(ArchiveEdit& edit, std::int64_t pos, std::int32_t value) {
  unsigned char b[4];
  encodeField(value, b);
  edit.write(pos, b, sizeof b);
}

void writeRecord(ArchiveEdit& edit, const IMGEntry& e) {
  const RecordBytes r = encodeRecord(e);
  edit.write(e.dirPos, r.data(), r.size());
}

/// True when the new record ends in a sector that the directory before it did not reach.
bool reachesNewSector(const AddPlan& plan) {
  const std::int64_t before = kHeaderSize + kRecordSize * (std::int64_t{plan.newCount} - 1);
  return sectorsFor(before + kRecordSize) > sectorsFor(before);
}

/// Copies each moved entry's whole sectors (as far as the old file holds them) to their new
/// place, then points their records there. The old sectors stay as they were.
void moveEntries(ArchiveEdit& edit, const std::vector<Move>& moves) {
  if (moves.empty()) return;
  for (const Move& m : moves) {
    const std::int64_t start = std::int64_t{m.from} * sector;
    const std::int64_t held = std::min<std::int64_t>(
        std::int64_t{m.size} * sector, std::max<std::int64_t>(0, edit.oldLength() - start));
    copyBytes(edit.file(), start + 1, edit.file(), sectorPos(m.to), held);
  }
  edit.sync();
  // Only the offset field: the size halves and the name stay exactly as they were.
  for (const Move& m : moves) writeField(edit, recordPos(m.slot) + kOffsetAt, m.to);
  edit.sync();
}

}  // namespace

std::int32_t ImgArchive::add(const std::string& source, const std::string& name) {
  // Names are bytes in the archive: one the code page cannot hold is refused, never made "?".
  const std::string ansiName = ansiBytes(name, "the entry name \"" + name + "\"");
  auto archive = openForChange();
  auto input = fs_.open(source, OpenMode::Read);
  addTo(*archive, *input, ansiName);
  input->close();
  archive->close();
  return count();
}

void ImgArchive::addTo(BinaryFile& archive, BinaryFile& source, const std::string& ansiName) {
  const std::int64_t bytes = source.length();
  const AddPlan plan = planAdd(table_, archive.length(), bytes, ansiName);
  ArchiveEdit edit(archive);
  try {
    if (plan.newHeader && edit.oldLength() < kHeaderSize) {
      // An empty file becomes an archive without entries first, so that no moment leaves a
      // file that is not an archive.
      const HeaderBytes head = encodeHeader(0);
      edit.write(1, head.data(), head.size());
      edit.sync();
    }
    moveEntries(edit, plan.moves);
    copyBytes(source, 1, archive, sectorPos(plan.entry.offset), bytes, progress_);
    // A record that reaches a sector the directory did not use lands on free space, which the
    // change whose last flush was deferred may have freed (a replaced entry's old data right
    // after the directory): the record that moved away from it reaches the disk first.
    if (!pendingPath_.empty() && !edit.flushed() && reachesNewSector(plan)) edit.sync();
    // The record lies beyond the count until the count is written, so the new data and its
    // record can reach the disk in either order: one flush covers both.
    writeRecord(edit, plan.entry);
    edit.sync();
    if (beforeVisible_) beforeVisible_(plan.newCount, plan.entry, bytes);
    writeField(edit, kCountPos, plan.newCount);
    // Durability only: the count is the last write, and every state of it is sound.
    lastFlush(edit);
    edit.commit();
  } catch (const RuntimeError& e) {
    abandon(edit, e);
  }
  for (const Move& m : plan.moves) table_[static_cast<std::size_t>(m.slot)].offset = m.to;
  table_.push_back(plan.entry);
}

}  // namespace tamberlin
