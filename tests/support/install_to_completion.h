#pragma once
// A whole installation on any file system, for tests that need it to finish.

#include <string>

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::test {

/// Runs ImgInstall of the current folder's ins.cfg into the game folder `game` on `fs`, its
/// boxes answered as ScriptedBoxes answers them. Throws RuntimeError (5, naming the last box)
/// when it does not reach "Installation Complete".
void installToCompletion(FileSystem& fs, const std::string& game);

}  // namespace tamberlin::test
