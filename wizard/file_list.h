#pragma once
// The hidden file list File1: the files of one folder whose names match a pattern, as a classic
// file list shows them (no folders, no hidden or system files, names as the file system stores
// them).

#include <string>
#include <vector>

namespace tamberlin {

class FileSystem;

class FileList {
 public:
  explicit FileList(FileSystem& fs) : fs_(fs) {}

  void setPath(const std::string& folder);
  void setPattern(const std::string& pattern);

  const std::string& path() const { return path_; }
  const std::string& pattern() const { return pattern_; }
  /// The names matching the pattern ("*", "?", letter case ignored), sorted as the file system
  /// lists them. A folder that cannot be listed (gone, refused) lists nothing.
  const std::vector<std::string>& items() const { return items_; }

 private:
  void refresh();

  FileSystem& fs_;
  std::string path_;
  std::string pattern_ = "*.*";
  std::vector<std::string> items_;
};

}  // namespace tamberlin
