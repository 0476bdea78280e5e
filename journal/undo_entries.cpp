// Undoing archive entries. A replaced entry is found by its name (at its old slot when the name is
// still there, else the lowest slot of that name that holds this installation's data or its old
// data: after a rebuild or a re-sorting tool the slot or the offset changed). An added entry is
// found by its name and data, nearest the slot it was added at. Nothing is undone without the
// bytes being compared first.
#include <cstdlib>

#include "imgarchive/entry_index.h"
#include "journal/game_path.h"
#include "journal/hex.h"
#include "journal/layout.h"
#include "journal/old_data.h"
#include "journal/undo_context.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

enum class Holds { Other, Before, Own };

std::string nameOf(const std::array<char, kNameSize>& field) {
  IMGEntry e;
  e.fileName = field;
  return matchName(e);
}

std::string nameOf(const EntryItem& e) {
  ByteCursor in(e.record.data(), e.record.size());
  return nameOf(decodeRawRecord(in).name);
}

Holds entryState(BinaryFile& file, const IMGEntry& cur, const EntryItem& e) {
  if (cur.size == e.preSectors() && sectorHash(file, cur.offset, cur.size) == e.preHash)
    return Holds::Before;
  for (const DataState& d : e.own)
    if (entryHolds(file, cur, d)) return Holds::Own;
  return Holds::Other;
}

bool holdsAny(BinaryFile& file, const IMGEntry& cur, const std::vector<DataState>& own) {
  for (const DataState& d : own)
    if (entryHolds(file, cur, d)) return true;
  return false;
}

/// Slots whose entry is named `name`, `first` first when it is one of them.
std::vector<std::int32_t> slotsNamed(const ImgArchive& a, const std::string& name,
                                     std::int32_t first) {
  std::vector<std::int32_t> out;
  const auto& t = a.table();
  if (first >= 1 && first <= a.count() && matchName(t[static_cast<std::size_t>(first)]) == name)
    out.push_back(first);
  for (std::int32_t k = 1; k <= a.count(); ++k)
    if (k != first && matchName(t[static_cast<std::size_t>(k)]) == name) out.push_back(k);
  return out;
}

struct Located {
  std::int32_t slot = 0;
  Holds holds = Holds::Other;
};

Located locate(UndoContext& cx, ImgArchive& a, const EntryItem& e) {
  auto file = cx.fs.open(a.path(), OpenMode::Read);
  Located other;
  for (std::int32_t k : slotsNamed(a, nameOf(e), e.slot)) {
    Holds h = entryState(*file, a.table()[static_cast<std::size_t>(k)], e);
    if (h != Holds::Other) return {k, h};
    if (other.slot == 0) other.slot = k;
  }
  return other;
}

void blameEntry(UndoContext& cx, UndoStep& step, ImgArchive& a, std::int32_t slot,
                const std::string& archive) {
  auto file = cx.fs.open(a.path(), OpenMode::Read);
  const IMGEntry& cur = a.table()[static_cast<std::size_t>(slot)];
  for (const Installation* later : cx.later()) {
    bool theirs = false;
    for (const EntryItem& le : later->entries)
      theirs = theirs || (pathKey(le.archive) == pathKey(archive) && holdsAny(*file, cur, le.own));
    for (const AddedItem& la : later->added)
      theirs = theirs || (pathKey(la.archive) == pathKey(archive) && holdsAny(*file, cur, la.own));
    if (theirs) {
      step.causedBy = later->number;
      step.causedByMod = later->mod;
      return;
    }
  }
}

std::string quoted(const std::string& name) {
  return "\"" + name + "\"";
}

}  // namespace

UndoStep assessEntry(UndoContext& cx, const EntryItem& e) {
  UndoStep step;
  step.what = "entry " + quoted(nameOf(e)) + " of " + e.archive;
  ImgArchive* a = cx.archive(e.archive);
  if (!a) {
    step.status = StepStatus::Conflict;
    step.conflict = "the archive is not there any more";
    return step;
  }
  const Located at = locate(cx, *a, e);
  if (at.holds == Holds::Before) return step;
  if (at.holds == Holds::Other) {
    step.status = StepStatus::Conflict;
    step.conflict = at.slot == 0 ? "no entry has that name any more"
                                 : "entry " + std::to_string(at.slot) +
                                       " holds data this installation did not write";
    if (at.slot != 0) blameEntry(cx, step, *a, at.slot, e.archive);
    return step;
  }
  step.status = StepStatus::Undo;
  const bool inPlace = oldDataInPlace(cx.fs, a->path(), e);
  step.action = inPlace ? "put its old record back (its old data is still in place)"
                        : "give it its old data from the backup";
  if (!inPlace && !backupHoldsOldData(cx.fs, cx.backupPath(), e)) {
    step.status = StepStatus::Conflict;
    step.conflict = "its old data is neither in place nor in " + std::string(kBackupFile);
  }
  return step;
}

