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
#include "journal/old_data.h"
#include "journal/sha256.h"
#include "platform/file_system.h"

namespace tamberlin::journal {

std::size_t backUpLostEntries(FileSystem& fs, const std::string& saPath, const std::string& folder,
                              const std::vector<EntryItem*>& entries, JournalWriter& writer) {
  const std::string datPath = folder + "\\" + kBackupFile;
  std::vector<EntryItem*> copied;
  std::unique_ptr<BinaryFile> dat;
  bool made = false;
  for (EntryItem* e : entries) {
    const std::int64_t bytes = std::int64_t{e->preSectors()} * sector;
    if (bytes == 0 || backupHoldsOldData(fs, datPath, *e)) continue;
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
    writer.append(
        Record{"entry",
               {e->archive, std::to_string(e->slot), hexOf(e->record.data(), 32), toHex(e->preHash),
                std::to_string(e->backupOffset), formatDataStates(e->own)}});
  writer.sync();
  return copied.size();
}

}  // namespace tamberlin::journal
