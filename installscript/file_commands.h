#pragma once
// The script's file commands against the game folder: delete by pattern, make a folder, copy a
// file into place. Paths are program paths (see platform/file_system.h).

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace tamberlin {

class FileSystem;
class StatusLine;

/// The files (not folders) that the "DELETE" pattern `pattern` names: its folder part taken as
/// it is, its last part matched with "*" and "?" and without regard to letter case. Returns
/// program paths in name order; none when the folder does not exist. A pattern without
/// wildcards that names a folder is error 75.
std::vector<std::string> filesMatching(FileSystem& fs, const std::string& pattern);

/// Deletes every file `pattern` matches; returns how many. Matching nothing is no error: the
/// files are gone, which is what the line asks for.
std::size_t deleteMatching(FileSystem& fs, const std::string& pattern);

/// Makes the folder `path` (its parent must exist: error 76). A folder that is already there is
/// left as it is and gives false; a file of that name is error 75.
bool makeFolder(FileSystem& fs, const std::string& path);

/// Copies the file `source` to `dest`, replacing a file there. The bytes go to a temporary file
/// beside `dest`, which is flushed and then renamed over it, so `dest` is never half-written.
/// Errors: 53 source missing, 76 destination folder missing, 75 destination is a folder.
/// Progress, when given, hears of each chunk copied. With `syncFolder` the rename is made
/// durable before returning; without it the caller syncs the folder (destFolder) later: a crash
/// before then may lose the rename, leaving the old file whole. `beforeRename`, when given, hears
/// of the temporary file once it is flushed, just before it is renamed over `dest`; a throw
/// leaves `dest` as it was (the temporary file goes).
void copyIntoPlace(FileSystem& fs, const std::string& source, const std::string& dest,
                   StatusLine* progress, bool syncFolder = true,
                   const std::function<void(const std::string& part)>& beforeRename = {});

/// The errors of an ADD whose destination's folder is missing, or which names a folder.
RuntimeError destinationFolderMissing(const std::string& dest);
RuntimeError destinationIsFolder(const std::string& dest);
/// The error of a DELETE whose pattern, without wildcards, names a folder.
RuntimeError deleteNamesFolder(const std::string& pattern);
/// The error of a MAKEDIR that names a file.
RuntimeError folderIsFile(const std::string& path);
/// The error of a MAKEDIR whose parent folder does not exist.
RuntimeError parentFolderMissing(const std::string& path);

/// The folder copyIntoPlace renames into.
std::string destFolder(const std::string& dest);

/// The temporary file copyIntoPlace writes for `dest`.
std::string partFileFor(const std::string& dest);

}  // namespace tamberlin
