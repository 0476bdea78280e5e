#pragma once
// The real file system, logging per native path the writes and truncates of open files and their
// flushes, in order: what reaches the disk in which order when the power fails.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace tamberlin::test {

class FlushLog : public ForwardingFileSystem {
 public:
  FlushLog() : ForwardingFileSystem(realFileSystem()) {}

  struct Event {
    char kind;             ///< 'w' a write or truncate, 's' a flush
    std::int64_t pos = 0;  ///< first byte written (1-based), or the new length
    std::int64_t n = 0;    ///< bytes written
  };

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    auto file = inner_.open(path, mode);
    return std::make_unique<File>(std::move(file), events_[key(path)]);
  }

  /// The events of the file at `path` so far.
  const std::vector<Event>& events(const std::string& path) { return events_[key(path)]; }
  /// Their kinds as a string ("wwsw...").
  std::string kinds(const std::string& path) {
    std::string k;
    for (const Event& e : events(path)) k += e.kind;
    return k;
  }

 private:
  /// One key per file, however a path spells it: its identity where the platform gives one.
  std::string key(const std::string& path) {
    FileInfo info = inner_.stat(path);
    return info.id != 0 ? "#" + std::to_string(info.id) : inner_.nativePath(path);
  }

  class File : public BinaryFile {
   public:
    File(std::unique_ptr<BinaryFile> inner, std::vector<Event>& log)
        : inner_(std::move(inner)), log_(log) {}
    std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
      return inner_->read(pos, buf, n);
    }
    void write(std::int64_t pos, const void* buf, std::size_t n) override {
      log_.push_back({'w', pos, static_cast<std::int64_t>(n)});
      inner_->write(pos, buf, n);
    }
    std::int64_t length() override { return inner_->length(); }
    void truncate(std::int64_t length) override {
      log_.push_back({'w', length, 0});
      inner_->truncate(length);
    }
    void sync() override {
      inner_->sync();
      log_.push_back({'s'});
    }
    void close() override { inner_->close(); }
    const std::string& path() const override { return inner_->path(); }

   private:
    std::unique_ptr<BinaryFile> inner_;
    std::vector<Event>& log_;
  };

  std::map<std::string, std::vector<Event>> events_;
};

}  // namespace tamberlin::test
