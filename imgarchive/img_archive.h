#pragma once
// One archive and its directory: read it, find a name, add an entry, replace an entry's data,
// extract, check, rebuild. Failures are thrown as RuntimeError; progress goes to a callback.
// Nothing here shows a box or a status text.
//
// Every change is ordered so that a power cut at any write leaves a valid archive: data before
// the record that points at it, a record before the entry count that makes it visible, each step
// flushed to stable storage before the next. The last flush of an add (after the count) or of a
// replace (after the record) only makes the change durable; an owner that runs many changes may
// defer it (deferLastFlush) and flush once at the end (flushPending). A failed add or replace is
// taken back as a whole: the archive and the table as they were before it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imgarchive/check.h"
#include "imgarchive/codec.h"
#include "imgarchive/entry_index.h"
#include "imgarchive/format.h"
#include "imgarchive/rebuild.h"
#include "platform/file_copy.h"

namespace tamberlin {

class ArchiveEdit;
class BinaryFile;
class FileSystem;
class RuntimeError;

/// What read() does when the archive's file does not exist.
enum class IfMissing {
  Fail,         ///< error 53
  CreateEmpty,  ///< make an empty file, an archive without entries (its folder must exist)
};

class ImgArchive {
 public:
  explicit ImgArchive(FileSystem& fs);
  ~ImgArchive();
  ImgArchive(const ImgArchive&) = delete;
  ImgArchive& operator=(const ImgArchive&) = delete;

  /// Reads the directory of the archive at `path` into the table, replacing it. An empty file is
  /// an archive without entries. A file that is not a "VER2" archive is error 321; a directory
  /// cut short by the file's end is error 62 naming both counts (the records the file holds stay
  /// in the table); an offset of 2^31 or more is error 6 (the records before it stay). After a
  /// failure the table is not trusted: no change is made through it until a read succeeds.
  void read(const std::string& path, IfMissing missing = IfMissing::Fail);

  /// The directory: slot 0 unused, slot k is record k. Empty (no slots at all) until a read got
  /// as far as replacing it.
  std::vector<IMGEntry>& table() { return table_; }
  const std::vector<IMGEntry>& table() const { return table_; }
  /// Entries in the table (0 before any read).
  std::int32_t count() const;
  /// The path the table was read from, as given to read().
  const std::string& path() const { return path_; }
  /// False after a read that failed or found a short directory.
  bool complete() const { return complete_; }
  /// True when the table holds the complete directory of the file at `path` (the same file,
  /// however the path spells it), with the changes made through this object since.
  bool holds(const std::string& path) const;

  /// The lowest slot whose name is `name` (UTF-8, letter case counting, blank padding before the
  /// NUL ignored), entries added since the read included; 0 when there is none.
  std::int32_t find(const std::string& name);
  /// The name index behind find(), for suggestions (missingEntryText).
  const EntryIndex& index();

  /// Called with the bytes copied so far and the total during a long copy.
  void onProgress(CopyProgress progress) { progress_ = std::move(progress); }

  /// Heard by add and replace once the new data (and an add's still invisible record) is on
  /// stable storage, just before the write that makes the change visible (an add's count, a
  /// replace's record): the slot, the entry as it will read and the data's length in bytes.
  /// The entry in the table is still the one before. A throw takes the change back.
  using BeforeVisible =
      std::function<void(std::int32_t slot, const IMGEntry& entry, std::int64_t bytes)>;
  void beforeVisible(BeforeVisible hook) { beforeVisible_ = std::move(hook); }

  /// Adds the file `source` as a new entry named `name` (UTF-8; stored in the ANSI code page,
  /// NUL-padded, cut at 24 bytes, or at 23 with a NUL when the directory has entries). Entries
  /// in the way of the grown directory move to the end first. Returns the new slot. A name the
  /// code page cannot hold is error 52, before anything is opened.
  std::int32_t add(const std::string& source, const std::string& name);
  /// Gives slot `slot` the bytes of `source` (at least one) as its new data, appended at the end
  /// of the archive; the old data stays, unreferenced. Returns the bytes written.
  std::int64_t replace(std::int32_t slot, const std::string& source);
  /// Gives slot `slot` `bytes` bytes (at least one) of `source` from 1-based position `from` as its
  /// new data, as replace() does with a whole file (a backup's range, for an undo).
  std::int64_t replaceFromRange(std::int32_t slot, const std::string& source, std::int64_t from,
                                std::int64_t bytes);
  /// Slot `slot`'s 32 bytes as the file holds them.
  RecordBytes rawRecord(std::int32_t slot);
  /// Writes `record` as slot `slot`'s 32 bytes in one write and flushes (an undo putting a record
  /// back that points at data still in place). The record's offset must be below 2^31.
  void restoreRecord(std::int32_t slot, const RecordBytes& record);

