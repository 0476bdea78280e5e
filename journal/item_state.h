#pragma once
// The states the journal compares: a file's (absent, or its bytes' hash and length) and an archive
// entry's data (the hash of its first bytes). Undo acts only where the game's current state equals
// one the journal recorded, so these are read from the real bytes every time.

#include <cstdint>
#include <string>
#include <vector>

#include "imgarchive/format.h"
#include "journal/sha256.h"

namespace tamberlin {
class BinaryFile;
class FileSystem;
}  // namespace tamberlin

namespace tamberlin::journal {

struct FileState {
  bool present = false;
  Digest hash{};
  std::int64_t size = 0;
  bool operator==(const FileState& o) const {
    return present == o.present && (!present || (hash == o.hash && size == o.size));
  }
  bool operator!=(const FileState& o) const { return !(*this == o); }
};

/// "absent", or "<sha256>:<bytes>".
std::string formatFileState(const FileState& s);
bool parseFileState(const std::string& text, FileState& out);

/// An entry's data as one installation wrote it: the hash of its first `bytes` bytes. The entry
/// holds it when its record's size is the sectors those bytes need and those bytes match.
struct DataState {
  Digest hash{};
  std::int64_t bytes = 0;
  bool operator==(const DataState& o) const { return hash == o.hash && bytes == o.bytes; }
};

/// "<sha256>:<bytes>".
std::string formatDataState(const DataState& s);
/// The states joined by ",", as an item's record lists them.
std::string formatDataStates(const std::vector<DataState>& states);
bool parseDataState(const std::string& text, DataState& out);

/// The file at `path` as it is now (absent for a missing file; a folder is error 75).
FileState currentFileState(FileSystem& fs, const std::string& path);
/// The data state a file's bytes give when they become an entry's data.
DataState dataStateOfFile(FileSystem& fs, const std::string& path);

/// The hash of `sectors` whole sectors from sector `offset` of `archive`, bytes past the file's
/// end counted as zeros (as a rebuild pads them).
Digest sectorHash(BinaryFile& archive, std::int64_t offset, std::int64_t sectors);
/// True when entry `e` of `archive` holds `data`.
bool entryHolds(BinaryFile& archive, const IMGEntry& e, const DataState& data);

/// Hashes `count` bytes from position `pos` of `src` and, when `dst` is given, copies them to
/// position `to` of it; bytes past the end of `src` are hashed (and written) as zeros up to
/// `padTo` bytes in all. Memory stays flat.
Digest hashAndCopy(BinaryFile& src, std::int64_t pos, std::int64_t count, BinaryFile* dst,
                   std::int64_t to, std::int64_t padTo = 0);

}  // namespace tamberlin::journal
