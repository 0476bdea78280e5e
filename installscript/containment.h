#pragma once
// Keeping a script's game-folder paths inside the game folder.
//
// A game-folder relative field is joined to the game folder with one backslash. Such a field
// may start with a single "\" or "/": scripts write the game's archive as "\models\gta3.img",
// and the doubled separator stays inside the folder. It may not leave the folder: no ".."
// component (nor a component of dots and blanks that Windows trims to ".."), no drive letter or
// other colon (which would also name a file's alternate stream), no "\\server" network prefix.
// Nor may it reach into our own folder at the game folder's root, where installations keep their
// journals and backups: a script that could write there could forge a journal's undo.

#include <string>

namespace tamberlin {

/// The folder of ours at the root of the game folder. The game ignores it.
inline constexpr const char* kOwnFolder = "Tamberlin";

/// True when the field's first component names our own folder: "Tamberlin" in any letter case,
/// with the trailing dots and blanks Windows ignores, or a short name of it ("TAMBER~1").
bool namesOwnFolder(const std::string& field);

/// Why `field` would leave the game folder; empty when it stays inside.
std::string gamePathProblem(const std::string& field);

/// What is wrong with `field` as a game path, as messages say it ("\"x:\a\" would leave the game
/// folder (it names a drive)"; a ".." part is refused as such, whatever it climbs to); empty when
/// it stays inside.
std::string gamePathRefusal(const std::string& field);

/// Throws RuntimeError 75 (Path/File access error) when `field` leaves the game folder. `where`
/// names the line and the field ("ins.cfg line 4, ADD destination").
void checkGamePath(const std::string& field, const std::string& where);

/// The full path of a game-folder relative field: `saPath`, "\", the field as read.
std::string gamePath(const std::string& saPath, const std::string& field);

}  // namespace tamberlin
