#include "installscript/read_only_file_system.h"

#include "platform/elevation.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

/// A file opened for reading whose writes are refused.
class ReadOnlyFile : public BinaryFile {
 public:
  ReadOnlyFile(std::unique_ptr<BinaryFile> inner, const ReadOnlyFileSystem& fs)
      : inner_(std::move(inner)), fs_(fs) {}
  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    return inner_->read(pos, buf, n);
  }
  void write(std::int64_t, const void*, std::size_t) override { fs_.refuse(path()); }
  std::int64_t length() override { return inner_->length(); }
  void truncate(std::int64_t) override { fs_.refuse(path()); }
  void sync() override {}
  void close() override { inner_->close(); }
  const std::string& path() const override { return inner_->path(); }

 private:
  std::unique_ptr<BinaryFile> inner_;
  const ReadOnlyFileSystem& fs_;
};

}  // namespace

void ReadOnlyFileSystem::refuse(const std::string& path) const {
  throw RuntimeError(err::kPermissionDenied, path + why_);
}

std::unique_ptr<BinaryFile> ReadOnlyFileSystem::open(const std::string& path, OpenMode mode) {
  if (mode != OpenMode::Read) refuse(path);
  return std::make_unique<ReadOnlyFile>(inner_.open(path, OpenMode::Read), *this);
}

void ReadOnlyFileSystem::makeDir(const std::string& path) {
  refuse(path);
}
void ReadOnlyFileSystem::removeFile(const std::string& path) {
  refuse(path);
}
void ReadOnlyFileSystem::removeDir(const std::string& path) {
  refuse(path);
}
void ReadOnlyFileSystem::rename(const std::string& from, const std::string&) {
  refuse(from);
}

FileSystem& programFileSystem() {
  if (!playingLimitedUser()) return realFileSystem();
  static ReadOnlyFileSystem limited(realFileSystem(), " (playing a limited user)");
  return limited;
}

}  // namespace tamberlin
