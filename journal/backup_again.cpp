#include "journal/backup_again.h"

#include <memory>
#include <string>

#include "imgarchive/format.h"
#include "journal/game_path.h"
#include "journal/hex.h"
#include "journal/installation.h"
#include "journal/item_state.h"
#include "journal/journal_writer.h"
#include "journal/layout.h"
#include "journal/sha256.h"
#include "platform/file_system.h"

namespace tamberlin::journal {
namespace {

bool backupHolds(FileSystem& fs, const std::string& dat, const EntryItem& e, std::int64_t bytes) {
  const FileInfo info = fs.stat(dat);
  if (!info.exists || info.isDir || e.backupOffset + bytes > info.size) return false;
  auto file = fs.open(dat, OpenMode::Read);
  return hashAndCopy(*file, e.backupOffset + 1, bytes, nullptr, 0) == e.preHash;
}

bool oldDataInPlace(FileSystem& fs, const std::string& archive, const EntryItem& e) {
  const FileInfo info = fs.stat(archive);
  if (!info.exists || info.isDir) return false;
  auto file = fs.open(archive, OpenMode::Read);
  return sectorHash(*file, e.preOffset(), e.preSectors()) == e.preHash;
}

std::string states(const std::vector<DataState>& own) {
  std::string out;
  for (const DataState& s : own) out += (out.empty() ? "" : ",") + formatDataState(s);
  return out;
}

}  // namespace

std::size_t backUpLostEntries(FileSystem& fs, const std::string& saPath, const std::string& folder,
                              const std::vector<EntryItem*>& entries, JournalWriter& writer) {
  const std::string datPath = folder + "\\" + kBackupFile;
  std::vector<EntryItem*> copied;
  std::unique_ptr<BinaryFile> dat;
  bool made = false;
  for (EntryItem* e : entries) {
    const std::int64_t bytes = std::int64_t{e->preSectors()} * sector;
    if (bytes == 0 || backupHolds(fs, datPath, *e, bytes)) continue;
    const std::string archive = underGame(saPath, e->archive);
    if (!oldDataInPlace(fs, archive, *e)) continue;  // the uninstall reports it
    if (!dat) {
      made = !fs.stat(datPath).exists;
      dat = fs.open(datPath, made ? OpenMode::Create : OpenMode::ReadWriteExisting);
    }
    auto file = fs.open(archive, OpenMode::Read);
    e->backupOffset = dat->length();
    hashAndCopy(*file, std::int64_t{e->preOffset()} * sector + 1, bytes, dat.get(),
                e->backupOffset + 1, bytes);
    copied.push_back(e);
  }
  if (copied.empty()) return 0;
  dat->sync();
  dat->close();
  if (made) fs.syncDir(folder);
  for (const EntryItem* e : copied)
    writer.append(Record{"entry",
                         {e->archive, std::to_string(e->slot), hexOf(e->record.data(), 32),
                          toHex(e->preHash), std::to_string(e->backupOffset), states(e->own)}});
  writer.sync();
  return copied.size();
}

}  // namespace tamberlin::journal
