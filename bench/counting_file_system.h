#pragma once
// A file system that counts the flushes passed through it: files' sync() and folders' syncDir(),
// the calls that wait for the disk. Everything else goes straight to the inner one.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/forwarding_file_system.h"

namespace tamberlin::bench {

class CountingFileSystem : public ForwardingFileSystem {
 public:
  explicit CountingFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    return std::make_unique<File>(inner_.open(path, mode), fileFlushes_);
  }
  void syncDir(const std::string& dir) override {
    ++dirFlushes_;
    inner_.syncDir(dir);
  }

  std::int64_t fileFlushes() const { return fileFlushes_; }
  std::int64_t dirFlushes() const { return dirFlushes_; }
  std::int64_t flushes() const { return fileFlushes_ + dirFlushes_; }

 private:
  class File : public BinaryFile {
   public:
    File(std::unique_ptr<BinaryFile> inner, std::int64_t& flushes)
        : inner_(std::move(inner)), flushes_(flushes) {}
    std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
      return inner_->read(pos, buf, n);
    }
    void write(std::int64_t pos, const void* buf, std::size_t n) override {
      inner_->write(pos, buf, n);
    }
    std::int64_t length() override { return inner_->length(); }
    void truncate(std::int64_t length) override { inner_->truncate(length); }
    void sync() override {
      ++flushes_;
      inner_->sync();
    }
    void close() override { inner_->close(); }
    const std::string& path() const override { return inner_->path(); }
    /// The in-kernel copy needs the inner files at both ends.
    std::int64_t copyRangeTo(std::int64_t pos, BinaryFile& dst, std::int64_t to,
                             std::int64_t n) override {
      auto* counted = dynamic_cast<File*>(&dst);
      return inner_->copyRangeTo(pos, counted ? *counted->inner_ : dst, to, n);
    }

   private:
    std::unique_ptr<BinaryFile> inner_;
    std::int64_t& flushes_;
  };

  std::int64_t fileFlushes_ = 0;
  std::int64_t dirFlushes_ = 0;
};

}  // namespace tamberlin::bench
