#pragma once
// The file system as the program sees it. Paths are program paths: Windows-style as install
// scripts write them ("models\gta3.img"), or native. Implementations map them onto the native
// file system (see win_path.h) and report every failure as a RuntimeError.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamberlin {

enum class OpenMode {
  Read,               ///< an existing file, read only
  ReadWrite,          ///< an existing file, or a new empty one when missing (its folder must exist)
  ReadWriteExisting,  ///< an existing file only
  Create,             ///< a new file, or an existing one emptied; read and write
};

/// An open binary file addressed by 1-based byte positions. The destructor closes it quietly;
/// `close()` closes it and reports a failure.
class BinaryFile {
 public:
  virtual ~BinaryFile() = default;
  /// Reads up to `n` bytes at position `pos`; returns how many were read (fewer only at the end).
  virtual std::size_t read(std::int64_t pos, void* buf, std::size_t n) = 0;
  /// Writes `n` bytes at position `pos` in one call; a position past the end extends the file.
  virtual void write(std::int64_t pos, const void* buf, std::size_t n) = 0;
  virtual std::int64_t length() = 0;
  virtual void truncate(std::int64_t length) = 0;
  /// Flushes everything written so far to stable storage.
  virtual void sync() = 0;
  virtual void close() = 0;
  /// The program path the file was opened with.
  virtual const std::string& path() const = 0;
  /// Copies up to `n` bytes from position `pos` of this file to position `to` of `dst` inside
  /// the operating system, without passing them through the program. Returns how many were
  /// copied: fewer than `n` (0 included) when this pair of files has no such path or this file
  /// ended; callers copy the rest by read and write (copyBytes in file_copy.h does).
  virtual std::int64_t copyRangeTo(std::int64_t /*pos*/, BinaryFile& /*dst*/, std::int64_t /*to*/,
                                   std::int64_t /*n*/) {
    return 0;
  }
};

struct FileInfo {
  bool exists = false;
  bool isDir = false;
  bool isHidden = false;  ///< a dot-file on POSIX, the hidden or system attribute on Windows
  std::int64_t size = 0;
  std::uint64_t id = 0;  ///< identifies the file on its volume (0 when unknown)
};

struct DirEntry {
  std::string name;
  bool isDir = false;
  bool isHidden = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) = 0;
  /// Never throws for a missing path: `exists` is then false.
  virtual FileInfo stat(const std::string& path) = 0;
  /// The entries of a folder, sorted by name, without "." and "..".
  virtual std::vector<DirEntry> list(const std::string& dir) = 0;
  /// Makes one folder; its parent must exist.
  virtual void makeDir(const std::string& path) = 0;
  virtual void removeFile(const std::string& path) = 0;
  /// Removes an empty folder. A folder that is not empty is error 75.
  virtual void removeDir(const std::string& path) = 0;
  /// Renames `from` to `to`, replacing `to` in one step.
  virtual void rename(const std::string& from, const std::string& to) = 0;
  /// Makes `to` (a new file) hold the bytes of `from`, which stays as it is: a second name of
  /// the same file where the volume allows one (a hard link), else a copy, flushed. Its name
  /// in its folder is made durable by syncDir. The base makes the copy through open().
  virtual void linkOrCopy(const std::string& from, const std::string& to);
  /// Makes the folder's entries (new files, renames) durable.
  virtual void syncDir(const std::string& dir) = 0;
  virtual std::uint64_t freeSpace(const std::string& dir) = 0;
  /// The native path a program path resolves to (letter case matched as Windows would).
  virtual std::string nativePath(const std::string& path) = 0;
  virtual std::string currentDir() = 0;
};

/// The machine's own file system.
FileSystem& realFileSystem();

}  // namespace tamberlin
