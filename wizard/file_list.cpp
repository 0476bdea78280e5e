#include "wizard/file_list.h"

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/wildcard.h"

namespace tamberlin {

void FileList::setPath(const std::string& folder) {
  path_ = folder;
  refresh();
}

void FileList::setPattern(const std::string& pattern) {
  pattern_ = pattern;
  refresh();
}

void FileList::refresh() {
  items_.clear();
  if (path_.empty()) return;
  try {
    for (const DirEntry& e : fs_.list(path_))
      if (!e.isDir && !e.isHidden && matchesPattern(e.name, pattern_)) items_.push_back(e.name);
  } catch (const RuntimeError&) {
    // A folder that vanished or refuses listing simply has no files to offer.
  }
}

}  // namespace tamberlin
