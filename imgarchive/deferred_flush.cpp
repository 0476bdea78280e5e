// The deferred last flush of an add or a replace. Each change flushes its data before the record
// that points at it and its record before the count that makes it visible; only the flush after
// the last write is there for durability alone. Deferred, it is made up by the next change of
// the same file (whose first flush covers the whole file before anything that relies on it is
// written; an add flushes before its record lands on sectors a deferred replace freed) or by
// flushPending.
#include "imgarchive/archive_edit.h"
#include "imgarchive/module1.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

void Module1::flushPending() {
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
  pendingPath_.clear();
  pendingNative_.clear();
  pendingId_ = 0;
}

void Module1::flushOtherPending() {
  if (pendingPath_.empty()) return;
  // The table's archive is the one about to change (verifyTable made sure).
  const bool same = tableFileId_ != 0 && pendingId_ != 0 ? tableFileId_ == pendingId_
                                                         : tablePath_ == pendingNative_;
  if (!same) flushPending();
}

void Module1::lastFlush(ArchiveEdit& edit) {
  if (!deferLastFlush_) {
    edit.sync();
    noteFlushes(edit);
    return;
  }
  // Earlier flushes of this change covered what was pending; now this change is.
  pendingPath_ = imgPath;
  pendingNative_ = tablePath_;
  pendingId_ = tableFileId_;
}

void Module1::noteFlushes(const ArchiveEdit& edit) {
  if (!edit.flushed()) return;
  pendingPath_.clear();
  pendingNative_.clear();
  pendingId_ = 0;
}

}  // namespace tamberlin
