#pragma once
// Game paths as the journal keeps them: relative to the game folder, components joined by one
// "\", nothing before the first or after the last. Every path read from a journal is checked
// against this form before it is used, so a damaged or hand-edited journal cannot name a file
// outside the game folder, nor one inside Tamberlin's own folder.

#include <string>

#include "installscript/containment.h"

namespace tamberlin::journal {

/// A script's game field in the journal's form: separators "\" or "/" taken as one "\", none
/// leading or trailing, "." parts dropped. (The field was checked by the script's own rule first.)
std::string normaliseGamePath(const std::string& field);

/// Why `path` is not a game path in the journal's form; empty when it is one.
std::string gamePathProblem(const std::string& path);

/// The same path in any letter case gives the same key (as Windows matches names).
std::string pathKey(const std::string& path);

/// The full program path of a journal game path under the game folder `saPath`.
std::string underGame(const std::string& saPath, const std::string& path);

}  // namespace tamberlin::journal
