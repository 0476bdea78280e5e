#pragma once
// Appending records to journal.txt. Records are gathered and written in one piece by push() or
// sync(); only sync() flushes them to stable storage. "ready" carries the checksum of every byte
// before it, so a power cut that lost some of the records before it is seen for what it is.

#include <cstdint>
#include <memory>
#include <string>

#include "journal/record.h"

namespace tamberlin {
class BinaryFile;
class FileSystem;
}  // namespace tamberlin

namespace tamberlin::journal {

class JournalWriter {
 public:
  /// Starts journal.txt at `path` anew (`fresh`), or opens it to append after its last whole
  /// line, cutting off a torn one.
  JournalWriter(FileSystem& fs, const std::string& path, bool fresh);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  void append(const Record& r);
  /// Appends "ready" with the checksum of everything before it.
  void appendReady();
  /// Writes what was appended (no flush).
  void push();
  /// Writes what was appended and flushes the file.
  void sync();
  void close();

 private:
  std::unique_ptr<BinaryFile> file_;
  std::int64_t end_ = 0;   ///< bytes written to the file
  std::uint32_t crc_ = 0;  ///< of those bytes and the pending ones
  std::string pending_;
};

/// The current time, ISO 8601 in UTC ("2026-12-07T18:21:28Z").
std::string nowUtc();

}  // namespace tamberlin::journal
