#pragma once
// One installation as its journal tells it: the mod, the script, the dates and state, and every
// item it may change with the item's state before the installation (its pre-image) and the states
// the installation may leave it in (its own states). Built from the records with every field
// checked; a journal that fails a check is Damaged and is never acted on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "imgarchive/codec.h"
#include "journal/item_state.h"
#include "journal/journal_reader.h"

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

enum class InstallState {
  NotStarted,  ///< its preparation never finished: it changed nothing
  Running,     ///< running, or ended without a word (killed, power cut)
  Stopped,     ///< ended by an error or a No
  Complete,
  Uninstalling,  ///< an uninstall began and has not finished
  Uninstalled,
  Damaged,
};

/// Where a file's pre-image bytes are kept.
struct Backup {
  enum class Kind { None, Dat, Deleted };
  Kind kind = Kind::None;
  std::int64_t offset = 0;  ///< in backup.dat
  std::string name;         ///< in deleted\ (one name, no folders)
};

struct FileItem {
  std::string path;  ///< game path
  FileState pre;
  Backup backup;
  std::vector<FileState> own;
};

/// A folder a MAKEDIR line made (it was not there before).
struct FolderItem {
  std::string path;
};

/// An archive the installation changes: its entry count and length before, or that it was not
/// there (an add made it).
struct ArchiveItem {
  std::string path;
  bool existed = false;
  std::int32_t count = 0;
  std::int64_t length = 0;
};

/// An entry that was in its archive before and that REPINIMG lines replace.
struct EntryItem {
  std::string archive;
  std::int32_t slot = 0;          ///< before the installation
  RecordBytes record{};           ///< its 32 bytes before
  Digest preHash{};               ///< the hash of its sectors before (sectorHash)
  std::int64_t backupOffset = 0;  ///< those sectors in backup.dat
  std::vector<DataState> own;
  std::int32_t preSectors() const;
  std::int32_t preOffset() const;
};

/// An entry an ADDINIMG line adds.
struct AddedItem {
  std::string archive;
  std::size_t line = 0;   ///< the script line that adds it
  std::int32_t slot = 0;  ///< where it is added (when nothing else changed the archive meanwhile)
  std::array<char, kNameSize> name{};  ///< the name field as written
  std::vector<DataState> own;          ///< the added data, and what REPINIMG lines gave it later
};

/// An uninstall's intent to close up the directory over a removed record.
struct Closing {
  std::string archive;
  std::int32_t slot = 0;           ///< the record removed
  std::int32_t countBefore = 0;    ///< the count before the removal
  std::vector<RecordBytes> later;  ///< the records after it, as they were
  bool closed = false;
};

struct Installation {
  unsigned number = 0;
  std::string folder;  ///< its folder (program path)
  std::string mod;
  Digest script{};
  std::string gameFolder;  ///< as given when installed; for messages only
  std::string startedAt, completedAt, uninstalledAt;
  InstallState state = InstallState::NotStarted;
  std::size_t stoppedLine = 0;
  int stoppedError = 0;
  std::string stoppedText;
  std::size_t itemsLeft =
      0;  ///< items an uninstall left as they were (conflicts it was told to skip)
  std::set<std::size_t> done;  ///< script lines (1-based) that ran to their end
  std::vector<FileItem> files;
  std::vector<FolderItem> folders;
  std::vector<ArchiveItem> archives;
  std::vector<EntryItem> entries;
  std::vector<AddedItem> added;
  std::vector<Closing> closings;
  std::string damage;           ///< "<journal> line N: what is wrong" when Damaged
  std::int64_t journalEnd = 0;  ///< bytes up to the last whole line: appends go there
  std::int64_t backupSize = 0;

  const FileItem* file(const std::string& path) const;
  const ArchiveItem* archive(const std::string& path) const;
  /// True while something of it may be in the game: it ran, and no uninstall finished.
  bool installed() const;
  /// Files, folders and entries (replaced and added) it records.
  std::size_t itemCount() const;
};

/// The installation that `text` (journal.txt of folder `number`) records. `backupSize` is the
/// length of its backup.dat; `journalPath` names it in the damage text.
Installation parseInstallation(const JournalText& text, unsigned number, std::int64_t backupSize,
                               const std::string& journalPath);

/// Installation `number` of the game folder `saPath`, read from its folder. A journal that is
/// missing, unreadable or fails a check gives a Damaged installation saying why.
Installation loadInstallation(FileSystem& fs, const std::string& saPath, unsigned number);

/// Every installation of the game folder, by number.
std::vector<Installation> loadInstallations(FileSystem& fs, const std::string& saPath);

/// "running", "stopped at line 4: error 61 ...", "complete", "damaged: ...".
std::string describeState(const Installation& in);

}  // namespace tamberlin::journal
