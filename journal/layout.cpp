#include "journal/layout.h"

#include <algorithm>
#include <cstdio>

#include "journal/game_path.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin::journal {

std::string ownFolder(const std::string& saPath) {
  return saPath + "\\" + kOwnFolder;
}

std::string installsFolder(const std::string& saPath) {
  return ownFolder(saPath) + "\\installs";
}

std::string folderName(unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "%04u", number);
  return name;
}

std::string installFolder(const std::string& saPath, unsigned number) {
  return installsFolder(saPath) + "\\" + folderName(number);
}

std::vector<unsigned> installNumbers(FileSystem& fs, const std::string& saPath) {
  std::vector<unsigned> out;
  const std::string dir = installsFolder(saPath);
  FileInfo info = fs.stat(dir);
  if (!info.exists || !info.isDir) return out;
  for (const DirEntry& e : fs.list(dir)) {
    if (!e.isDir || e.name.size() < 4 || e.name.size() > 9) continue;
    if (!std::all_of(e.name.begin(), e.name.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const auto n = static_cast<unsigned>(std::stoul(e.name));
    if (n > 0 && folderName(n) == e.name) out.push_back(n);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace tamberlin::journal
