#include "journal/backup_move.h"

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin::journal {

void moveIntoBackup(FileSystem& fs, const std::string& from, const std::string& to) {
  try {
    fs.rename(from, to);
  } catch (const RuntimeError& e) {
    // A rename across volumes is refused as a path error; any other refusal stands.
    if (e.number() != err::kPathFileAccess) throw;
    fs.linkOrCopy(from, to);  // a copy there: a link cannot cross volumes either
    fs.syncDir(parentPath(to));
    fs.removeFile(from);
  }
}

}  // namespace tamberlin::journal
