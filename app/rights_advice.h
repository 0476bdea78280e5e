#pragma once
// What to do when a command could not change the game folder for want of rights.

#include <string>

namespace tamberlin {

class FileSystem;

/// After a failed change: when this user may not change the game folder `saPath`, says how to
/// run the command with the rights it needs (on standard error).
void adviseOnRights(FileSystem& fs, const std::string& saPath);

}  // namespace tamberlin
