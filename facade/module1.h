#pragma once
// The archive engine as the window sees it: the routines of Module1 over one ImgArchive, with the
// window's status line, its entry list and the engine's Yes/No error boxes (title "Veldra").
// A failed add or replace is taken back as a whole by the core and then shown in the routine's
// box: No ends the program (throws ProgramEnd), Yes returns to the caller, which goes on.

#include <cstdint>
#include <string>
#include <vector>

#include "imgarchive/img_archive.h"

namespace tamberlin {

class FileSystem;
class MessageBoxes;
class StatusLine;
class EntryList;
class RuntimeError;

class Module1 {
 public:
  Module1(FileSystem& fs, StatusLine& status, EntryList& list, MessageBoxes& boxes);
  Module1(const Module1&) = delete;
  Module1& operator=(const Module1&) = delete;

 private:
  ImgArchive archive_;  // declared first: IMGDir refers into it

 public:
  /// The directory table: slot 0 unused, slot k is record k. Empty (no slots at all) until a
  /// ReadIMG of this run got as far as replacing it.
  std::vector<IMGEntry>& IMGDir;
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
  /// the file's length. A missing, hidden or empty file changes nothing.
  void ReplaceFileInIMG(std::int32_t entryIndex, const std::string& newFilePath,
                        std::int32_t sourceFileNum, std::int32_t& byteCount);

  /// True when IMGDir holds the complete directory of the archive at `path` as read by ReadIMG
  /// in this run (with the changes made through this engine since).
  bool tableHolds(const std::string& path) const { return archive_.holds(path); }
  /// False after a ReadIMG that failed or found a short directory: no write trusts the table.
  bool tableComplete() const { return archive_.complete(); }

  /// The core under the routines (see ImgArchive for the deferred last flush).
  ImgArchive& archive() { return archive_; }
  void deferLastFlush(bool on) { archive_.deferLastFlush(on); }
  void flushPending() { archive_.flushPending(); }
  const std::string& pendingFlush() const { return archive_.pendingFlush(); }

 private:
  /// Shows the error box of routine `sub` (prompt prefix as that routine's box has it). Returns
  /// when the user answers Yes; throws ProgramEnd on No.
  void errorBox(const std::string& prefix, const RuntimeError& e, const std::string& sub);
  /// Throws unless imgPath names the archive whose directory the table holds.
  void requireTableForImgPath() const;

  FileSystem& fs_;
  StatusLine& status_;
  EntryList& list_;
  MessageBoxes& boxes_;
};

}  // namespace tamberlin
