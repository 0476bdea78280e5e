#include "wizard/file_list.h"

#include "installscript/game_folder.h"

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
  items_ = listedFiles(fs_, path_, pattern_);
}

}  // namespace tamberlin
