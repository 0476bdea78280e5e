#pragma once
// What `tamberlin installs` and `tamberlin uninstall` share: reading the installations a game
// folder's journal records, with the failures said as the command's own.

#include <optional>
#include <string>
#include <vector>

#include "journal/installation.h"

namespace tamberlin {

class FileSystem;

/// The installations of the game folder `dir`, oldest first; nothing, after a message
/// "tamberlin COMMAND: ..." on stderr, when `dir` is no folder or cannot be read.
std::optional<std::vector<journal::Installation>> readInstallations(FileSystem& fs,
                                                                    const std::string& command,
                                                                    const std::string& dir);

/// "no installations recorded in DIR", and a hint when DIR holds no game.
std::string noInstallationsText(FileSystem& fs, const std::string& dir);

/// The damaged journal's path, and what is wrong with it ("line 4: ..."), its path taken off.
std::string journalPathOf(const journal::Installation& in);
std::string damageOf(const journal::Installation& in);

}  // namespace tamberlin
