#include "support/fault_file_system.h"

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

class FaultFile : public BinaryFile {
 public:
  FaultFile(FaultFileSystem& fs, std::unique_ptr<BinaryFile> inner)
      : fs_(fs), inner_(std::move(inner)) {}

  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    fs_.onCall(FsCall::Read, path());
    return inner_->read(pos, buf, n);
  }
  void write(std::int64_t pos, const void* buf, std::size_t n) override {
    fs_.onCall(FsCall::Write, path());
    fs_.onChange();
    inner_->write(pos, buf, n);
  }
  std::int64_t length() override {
    fs_.onCall(FsCall::Length, path());
    return inner_->length();
  }
  void truncate(std::int64_t length) override {
    fs_.onCall(FsCall::Truncate, path());
    fs_.onChange();
    inner_->truncate(length);
  }
  void sync() override {
    fs_.onCall(FsCall::Sync, path());
    inner_->sync();
  }
  void close() override {
    fs_.onCall(FsCall::Close, path());
    inner_->close();
  }
  const std::string& path() const override { return inner_->path(); }

 private:
  FaultFileSystem& fs_;
  std::unique_ptr<BinaryFile> inner_;
};

}  // namespace

void FaultFileSystem::onCall(FsCall kind, const std::string& path) {
  long n = ++calls_[kind];
  auto it = failures_.find(kind);
  if (it != failures_.end() && it->second.first == n) {
    int number = it->second.second;
    failures_.erase(it);
    throw RuntimeError(number, path);
  }
}

void FaultFileSystem::onChange() {
  if (crashAfter_ >= 0 && changes_ >= crashAfter_) throw SimulatedCrash{};
  ++changes_;
}

std::unique_ptr<BinaryFile> FaultFileSystem::open(const std::string& path, OpenMode mode) {
  onCall(FsCall::Open, path);
  if (mode == OpenMode::Create || mode == OpenMode::ReadWrite) {
    // Creating or emptying a file changes the disk.
    FileInfo info = inner_.stat(path);
    if (!info.exists || (mode == OpenMode::Create && info.size > 0)) onChange();
  }
  return std::make_unique<FaultFile>(*this, inner_.open(path, mode));
}

std::vector<DirEntry> FaultFileSystem::list(const std::string& dir) {
  onCall(FsCall::List, dir);
  return inner_.list(dir);
}

void FaultFileSystem::makeDir(const std::string& path) {
  onCall(FsCall::MakeDir, path);
  onChange();
  inner_.makeDir(path);
}

void FaultFileSystem::removeFile(const std::string& path) {
  onCall(FsCall::Remove, path);
  onChange();
  inner_.removeFile(path);
}

void FaultFileSystem::removeDir(const std::string& path) {
  onCall(FsCall::Remove, path);
  onChange();
  inner_.removeDir(path);
}

void FaultFileSystem::rename(const std::string& from, const std::string& to) {
  onCall(FsCall::Rename, from);
  onChange();
  inner_.rename(from, to);
}

void FaultFileSystem::linkOrCopy(const std::string& from, const std::string& to) {
  onChange();
  inner_.linkOrCopy(from, to);
}

void FaultFileSystem::syncDir(const std::string& dir) {
  onCall(FsCall::Sync, dir);
  inner_.syncDir(dir);
}

}  // namespace tamberlin
