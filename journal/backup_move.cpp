#include "journal/backup_move.h"

#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

void copyThenRemove(FileSystem& fs, const std::string& from, const std::string& to) {
  {
    auto src = fs.open(from, OpenMode::Read);
    auto dst = fs.open(to, OpenMode::Create);
    copyBytes(*src, 1, *dst, 1, src->length());
    dst->sync();
    dst->close();
  }
  fs.syncDir(parentPath(to));
  fs.removeFile(from);
}

}  // namespace

void moveIntoBackup(FileSystem& fs, const std::string& from, const std::string& to) {
  try {
    fs.rename(from, to);
  } catch (const RuntimeError& e) {
    // A rename across volumes is refused as a path error; any other refusal stands.
    if (e.number() != err::kPathFileAccess) throw;
    copyThenRemove(fs, from, to);
  }
}

}  // namespace tamberlin::journal
