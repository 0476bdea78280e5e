// The deferred last flush of an add or a replace. Each change flushes its data before the record
// that points at it and its record before the count that makes it visible; only the flush after
// the last write is there for durability alone. Deferred, it is made up by the next change of
// the same file (whose first flush covers the whole file before anything that relies on it is
// written; an add flushes before its record lands on sectors a deferred replace freed) or by
// flushPending.
#include "imgarchive/archive_edit.h"
#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

void ImgArchive::clearPending() {
  pendingPath_.clear();
  pending_ = Identity{};
}

void ImgArchive::flushPending() {
  if (pendingPath_.empty()) return;
  try {
    auto archive = fs_.open(pendingPath_, OpenMode::ReadWriteExisting);
    archive->sync();
    archive->close();
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(),
                       pendingPath_ + ": the archive's last change could not be flushed to disk (" +
                           e.text() + ")");
  }
  clearPending();
}

void ImgArchive::flushOtherPending() {
  // The table's archive is the one about to change (verify made sure).
  // Durability only: one pending archive is remembered, so the other's flush cannot wait.
  if (!pendingPath_.empty() && !pending_.same(identity_)) flushPending();
}

void ImgArchive::lastFlush(ArchiveEdit& edit) {
  if (!deferLastFlush_) {
    edit.sync();
    noteFlushes(edit);
    return;
  }
  // Earlier flushes of this change covered what was pending; now this change is.
  pendingPath_ = path_;
  pending_ = identity_;
}

void ImgArchive::noteFlushes(const ArchiveEdit& edit) {
  if (edit.flushed()) clearPending();
}

}  // namespace tamberlin
