#pragma once
// Run-time failures: a number and a fixed description, as the program's error boxes show them.

#include <stdexcept>
#include <string>

namespace tamberlin {

namespace err {
constexpr int kInvalidCall = 5;          // "Invalid procedure call or argument"
constexpr int kOverflow = 6;             // "Overflow"
constexpr int kOutOfMemory = 7;          // "Out of memory"
constexpr int kSubscript = 9;            // "Subscript out of range"
constexpr int kBadFileNameOrNumber = 52; // "Bad file name or number"
constexpr int kFileNotFound = 53;        // "File not found"
constexpr int kDeviceIO = 57;            // "Device I/O error"
constexpr int kFileExists = 58;          // "File already exists"
constexpr int kDiskFull = 61;            // "Disk full"
constexpr int kInputPastEnd = 62;        // "Input past end of file"
constexpr int kPermissionDenied = 70;    // "Permission denied"
constexpr int kPathFileAccess = 75;      // "Path/File access error"
constexpr int kPathNotFound = 76;        // "Path not found"
constexpr int kInvalidFormat = 321;      // "Invalid file format"
}  // namespace err

/// The fixed description of an error number ("Overflow" for 6); "Application-defined or
/// object-defined error" for numbers without one.
std::string errorDescription(int number);

/// A run-time failure. `description()` is the fixed text of the number; `detail()` names what
/// and where (a path, an entry, a line) and may be empty.
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(int number, std::string detail = {});

  int number() const { return number_; }
  std::string description() const { return errorDescription(number_); }
  const std::string& detail() const { return detail_; }
  /// The description followed by the detail: "File not found: mod\car.dff".
  std::string text() const;

 private:
  int number_;
  std::string detail_;
};

/// Maps an operating-system error code (errno on POSIX) onto a run-time error about `path`.
RuntimeError errorFromErrno(int errnoValue, const std::string& path);

/// Maps a Windows system error code (GetLastError) onto a run-time error about `path`. Plain
/// numbers, so the mapping builds and is tested on every platform.
RuntimeError errorFromWin32(unsigned long code, const std::string& path);

}  // namespace tamberlin
