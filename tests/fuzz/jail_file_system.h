#pragma once
// A file system that lets a fuzzed installation read anywhere but change only inside the
// places it was given: every call that could change the disk is checked against them first and
// fails the fuzz run (FuzzFailure) before it happens. Paths are judged after resolving ".",
// ".." and symbolic links, so a path that only looks inside does not pass.

#include <string>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace tamberlin::fuzz {

class JailFileSystem : public ForwardingFileSystem {
 public:
  /// `folders`: changes allowed anywhere below them; `files`: changes allowed to exactly these.
  JailFileSystem(FileSystem& inner, std::vector<std::string> folders,
                 std::vector<std::string> files);

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override;
  void makeDir(const std::string& path) override;
  void removeFile(const std::string& path) override;
  void removeDir(const std::string& path) override;
  void rename(const std::string& from, const std::string& to) override;

 private:
  /// Throws FuzzFailure when a change of `path` by `what` would land outside the jail.
  void allow(const std::string& path, const char* what);

  std::vector<std::string> folders_;
  std::vector<std::string> files_;
};

}  // namespace tamberlin::fuzz
