#pragma once
// Checking an archive's structure without changing it: what makes it unreadable (errors) and
// what the game itself will not load well (warnings). Every byte of the file is untrusted: a
// hostile count, offset or name gives a finding, never a crash or an absurd allocation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamberlin {

class FileSystem;

/// The kinds of findings, in the order a report lists them.
enum class Finding {
  // Errors: the archive is damaged.
  BadHeader,          ///< shorter than 8 bytes, or the magic is not "VER2"
  DirectoryPastEnd,   ///< the directory the count claims runs past the end of the file
  TooManyRecords,     ///< more records than a check examines (kMaxCheckedRecords)
  DataPastEnd,        ///< an entry's last sector starts at or past the end of the file
  DataOverDirectory,  ///< an entry's data overlaps the header or the directory
  DataOverlap,        ///< an entry's data overlaps another entry's data
  // Warnings: valid, but the game will not load it well.
  LongName,       ///< a name of more than 23 characters (the game cuts it)
  NameDot,        ///< a name without a dot, or with its first dot after the 21st character
  SizeHalves,     ///< both 16-bit size halves set and different: tools disagree on the size
  DataPast4GiB,   ///< data ends past 4 GiB (the game's byte offsets are 32-bit)
  NotContiguous,  ///< a record's data does not start where its directory neighbour's ends
};
constexpr std::size_t kFindingKinds = 11;

bool isError(Finding f);

/// At most this many records are examined; a directory claiming more is an error.
constexpr std::uint32_t kMaxCheckedRecords = 1u << 20;
/// At most this many lines per kind of finding are kept in a report's texts; the counts keep
/// counting.
constexpr std::size_t kMaxLinesPerFinding = 10;

struct ArchiveReport {
  std::int64_t fileLength = 0;
  bool headerOk = false;         ///< 8 bytes or more, beginning with "VER2"
  std::uint32_t entryCount = 0;  ///< the count the header claims
  std::uint32_t recordsChecked = 0;
  std::int64_t directoryEnd = 0;  ///< byte offset just past the claimed directory
  std::int64_t dataEnd = 0;       ///< byte offset just past the highest sector an entry uses
  std::uint64_t deadBytes = 0;    ///< bytes after the directory's last sector that no entry uses
  std::uint64_t holes = 0;        ///< runs of such bytes
  std::array<std::uint64_t, kFindingKinds> counts{};
  /// Texts of the findings ("entry 3 (car.dff): ..."), at most kMaxLinesPerFinding per kind,
  /// followed by "... and N more" where there were more.
  std::vector<std::string> errors;
  std::vector<std::string> warnings;

  std::uint64_t count(Finding f) const { return counts[static_cast<std::size_t>(f)]; }
  std::uint64_t contiguityBreaks() const { return count(Finding::NotContiguous); }
  std::uint64_t errorCount() const;
  std::uint64_t warningCount() const;
  bool ok() const { return errorCount() == 0; }
};

/// Checks the archive at `path`. A file that cannot be opened or read throws RuntimeError;
/// everything wrong inside it is a finding of the report.
ArchiveReport checkArchive(FileSystem& fs, const std::string& path);

/// A name for messages: bytes up to the first NUL, trailing blanks dropped, control bytes shown
/// as \xNN, the rest decoded from the ANSI code page.
std::string printableName(const char* nameBytes, std::size_t n);

}  // namespace tamberlin
