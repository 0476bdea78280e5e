#include "installscript/read_only_file_system.h"

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

[[noreturn]] void refuse(const std::string& what) {
  throw RuntimeError(err::kPermissionDenied, what + " (nothing is changed on a dry run)");
}

/// A file opened for reading whose writes are refused.
class ReadOnlyFile : public BinaryFile {
 public:
  explicit ReadOnlyFile(std::unique_ptr<BinaryFile> inner) : inner_(std::move(inner)) {}
  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    return inner_->read(pos, buf, n);
  }
  void write(std::int64_t, const void*, std::size_t) override { refuse(path()); }
  std::int64_t length() override { return inner_->length(); }
  void truncate(std::int64_t) override { refuse(path()); }
  void sync() override {}
  void close() override { inner_->close(); }
  const std::string& path() const override { return inner_->path(); }

 private:
  std::unique_ptr<BinaryFile> inner_;
};

}  // namespace

std::unique_ptr<BinaryFile> ReadOnlyFileSystem::open(const std::string& path, OpenMode mode) {
  if (mode != OpenMode::Read) refuse(path);
  return std::make_unique<ReadOnlyFile>(inner_.open(path, OpenMode::Read));
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

}  // namespace tamberlin
