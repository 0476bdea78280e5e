#include "wizard/dir_list.h"

#include <algorithm>
#include <cctype>

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

/// Length of the root at the start of `path`: "/" 1, "C:\" 3 ("C:" 2), "\\server\share\" all of it.
std::size_t rootLength(const std::string& path) {
  if (hasDriveLetter(path)) return path.size() > 2 && isPathSeparator(path[2]) ? 3 : 2;
  if (path.size() > 1 && isPathSeparator(path[0]) && isPathSeparator(path[1])) {
    std::size_t seps = 0, i = 2;
    for (; i < path.size(); ++i)
      if (isPathSeparator(path[i]) && ++seps == 2) return i + 1;
    return path.size();
  }
  return !path.empty() && isPathSeparator(path[0]) ? 1 : 0;
}

}  // namespace

FolderPath splitFolderPath(const std::string& path) {
  FolderPath out;
  std::size_t rootLen = rootLength(path);
  out.root = path.substr(0, rootLen);
  if (out.root.size() == 2 && hasDriveLetter(out.root)) out.root += '\\';
  if (rootLen > 2 && !hasDriveLetter(out.root) && !isPathSeparator(out.root.back()))
    out.root += out.root[0];
  for (const std::string& name : splitPath(path.substr(rootLen))) {
    if (name == ".") continue;
    if (name == "..") {
      if (!out.names.empty()) out.names.pop_back();
      continue;
    }
    out.names.push_back(name);
  }
  return out;
}

std::string joinFolderPath(const FolderPath& path, std::size_t depth) {
  char sep = path.root.empty() ? '/' : path.root.back();
  if (!isPathSeparator(sep)) sep = '/';
  std::string out = path.root;
  for (std::size_t i = 0; i < depth && i < path.names.size(); ++i) {
    if (!out.empty() && !isPathSeparator(out.back())) out += sep;
    out += path.names[i];
  }
  return out;
}

bool DirList::open(const std::string& path) {
  std::vector<std::string> subfolders;
  FolderPath folder;
  try {
    FileInfo info = fs_.stat(path);
    if (!info.exists || !info.isDir) return false;
    folder = splitFolderPath(fs_.nativePath(path));
    if (folder.root.empty())
      folder = splitFolderPath(joinPath(fs_.currentDir(), fs_.nativePath(path)));
    for (const DirEntry& e : fs_.list(joinFolderPath(folder, folder.names.size())))
      if (e.isDir && !e.isHidden) subfolders.push_back(e.name);
  } catch (const RuntimeError&) {
    return false;
  }
  std::sort(subfolders.begin(), subfolders.end(), lessIgnoringCase);

  current_ = std::move(folder);
  path_ = joinFolderPath(current_, current_.names.size());
  subfolders_ = std::move(subfolders);
  rows_.clear();
  rows_.push_back({current_.root, 0, true, current_.root});
  for (std::size_t i = 0; i < current_.names.size(); ++i)
    rows_.push_back({current_.names[i], static_cast<int>(i) + 1, true, rowPath(i + 1)});
  int childIndent = static_cast<int>(current_.names.size()) + 1;
  for (const std::string& name : subfolders_)
    rows_.push_back({name, childIndent, false, rowPath(rows_.size())});
  highlighted_ = currentRow();
  return true;
}

std::string DirList::rowPath(std::size_t row) const {
  if (row <= current_.names.size()) return joinFolderPath(current_, row);
  FolderPath child = current_;
  child.names.push_back(subfolders_[row - current_.names.size() - 1]);
  return joinFolderPath(child, child.names.size());
}

bool DirList::openRow(std::size_t row) {
  if (row >= rows_.size()) return false;
  return open(rowPath(row));
}

void DirList::highlight(std::size_t row) {
  if (row < rows_.size()) highlighted_ = row;
}

}  // namespace tamberlin
