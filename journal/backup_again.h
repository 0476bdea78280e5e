#pragma once
// Backing up again what a power cut lost. A replace keeps its entry's old data in backup.dat,
// flushed before anything could write over the old sectors; an installation cut short may so
// have records that point past what backup.dat holds, while the old data is still in place in
// its archive. Copied again before anything else changes the game, the uninstall can still
// give the entry its old data after later adds or a rebuild.

#include <cstddef>
#include <string>
#include <vector>

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

class JournalWriter;
struct EntryItem;

/// For the installation in `folder` (program path) of the game folder `saPath`: each of
/// `entries` whose backup in backup.dat does not hold its old data, while its archive still
/// does, is copied to the end of backup.dat and given its new offset; backup.dat is flushed,
/// then one "entry" record each is appended through `writer` and flushed. Returns how many.
std::size_t backUpLostEntries(FileSystem& fs, const std::string& saPath, const std::string& folder,
                              const std::vector<EntryItem*>& entries, JournalWriter& writer);

}  // namespace tamberlin::journal
