#pragma once
// Game paths as the journal keeps them: relative to the game folder, components joined by one
// "\", nothing before the first or after the last. Every path read from a journal is checked
// against this form before it is used, so a damaged or hand-edited journal cannot name a file
// outside the game folder, nor one inside Tamberlin's own folder.

#include <string>

namespace tamberlin::journal {

/// The folder of ours at the root of the game folder. The game ignores it.
inline constexpr const char* kOwnFolder = "Tamberlin";

/// A script's game field in the journal's form: separators "\" or "/" taken as one "\", none
/// leading or trailing. (The field was checked by the script's own rule first.)
std::string normaliseGamePath(const std::string& field);

/// True when the field's first component names our own folder: "Tamberlin" in any letter case,
/// with the trailing dots and blanks Windows ignores, or a short name of it ("TAMBER~1").
bool namesOwnFolder(const std::string& field);

/// Why `path` is not a game path in the journal's form; empty when it is one.
std::string gamePathProblem(const std::string& path);

/// The same path in any letter case gives the same key (as Windows matches names).
std::string pathKey(const std::string& path);

/// The full program path of a journal game path under the game folder `saPath`.
std::string underGame(const std::string& saPath, const std::string& path);

}  // namespace tamberlin::journal
