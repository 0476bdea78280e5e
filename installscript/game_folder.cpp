#include "installscript/game_folder.h"

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/wildcard.h"

namespace tamberlin {

std::vector<std::string> listedFiles(FileSystem& fs, const std::string& folder,
                                     const std::string& pattern) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  try {
    for (const DirEntry& e : fs.list(folder))
      if (!e.isDir && !e.isHidden && matchesPattern(e.name, pattern)) names.push_back(e.name);
  } catch (const RuntimeError&) {
    // A folder that vanished or refuses listing simply has no files to offer.
  }
  return names;
}

bool holdsGame(FileSystem& fs, const std::string& folder) {
  const std::vector<std::string> listed = listedFiles(fs, folder, kGameProgram);
  return !listed.empty() && listed.front() == kGameProgram;
}

}  // namespace tamberlin
