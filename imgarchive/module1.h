#pragma once
// The archive engine: the directory table of one archive, and the routines that read it, add an
// entry and replace an entry's data in place.
//
// Every change is ordered so that a crash at any write leaves a valid archive: data before the
// record that points at it, a record before the entry count that makes it visible, each step
// flushed to stable storage before the next. The last flush of an add (after the count) or of a
// replace (after the record) only makes the change durable; an owner that runs many changes may
// defer it (deferLastFlush) and flush once at the end (flushPending). A failed add or replace is
// taken back as a whole (the archive and the table as they were before it) and then shown in the
// routine's Yes/No error box (title "Veldra"): No ends the program (throws ProgramEnd), Yes returns
// to the caller, which goes on.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imgarchive/format.h"

namespace tamberlin {

class ArchiveEdit;
class BinaryFile;
class FileSystem;
class MessageBoxes;
class StatusLine;
class EntryList;
class RuntimeError;

class Module1 {
 public:
  Module1(FileSystem& fs, StatusLine& status, EntryList& list, MessageBoxes& boxes);

  /// The directory table: slot 0 unused, slot k is record k. Empty (no slots at all) until a
  /// ReadIMG of this run got as far as replacing it.
  std::vector<IMGEntry> IMGDir;
  /// The archive that UseFileNameToIMG and ReplaceFileInIMG change.
  std::string imgPath;

  /// Writes the status line.
  void SetStatus(const std::string& text);

  /// Reads the directory of the archive at `path` into IMGDir (created empty when missing).
  void ReadIMG(const std::string& path);

  /// Appends the names of slots 1.. to the entry list. Error 9 while IMGDir has no slots.
  void ListIMGEntries();

  /// Adds the file `newFilePath` to the archive at imgPath as a new entry named `entryName`, or,
  /// when that is empty, after the last "\" or "/" of `newFilePath`. The two numbers are unused.
  void UseFileNameToIMG(const std::string& newFilePath, const std::int32_t& unused1,
                        const std::int32_t& unused2, const std::string& entryName);

  /// Gives slot `entryIndex` the bytes of `newFilePath` as its new data, appended at the end of
  /// the archive at imgPath. `sourceFileNum` must be 0 (read the whole file); `byteCount` receives
  /// the file's length. A missing or empty file changes nothing.
  void ReplaceFileInIMG(std::int32_t entryIndex, const std::string& newFilePath,
                        std::int32_t sourceFileNum, std::int32_t& byteCount);

  /// True when IMGDir holds the complete directory of the archive at `path` as read by ReadIMG
  /// in this run (with the changes made through this engine since).
  bool tableHolds(const std::string& path) const;

  /// False after a ReadIMG that failed or found a short directory: no write trusts the table.
  bool tableComplete() const { return tableComplete_; }

  /// With `on`, a successful add or replace skips its last flush and leaves its archive
  /// pending. Crash safety does not depend on that flush: the next change's first flush covers
  /// the whole file before anything that relies on it is written (an add whose record would
  /// land on space the pending change freed flushes before that write). The next change of the
  /// same archive clears the mark with its flushes; one of another archive flushes the pending
  /// one first. Off by default; whoever turns it on calls flushPending before reporting success.
  void deferLastFlush(bool on) { deferLastFlush_ = on; }
  /// Flushes the archive whose last flush was deferred, opened again by the path it was changed
  /// through, and clears the mark. Nothing to do when none is pending. Throws RuntimeError
  /// (naming the archive) when it fails; the archive then stays pending.
  void flushPending();
  /// The archive whose last flush was deferred and has not happened since; empty when none.
  const std::string& pendingFlush() const { return pendingPath_; }

 private:
  /// Shows the error box of routine `sub` (prompt prefix as that routine's box has it). Returns
  /// when the user answers Yes; throws ProgramEnd on No.
  void errorBox(const std::string& prefix, const RuntimeError& e, const std::string& sub);

  /// Throws unless IMGDir holds the complete directory of the archive at imgPath and the open
  /// file `archive` (that archive) still has the header that directory came with.
  void verifyTable(BinaryFile& archive) const;
  /// Remembers that IMGDir now holds the whole directory of the archive at `path`.
  void trustTable(const std::string& path);
  void distrustTable();
  /// Takes an unfinished change back after `failure`, then throws `failure`. When even that
  /// fails, the table no longer describes the file, no later write trusts it, and the error
  /// thrown says so too.
  [[noreturn]] void abandon(ArchiveEdit& edit, const RuntimeError& failure);

  /// Before a change of the table's archive (verified): flushes a pending archive that is
  /// another file.
  void flushOtherPending();
  /// The last flush of a successful change of the table's archive: done now, or deferred.
  void lastFlush(ArchiveEdit& edit);
  /// After a change that failed: a flush it made covered the pending archive (the same file).
  void noteFlushes(const ArchiveEdit& edit);

  /// The add and replace proper: they change the file and the table, or throw. A RuntimeError
  /// leaves the archive as it was (see ArchiveEdit) or, when even that failed, distrusts the
  /// table.
  void addEntry(BinaryFile& archive, const std::string& newFilePath, const std::string& name);
  void replaceEntry(BinaryFile& archive, std::int32_t entryIndex, const std::string& newFilePath,
                    std::int32_t& byteCount);

  FileSystem& fs_;
  StatusLine& status_;
  EntryList& list_;
  MessageBoxes& boxes_;
  std::string tablePath_;  ///< native path of the archive the table was read from
  std::uint64_t tableFileId_ = 0;
  bool tableComplete_ = false;  ///< false after a failed or short read
  bool deferLastFlush_ = false;
  std::string pendingPath_;      ///< the archive whose last flush was deferred, as named
  std::string pendingNative_;    ///< its native path (as tablePath_)
  std::uint64_t pendingId_ = 0;  ///< its file identity (as tableFileId_)
};

}  // namespace tamberlin
