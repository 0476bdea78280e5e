#pragma once
// Where a replaced entry's old data is: still in its sectors of the archive, or in backup.dat.

#include <string>

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

struct EntryItem;

/// True when the archive at `archive` (program path) still holds `e`'s old data in its old
/// sectors, whole and with its hash.
bool oldDataInPlace(FileSystem& fs, const std::string& archive, const EntryItem& e);

/// True when backup.dat at `datPath` holds `e`'s old data at its backup offset, whole and with
/// its hash.
bool backupHoldsOldData(FileSystem& fs, const std::string& datPath, const EntryItem& e);

}  // namespace tamberlin::journal
