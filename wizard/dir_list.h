#pragma once
// The folder list as a classic directory list shows it: the current folder's path from the
// root down, then its subfolders. Highlighting a row changes nothing; a folder becomes current
// only when it is opened.

#include <cstddef>
#include <string>
#include <vector>

#include "wizard/form1_view.h"

namespace tamberlin {

class FileSystem;

/// A folder path taken apart: its root ("/", "C:\", "\\server\share\") and the names below it.
struct FolderPath {
  std::string root;
  std::vector<std::string> names;
};

/// Splits an absolute native path; "." and ".." are resolved by the text alone. A path without a
/// root gets an empty root.
FolderPath splitFolderPath(const std::string& path);

/// The path of the folder `depth` names below the root (0: the root itself, which keeps its
/// separator; deeper folders have none at the end).
std::string joinFolderPath(const FolderPath& path, std::size_t depth);

class DirList {
 public:
  explicit DirList(FileSystem& fs) : fs_(fs) {}

  /// Makes `path` (a program path) the current folder and lists its subfolders. Returns false
  /// and changes nothing when it is not a folder that can be listed.
  bool open(const std::string& path);
  /// Opens the folder of row `row`. False, with nothing changed, for a row out of range or a
  /// folder that cannot be listed.
  bool openRow(std::size_t row);
  /// Highlights row `row` (out of range: ignored).
  void highlight(std::size_t row);

  /// The current folder: a full native path, without a separator at its end unless it is a root.
  const std::string& path() const { return path_; }
  const std::vector<DirRow>& rows() const { return rows_; }
  std::size_t highlighted() const { return highlighted_; }
  /// Row of the current folder.
  std::size_t currentRow() const { return current_.names.size(); }

 private:
  std::string rowPath(std::size_t row) const;

  FileSystem& fs_;
  std::string path_;
  FolderPath current_;
  std::vector<std::string> subfolders_;
  std::vector<DirRow> rows_;
  std::size_t highlighted_ = 0;
};

}  // namespace tamberlin
