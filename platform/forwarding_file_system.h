#pragma once
// A file system that passes every call on to another one: the base of the file systems that
// watch, restrict or break a few calls and leave the rest alone.

#include "platform/file_system.h"

namespace tamberlin {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    return inner_.open(path, mode);
  }
  FileInfo stat(const std::string& path) override { return inner_.stat(path); }
  std::vector<DirEntry> list(const std::string& dir) override { return inner_.list(dir); }
  void makeDir(const std::string& path) override { inner_.makeDir(path); }
  void removeFile(const std::string& path) override { inner_.removeFile(path); }
  void removeDir(const std::string& path) override { inner_.removeDir(path); }
  void rename(const std::string& from, const std::string& to) override { inner_.rename(from, to); }
  void syncDir(const std::string& dir) override { inner_.syncDir(dir); }
  std::uint64_t freeSpace(const std::string& dir) override { return inner_.freeSpace(dir); }
  std::string nativePath(const std::string& path) override { return inner_.nativePath(path); }
  std::string currentDir() override { return inner_.currentDir(); }

 protected:
  FileSystem& inner_;
};

}  // namespace tamberlin
