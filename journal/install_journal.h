#pragma once
// The install side of the journal. Before each change to the game the executor tells it what is
// about to change; it appends the record that undoes the change and flushes the journal, so the
// record is on the disk before the change it describes. Records that add nothing new (a file
// this installation already wrote) ride along with the next flush. A line's "done" waits until
// the run's changes are durable (its end, or its stop): a power cut may lose a change of a line
// that ended, and the run after it does that line again. What an installation deletes is moved
// into its deleted\ folder, a file it overwrites keeps a second name there (a hard link, else a
// copy), and a replaced entry's old data is copied into backup.dat, flushed with the record
// that points there.
//
// A run of the same script bytes after a stop continues the stopped installation; after a
// complete one it takes that one back first and installs afresh.

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imgarchive/img_archive.h"
#include "journal/installation.h"
#include "journal/uninstall.h"

namespace tamberlin {
class BinaryFile;
class FileSystem;
}  // namespace tamberlin

namespace tamberlin::journal {

class JournalWriter;

/// How an installation began.
struct Beginning {
  enum class Kind {
    Fresh,                ///< a new installation
    Resumed,              ///< the stopped installation of the same script goes on
    Redone,               ///< the complete installation of the same script was taken back first
    RedoneOverConflicts,  ///< it could not be taken back (conflicts): a new one goes over it
  };
  Kind kind = Kind::Fresh;
  unsigned number = 0;    ///< the installation that runs now
  unsigned previous = 0;  ///< the one resumed or taken back
  UninstallReport undo;   ///< of the one taken back
};

class InstallJournal {
 public:
  /// `saPath` is the game folder as the executor joins paths to it.
  InstallJournal(FileSystem& fs, std::string saPath);
  ~InstallJournal();
  InstallJournal(const InstallJournal&) = delete;
  InstallJournal& operator=(const InstallJournal&) = delete;

  /// Starts (or resumes) the installation of the script `scriptBytes` of the mod `mod`.
  Beginning begin(const std::string& scriptBytes, const std::string& mod);
  /// True when script line `line` (1-based) ran to its end in an earlier run of it.
  bool lineDone(std::size_t line) const { return done_.count(line) != 0; }
  void lineStarting(std::size_t line) { line_ = line; }
  /// Notes "done", written once the run's changes are durable (complete or stopped).
  void lineEnded(std::size_t line);

  /// ADD: the new bytes for the game path `field` (full path `dest`) are flushed in `part`, about
  /// to be renamed over `dest`. A file there from before goes into the backup first.
  void beforeCopyRename(const std::string& field, const std::string& dest, const std::string& part);
  /// DELETE: moves the files `files` (full paths) that the pattern `field` matched into the
  /// backup, or deletes them where this installation wrote them.
  void removeFiles(const std::string& field, const std::vector<std::string>& files);
  /// MAKEDIR: makes the folder `path` (game path `field`); false when it was there.
  bool makeFolder(const std::string& field, const std::string& path);

  /// Before an archive line first uses the archive at game path `field` (full path `path`).
  void namingArchive(const std::string& field, const std::string& path);
  /// The hook for ImgArchive::beforeVisible of a replace or an add of line lineStarting().
  ImgArchive::BeforeVisible replaceHook(const std::string& field, ImgArchive& archive);
  ImgArchive::BeforeVisible addHook(const std::string& field, ImgArchive& archive);
  /// For an ADDINIMG line of a resumed installation: true when its entry is in the archive.
  bool addAlreadyMade(const std::string& field, ImgArchive& archive);
  /// Before an ADDINIMG line writes: its grown directory may cover sectors that a replace of
  /// this run freed, so their backup goes to the disk first.
  void beforeAdd();
  /// For a REPINIMG line of a resumed installation: true when entry `slot` already holds the
  /// bytes of the file `source`, written by an earlier run of it (a second replace would append
  /// them again).
  bool replaceAlreadyMade(const std::string& field, ImgArchive& archive, std::int32_t slot,
                          const std::string& source);

  /// After the run's own changes are on stable storage: the backup too, then "complete".
  void complete();
  /// The run ends at line `line` with error `error` (0 for a No in an error box).
  /// `durable` is false when the run's changes could not all be flushed: its lines are then not
  /// recorded as done, and a rerun does them again.
  void stopped(std::size_t line, int error, const std::string& text, bool durable = true);

  unsigned number() const { return number_; }
  /// False while the run has changed nothing: its folder is not made yet.
  bool started() const { return writer_ != nullptr; }

 private:
  std::string checked(const std::string& field) const;
  std::string full(const std::string& gamePath) const;
  std::string deletedName(const std::string& name);
  void write(const Record& r);
  void fileRecord(const FileItem& f, const std::string& backup, const FileState& own);
  void moveAway(FileItem& f, const std::string& path);
  /// backup.dat, opened (made the first time) to append to; marked to be flushed.
  BinaryFile& backupFile();
  /// backup.dat's new bytes (and its name, once) on the disk, before the records that use them.
  void flushBackup();
  void entryReplaced(const std::string& archive, ImgArchive& a, std::int32_t slot,
                     const DataState& own);
  void startFolder(const std::string& scriptBytes);
  void adopt(const Installation& in);
  /// At the run's end, after the executor made its changes durable: the backup and the folders
  /// of moved files flushed, and the lines this run ended appended as done.
  void makeBackupDurable();
  /// A resumed installation: replaced entries whose backup a power cut lost are backed up again
  /// while their old data is still in place.
  void backUpAgain();
  /// Makes the installation's folder and journal on the first change of a new installation.
  void ensureStarted();

  /// What a new installation's journal will begin with, until its first change.
  struct Pending {
    std::string scriptBytes, mod, startedAt;
  };
  std::unique_ptr<Pending> pending_;
  bool resumed_ = false;  ///< this run goes on with a stopped installation

  FileSystem& fs_;
  std::string saPath_;
  std::string folder_;
  unsigned number_ = 0;
  std::size_t line_ = 0;
  std::unique_ptr<JournalWriter> writer_;
  std::unique_ptr<BinaryFile> backup_;
  std::int64_t backupEnd_ = 0;
  bool backupDirty_ = false;
  bool backupNamed_ = false;  ///< its name is on the disk
  std::set<std::string> foldersToSync_;

  std::set<std::size_t> done_;
  std::vector<std::size_t> endedNow_;  ///< lines this run ended, their "done" not yet written
  std::map<std::string, FileItem> files_;
  std::set<std::string> folders_;
  std::map<std::string, ArchiveItem> archives_;
  std::map<std::string, EntryItem> entries_;  ///< by archive key and slot
  std::map<std::string, AddedItem> added_;    ///< by archive key and line
};

/// The mod's name: line 1 of "text.cfg" in the mod's folder `modFolder` (the current folder
/// when empty), else that folder's name.
std::string modName(FileSystem& fs);

}  // namespace tamberlin::journal