UndoStep undoEntry(UndoContext& cx, const EntryItem& e) {
  UndoStep step = assessEntry(cx, e);
  if (step.status != StepStatus::Undo || cx.dryRun) return step;
  ImgArchive& a = *cx.archive(e.archive);
  const Located at = locate(cx, a, e);
  if (step.action.rfind("put its old record", 0) == 0) {
    a.restoreRecord(at.slot, e.record);
    return step;
  }
  const std::int64_t bytes = std::int64_t{e.preSectors()} * sector;
  a.replaceFromRange(at.slot, cx.backupPath(), e.backupOffset + 1, bytes);
  return step;
}

namespace {

/// The slot of `a`'s entry: the one nearest where it was added whose name and data are its own.
std::int32_t locateAdded(UndoContext& cx, ImgArchive& arc, const AddedItem& a) {
  const std::int32_t expected = a.slot;
  auto file = cx.fs.open(arc.path(), OpenMode::Read);
  std::int32_t best = 0;
  for (std::int32_t k : slotsNamed(arc, nameOf(a.name), expected)) {
    if (!holdsAny(*file, arc.table()[static_cast<std::size_t>(k)], a.own)) continue;
    if (best == 0 || std::abs(k - expected) < std::abs(best - expected)) best = k;
  }
  return best;
}

}  // namespace

UndoStep assessAdded(UndoContext& cx, const AddedItem& a) {
  UndoStep step;
  step.what = "added entry " + quoted(nameOf(a.name)) + " of " + a.archive;
  ImgArchive* arc = cx.archive(a.archive);
  if (!arc) return step;
  const std::int32_t slot = locateAdded(cx, *arc, a);
  if (slot != 0) {
    step.status = StepStatus::Undo;
    step.action = "remove it from the directory (entry " + std::to_string(slot) + ")";
    return step;
  }
  const std::int32_t expected = a.slot;
  if (expected <= arc->count() &&
      matchName(arc->table()[static_cast<std::size_t>(expected)]) == nameOf(a.name)) {
    step.status = StepStatus::Conflict;
    step.conflict =
        "entry " + std::to_string(expected) + " holds data this installation did not write";
    blameEntry(cx, step, *arc, expected, a.archive);
  }
  return step;
}

UndoStep undoAdded(UndoContext& cx, const AddedItem& a) {
  UndoStep step = assessAdded(cx, a);
  if (step.status != StepStatus::Undo || cx.dryRun) return step;
  ImgArchive& arc = *cx.archive(a.archive);
  const std::int32_t slot = locateAdded(cx, arc, a);
  bool closing = false;
  arc.removeEntry(slot, [&](std::int32_t s, std::int32_t n, const std::vector<RecordBytes>& later) {
    std::string hex;
    for (const RecordBytes& r : later) hex += hexOf(r.data(), r.size());
    cx.journal->append(Record{"closing", {a.archive, std::to_string(s), std::to_string(n), hex}});
    cx.journal->sync();
    closing = true;
  });
  if (closing) {
    // Durable before anything else changes the count: a closing without it is one to finish.
    cx.journal->append(Record{"closed", {a.archive, std::to_string(slot)}});
    cx.journal->sync();
  }
  return step;
}

bool finishClosing(UndoContext& cx, const Closing& c) {
  if (c.closed) return false;
  ImgArchive* a = cx.archive(c.archive);
  if (!a) return false;
  const std::int32_t now = a->count();
  // Before the hide, the entry's own step removes it again; after the close-up, only the record
  // that says so was lost.
  if (now != c.slot - 1 && now != c.countBefore - 1) return false;
  if (cx.dryRun) return now == c.slot - 1;
  if (now == c.slot - 1) a->closeUp(c.slot, c.countBefore, c.later);
  cx.journal->append(Record{"closed", {c.archive, std::to_string(c.slot)}});
  cx.journal->sync();
  return true;
}

void tidyArchive(UndoContext& cx, const ArchiveItem& item) {
  ImgArchive* a = cx.archive(item.path);
  if (!a || cx.dryRun) return;
  if (item.existed) {
    a->cutDeadTail(item.length);
  } else if (a->count() == 0) {
    // This installation made the archive; without entries it goes again.
    cx.fs.removeFile(a->path());
    cx.archives.erase(pathKey(item.path));
    const std::string dir = parentPath(cx.full(item.path));
    cx.touchedFolders.insert(dir.empty() ? "." : dir);
  }
}

}  // namespace tamberlin::journal