  /// Records after a removed one, as they were, handed to the caller before the directory closes
  /// up over the removed record: the caller keeps them durably, so that a later run can finish
  /// the close-up after a power cut (closeUp).
  using BeforeCloseUp = std::function<void(std::int32_t slot, std::int32_t countBefore,
                                           const std::vector<RecordBytes>& later)>;
  /// Removes slot `slot` from the directory; its data becomes dead space. The last record goes by
  /// the count alone (one flushed write). Otherwise `beforeCloseUp` hears of the records after it,
  /// then closeUp moves them one slot down.
  void removeEntry(std::int32_t slot, const BeforeCloseUp& beforeCloseUp);
  /// Closes the directory up over slot `slot` of an archive that had `countBefore` entries and the
  /// records `later` after it: the count down to slot - 1 (hiding them; skipped when it is there
  /// already), flush, the records one slot lower, flush, the count up to countBefore - 1, flush.
  /// A power cut leaves a valid archive at every write; running it again finishes the job. Reads
  /// the directory anew. Error 5 when the count is neither countBefore nor slot - 1.
  void closeUp(std::int32_t slot, std::int32_t countBefore, const std::vector<RecordBytes>& later);
  /// Cuts off the bytes at the archive's end that no record reaches (nor the directory), but never
  /// below `keep` bytes. Returns the bytes cut off.
  std::int64_t cutDeadTail(std::int64_t keep);

  /// Writes slot `slot`'s whole sectors (fewer where the file ends first) to `out` through a
  /// temporary file, so a failure leaves an existing `out` alone. Returns the bytes written.
  std::int64_t extract(std::int32_t slot, const std::string& out);

  /// Checks the archive's file without changing it.
  ArchiveReport check() const;
  /// Writes the archive anew without holes (rebuild.h), then reads the new directory.
  RebuildSummary rebuild();

  /// With `on`, a successful add or replace skips its last flush and leaves the archive pending.
  /// Crash safety does not depend on that flush: the next change's first flush covers the whole
  /// file before anything that relies on it is written (an add whose record would land on space
  /// the pending change freed flushes before that write). A change of another archive through
  /// this object flushes the pending one first. Whoever turns it on calls flushPending before
  /// reporting success.
  void deferLastFlush(bool on) { deferLastFlush_ = on; }
  /// Flushes the archive whose last flush was deferred and clears the mark; nothing to do when
  /// none is pending. Throws RuntimeError naming the archive when it fails (it stays pending).
  void flushPending();
  /// The archive whose last flush was deferred, as read() was given it; empty when none.
  const std::string& pendingFlush() const { return pendingPath_; }

 private:
  struct Identity {
    std::string native;    ///< the native path
    std::uint64_t id = 0;  ///< the file identity where the platform has one
    bool same(const Identity& other) const;
  };

  /// Throws unless the table holds the complete directory of its file and `archive` (that file,
  /// open) still has the header that directory came with.
  void verify(BinaryFile& archive) const;
  std::unique_ptr<BinaryFile> openForChange();
  /// Takes an unfinished change back after `failure`, then throws `failure`. When even that
  /// fails the table no longer describes the file, and the error says so.
  [[noreturn]] void abandon(ArchiveEdit& edit, const RuntimeError& failure);
  void distrust();

  void flushOtherPending();
  void lastFlush(ArchiveEdit& edit);
  void noteFlushes(const ArchiveEdit& edit);
  void clearPending();

  void addTo(BinaryFile& archive, BinaryFile& source, const std::string& ansiName);
  void replaceIn(BinaryFile& archive, std::int32_t slot, BinaryFile& source, std::int64_t from,
                 std::int64_t bytes);
  void checkSlot(std::int32_t slot) const;
  /// After a change that flushed the whole file: nothing of it is pending any more.
  void flushedWhole();
  void syncIndex();

  FileSystem& fs_;
  std::vector<IMGEntry> table_;
  std::string path_;
  Identity identity_;
  bool complete_ = false;
  CopyProgress progress_;
  BeforeVisible beforeVisible_;
  EntryIndex index_;
  std::size_t indexed_ = 0;  ///< table slots 1..indexed_ are in index_

  bool deferLastFlush_ = false;
  std::string pendingPath_;
  Identity pending_;
};

/// The name an added file gets: the part of `nameSource` after its last "\" or "/" (a forward
/// slash separates folders on Windows too), the whole of it without either.
std::string addedEntryName(const std::string& nameSource);

}  // namespace tamberlin
