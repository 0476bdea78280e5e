#pragma once
// The game's folder: the one that holds the game's program under exactly its name.

#include <string>
#include <vector>

namespace tamberlin {

class FileSystem;

/// The game's program file, named with its letter case.
inline constexpr const char* kGameProgram = "gta_sa.exe";

/// The files of `folder` whose names match `pattern` ("*", "?", letter case ignored), as a
/// classic file list shows them: no folders, no hidden or system files, names as the file system
/// stores them, in its order. A folder that cannot be listed (gone, refused) lists nothing.
std::vector<std::string> listedFiles(FileSystem& fs, const std::string& folder,
                                     const std::string& pattern);

/// True when the listing of `folder` for the game's program begins with exactly its name
/// (letter case counting): the check the folder page makes before it accepts a folder.
bool holdsGame(FileSystem& fs, const std::string& folder);

}  // namespace tamberlin
