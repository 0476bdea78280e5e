#pragma once
// A file system in memory with a disk cache that can lose power. It answers the program as the
// POSIX file system does (the same error numbers for the same faults, program paths with either
// separator, letter case matched per component) and remembers what a power cut could lose:
//  - per file, the durable bytes and the writes and truncates since its last sync(), in order;
//  - per folder, the name changes (create, makeDir, removeFile, rename) since its last syncDir(),
//    in order. They reach the disk in that order: a cut keeps any prefix of them per folder.
// A rename between two folders is one change in both folders' lists and reaches the disk whole
// (as a journal commits it): a cut keeps it only inside the kept prefix of both folders, and
// syncDir of either folder makes it durable together with the other folder's earlier changes.
// BinaryFile::sync() makes a file's data durable, never its name.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tamberlin::test {

/// Thrown in place of the operation at which the power went, and by every call after it. Not a
/// RuntimeError, so no error handling of the program catches it.
struct PowerCut {
  long operation = 0;  ///< the refused operation's number, counted from cutPowerAt()
  std::string name;    ///< what it was ("rename a -> b"); empty for calls after the cut
};

/// How many of the states a cut may leave are tried.
struct CrashStateOptions {
  /// Every combination is tried when there are at most this many unflushed changes...
  std::size_t exhaustiveItems = 10;
  /// ...and the combinations (tears included) number at most this.
  std::size_t maxExhaustiveStates = 4096;
  /// Otherwise the chosen states (nothing, everything, all-but-one, only-one, program-order
  /// prefixes, torn writes) plus this many drawn from `seed`.
  std::size_t samples = 200;
  std::uint64_t seed = 1;
  /// 512-byte boundaries inside one write at which it may tear: the first, the last and evenly
  /// spaced ones between, at most this many.
  std::size_t tearsPerWrite = 3;
};

class MemoryFileSystem : public FileSystem {
 public:
  /// Gets one state (all durable) and what it kept, tore and lost; returns false to stop.
  using StateVisitor = std::function<bool(MemoryFileSystem& state, const std::string& description)>;

  static constexpr std::int64_t kTearUnit = 512;

  MemoryFileSystem();
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override;
  FileInfo stat(const std::string& path) override;
  std::vector<DirEntry> list(const std::string& dir) override;
  void makeDir(const std::string& path) override;
  void removeFile(const std::string& path) override;
  void removeDir(const std::string& path) override;
  void rename(const std::string& from, const std::string& to) override;
  void syncDir(const std::string& dir) override;
  std::uint64_t freeSpace(const std::string& dir) override;
  std::string nativePath(const std::string& path) override;
  std::string currentDir() override;

  /// From now on writes that grow the files by more than `bytes` in all fail with error 61.
  void setFreeSpace(std::uint64_t bytes);
  /// The folder relative paths start from ("/" at first); it must exist.
  void setCurrentDir(const std::string& path);

  // Helpers for tests: not operations of the program, never counted, never cut, always durable.
  /// Writes a whole file, making its missing folders.
  void writeFile(const std::string& path, const std::string& bytes);
  /// The file's visible contents; RuntimeError 53 or 76 when it is missing.
  std::string readFile(const std::string& path);
  /// Makes a folder and its missing parents.
  void makeDirs(const std::string& path);
  /// Every visible path, sorted, folders ending in "/" ("/game/", "/game/gta_sa.exe").
  std::vector<std::string> listAll() const;
  /// Empty when both durable trees hold the same names and bytes; else the first difference.
  std::string durableDifference(const MemoryFileSystem& other) const;
  /// Copies the real folder `realDir` with everything in it to the folder `dir` here.
  void copyIn(const std::string& realDir, const std::string& dir);
  /// Copies the visible folder `dir` with everything in it into the real folder `realDir`.
  void copyOut(const std::string& dir, const std::string& realDir) const;
  /// Makes every file's data and every name durable.
  void makeDurable();

  /// Operations so far: writes, truncates, syncs, syncDirs, makeDirs, removals, renames and
  /// opens that create or empty a file. Failed calls change nothing and are not counted.
  long operations() const { return static_cast<long>(log_.size()); }
  /// Their names in order ("write models/gta3.img pos 105 len 32", "rename a -> b").
  const std::vector<std::string>& operationLog() const { return log_; }
  /// The `k`-th operation from now (1-based) throws PowerCut instead of happening, and so does
  /// every call after it. A k below 1 never cuts.
  void cutPowerAt(long k);
  bool powerWasCut() const { return cut_.operation != 0; }
  /// The refused operation once the power was cut.
  const PowerCut& cut() const { return cut_; }

  /// Changes a cut could lose now: unflushed writes and truncates plus unflushed name changes.
  std::size_t unflushedItems() const;
  /// Calls `visit` with each distinct state a cut now may leave, as a fresh file system whose
  /// contents are all durable, until it returns false. Returns how many states were visited.
  std::size_t crashStates(const StateVisitor& visit, const CrashStateOptions& options = {}) const;
  /// True when crashStates tries every combination now, false when it samples.
  bool triesEveryState(const CrashStateOptions& options = {}) const;

 private:
  class File;
  struct DataChange;
  struct NameEffect;
  struct NameChange;
  struct Inode;
  struct Resolved;
  struct StateSpace;
  struct Choice;

  Resolved resolve(const std::string& path) const;
  /// The entry of folder `dir` named `name` (exact, else the first of another letter case, whose
  /// stored name then replaces `name`); 0 when absent.
  std::uint64_t lookup(std::uint64_t dir, std::string& name) const;
  std::string pathOf(std::uint64_t dir) const;
  void checkPower() const;
  /// Counts one operation, or cuts the power in its place.
  void countOperation(const std::string& name);
  Inode& inode(std::uint64_t id);
  const Inode& inode(std::uint64_t id) const;
  std::uint64_t newInode(bool isDir, std::uint64_t parent);
  /// Makes a name change visible and pending under the operation just counted.
  void commitName(NameChange change);
  void applyName(const NameChange& change, bool durable);
  void flushNames(std::uint64_t dir);
  void truncateFile(Inode& node, std::int64_t length, std::string label);
  int renameRefusal(const Resolved& from, const Resolved& to) const;
  std::uint64_t freeSpaceLeft() const;
  void durableTree(std::uint64_t dir, const std::string& prefix,
                   std::map<std::string, const std::string*>& out) const;

  StateSpace stateSpace(const CrashStateOptions& options) const;
  static std::vector<Choice> chosenStates(const StateSpace& space);
  std::unique_ptr<MemoryFileSystem> buildState(const StateSpace& space, const Choice& c) const;
  std::shared_ptr<std::string> fileAfter(
      const StateSpace& space, const Inode& from,
      const std::vector<std::pair<std::size_t, int>>& kept) const;
  std::string describe(const StateSpace& space, const Choice& c) const;
  /// Names and bytes of the visible tree, hashed: equal states give equal prints.
  std::uint64_t fingerprint() const;

  std::map<std::uint64_t, std::unique_ptr<Inode>> inodes_;
  std::vector<NameChange> pendingNames_;  ///< program order, all folders
  std::uint64_t nextId_ = 1;
  std::uint64_t capacity_ = UINT64_MAX;
  std::string cwd_ = "/";
  std::vector<std::string> log_;
  long cutFrom_ = 0;  ///< operations() when cutPowerAt was called
  long cutAt_ = 0;    ///< the number operations() would reach at the cut; 0 never
  PowerCut cut_;
};

}  // namespace tamberlin::test
