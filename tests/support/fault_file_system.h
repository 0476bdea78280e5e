#pragma once
// A file system for tests: passes every call on to another one, counts the calls that change
// the disk, and can stop ("crash") before a chosen one or make a chosen call fail.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/forwarding_file_system.h"

namespace tamberlin {

/// Thrown in place of the stopped call: the process "died" there. Not a RuntimeError, so no
/// error handling of the program catches it.
struct SimulatedCrash {};

enum class FsCall {
  Open,
  Read,
  Write,
  Length,
  Truncate,
  Sync,
  Close,
  MakeDir,
  Remove,
  Rename,
  List
};

class FaultFileSystem : public ForwardingFileSystem {
 public:
  explicit FaultFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

  /// The change after the first `k` changes throws SimulatedCrash instead of happening. Changes
  /// are writes, truncates, renames, removals and folders made. A negative k never stops.
  void crashAfterChanges(long k) { crashAfter_ = k; }
  /// The `nth` call (1-based) of `kind` from now on fails with run-time error `number`.
  void failCall(FsCall kind, long nth, int number) {
    failures_[kind] = {calls_[kind] + nth, number};
  }
  /// Changes made so far.
  long changes() const { return changes_; }
  long calls(FsCall kind) const {
    auto it = calls_.find(kind);
    return it == calls_.end() ? 0 : it->second;
  }

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override;
  std::vector<DirEntry> list(const std::string& dir) override;
  void makeDir(const std::string& path) override;
  void removeFile(const std::string& path) override;
  void removeDir(const std::string& path) override;
  void rename(const std::string& from, const std::string& to) override;
  void linkOrCopy(const std::string& from, const std::string& to) override;
  void syncDir(const std::string& dir) override;

  /// Counts a call of `kind` and throws when it is the one chosen to fail (used by open files).
  void onCall(FsCall kind, const std::string& path);
  /// Counts a change and throws SimulatedCrash when it is the one chosen to stop.
  void onChange();

 private:
  long crashAfter_ = -1;
  long changes_ = 0;
  std::map<FsCall, long> calls_;
  std::map<FsCall, std::pair<long, int>> failures_;
};

}  // namespace tamberlin
