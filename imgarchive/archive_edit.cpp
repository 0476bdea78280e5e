#include "imgarchive/archive_edit.h"

#include <algorithm>

#include "platform/file_system.h"

namespace tamberlin {

ArchiveEdit::ArchiveEdit(BinaryFile& file) : file_(file), oldLength_(file.length()) {}

void ArchiveEdit::write(std::int64_t pos, const void* data, std::size_t n) {
  const std::int64_t end = pos + static_cast<std::int64_t>(n);  // exclusive, 1-based
  const std::int64_t savedEnd = std::min(end, oldLength_ + 1);
  if (savedEnd > pos) {
    std::string old(static_cast<std::size_t>(savedEnd - pos), '\0');
    old.resize(file_.read(pos, old.data(), old.size()));
    saved_.push_back({pos, std::move(old)});
  }
  file_.write(pos, data, n);
}

void ArchiveEdit::sync() {
  file_.sync();
  flushed_ = true;
}

void ArchiveEdit::rollback() {
  if (committed_) return;
  while (!saved_.empty()) {
    const Saved& s = saved_.back();
    if (!s.bytes.empty()) {
      file_.write(s.pos, s.bytes.data(), s.bytes.size());
      sync();
    }
    saved_.pop_back();
  }
  if (file_.length() > oldLength_) {
    file_.truncate(oldLength_);
    sync();
  }
}

}  // namespace tamberlin
