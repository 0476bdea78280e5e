#pragma once
// One directory per archive. Each archive that a script line names has its own engine, whose
// table is read once (through ReadIMG) the first time the archive is named and then changed only
// by that engine, whose index of names follows the entries the run adds.
// A name is therefore looked up in the archive it will be replaced in, and an entry added
// earlier in the run can be replaced later.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "facade/module1.h"

namespace tamberlin {

class FileSystem;
class MessageBoxes;
class StatusLine;

class ArchiveSet {
 public:
  ArchiveSet(FileSystem& fs, StatusLine& status, MessageBoxes& boxes);
  ~ArchiveSet();
  ArchiveSet(const ArchiveSet&) = delete;
  ArchiveSet& operator=(const ArchiveSet&) = delete;

  /// Makes `engine`, which has just read the archive at `path`, that archive's engine.
  void adopt(Module1& engine, const std::string& path);

  /// The engine of the archive at `path`: the adopted one, or a new one that reads the archive's
  /// directory now (with ReadIMG's own handling of a missing file and of errors).
  Module1& engineFor(const std::string& path);

  /// The lowest slot of the archive at `path` whose name is `name` (letter case counting,
  /// blank padding ignored), entries added so far included; 0 when there is none.
  std::int32_t find(const std::string& path, const std::string& name);

  /// The name index of the archive at `path`, entries added so far included.
  const EntryIndex& index(const std::string& path);

  /// Reads every known archive's directory again (something else changed the files since).
  void readAgain();

  /// The archives known, as first named, in the order they were.
  std::vector<std::string> paths() const;

  /// Turns the deferred last flush (Module1::deferLastFlush) on or off for every engine of the
  /// set, those adopted or made later included.
  void deferLastFlush(bool on);
  /// Flushes every engine's pending archive. Tries them all; throws the first failure.
  void flushPending();

 private:
  struct Archive;

  /// Keys that identify the archive at `path`: its resolved path, and its file identity when it
  /// exists (so two spellings of one file share one table).
  std::vector<std::string> keysOf(const std::string& path);
  Archive* lookup(const std::string& path);
  Archive& archiveFor(const std::string& path);
  void registerKeys(Archive& a, const std::string& path);

  FileSystem& fs_;
  StatusLine& status_;
  MessageBoxes& boxes_;
  std::vector<std::unique_ptr<Archive>> archives_;
  std::map<std::string, Archive*> byKey_;
  bool deferLastFlush_ = false;
};

}  // namespace tamberlin
