#pragma once
// An in-place change of an archive that can be taken back. Every write inside the file's old
// length first saves the bytes it covers; writes past the old end need no saving, since taking
// the change back cuts the file to its old length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamberlin {

class BinaryFile;

class ArchiveEdit {
 public:
  /// Starts an edit of `file`, remembering its current length.
  explicit ArchiveEdit(BinaryFile& file);

  std::int64_t oldLength() const { return oldLength_; }
  BinaryFile& file() { return file_; }

  /// Writes `n` bytes at 1-based `pos` in one write, saving the old bytes it covers first.
  void write(std::int64_t pos, const void* data, std::size_t n);
  /// Flushes everything written so far to stable storage.
  void sync();
  /// True once a flush of the file (by sync or by rollback) has succeeded: it covered every
  /// byte written to the file before it, whoever wrote them.
  bool flushed() const { return flushed_; }
  /// The change is complete: nothing will be taken back.
  void commit() { committed_ = true; }

  /// Takes an uncommitted change back: the saved bytes are written back newest first, each
  /// flushed before the next, then the file is cut to its old length. Every step leaves a valid
  /// archive when the writes were made data first, record next, count last. Throws
  /// RuntimeError when the file cannot be restored.
  void rollback();

 private:
  struct Saved {
    std::int64_t pos;
    std::string bytes;
  };

  BinaryFile& file_;
  std::int64_t oldLength_;
  std::vector<Saved> saved_;
  bool committed_ = false;
  bool flushed_ = false;
};

}  // namespace tamberlin
