#pragma once
// A view of a file system that can look but not touch: every open is for reading, and every
// call that would change the disk fails with error 70 (Permission denied). The dry run reads
// archives through the same engine code as an installation, and this makes sure that nothing
// it does can write.

#include <string>
#include <utility>

#include "platform/forwarding_file_system.h"

namespace tamberlin {

class ReadOnlyFileSystem : public ForwardingFileSystem {
 public:
  /// `why` follows the path in each refusal's detail.
  explicit ReadOnlyFileSystem(FileSystem& inner,
                              std::string why = " (nothing is changed on a dry run)")
      : ForwardingFileSystem(inner), why_(std::move(why)) {}

  /// Opens for reading only; any other mode is error 70 (the archive reader then falls back to
  /// reading). Writes to a file opened here fail too.
  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override;
  void makeDir(const std::string& path) override;
  void removeFile(const std::string& path) override;
  void removeDir(const std::string& path) override;
  void rename(const std::string& from, const std::string& to) override;
  void syncDir(const std::string& /*dir*/) override {}

  /// Error 70 about `path`.
  [[noreturn]] void refuse(const std::string& path) const;

 private:
  std::string why_;
};

/// The file system the wizard and `tamberlin install` work on: the machine's, or a read-only
/// view of it while the process plays a limited user (the test hook in platform/elevation.h).
FileSystem& programFileSystem();

}  // namespace tamberlin
