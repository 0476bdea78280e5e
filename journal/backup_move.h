#pragma once
// Moving a game file into the installation's deleted\ folder.

#include <string>

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

/// Renames `from` to `to`. Where the rename cannot be made (the game folder spans two volumes,
/// through a link or a mount), the bytes are copied to `to` and flushed, the name made durable,
/// and then `from` is removed: the old file is in the backup before it leaves the game.
void moveIntoBackup(FileSystem& fs, const std::string& from, const std::string& to);

}  // namespace tamberlin::journal
