#include "journal/old_data.h"

#include "imgarchive/format.h"
#include "journal/installation.h"
#include "journal/item_state.h"
#include "platform/file_system.h"

namespace tamberlin::journal {

bool oldDataInPlace(FileSystem& fs, const std::string& archive, const EntryItem& e) {
  const FileInfo info = fs.stat(archive);
  const std::int64_t end = (std::int64_t{e.preOffset()} + e.preSectors()) * sector;
  if (!info.exists || info.isDir || end > info.size) return false;
  auto file = fs.open(archive, OpenMode::Read);
  return sectorHash(*file, e.preOffset(), e.preSectors()) == e.preHash;
}

bool backupHoldsOldData(FileSystem& fs, const std::string& datPath, const EntryItem& e) {
  const std::int64_t bytes = std::int64_t{e.preSectors()} * sector;
  const FileInfo info = fs.stat(datPath);
  if (bytes == 0 || !info.exists || info.isDir || e.backupOffset + bytes > info.size) return false;
  auto dat = fs.open(datPath, OpenMode::Read);
  return hashAndCopy(*dat, e.backupOffset + 1, bytes, nullptr, 0) == e.preHash;
}

}  // namespace tamberlin::journal
