// ReadIMG: the archive's directory into the table. A game's directory (16,300 records) is one
// read; the count is never trusted further than the file's length, so a hostile count costs
// no memory.
#include <algorithm>
#include <cstring>
#include <new>

#include "imgarchive/bitstring.h"
#include "imgarchive/module1.h"
#include "imgarchive/record_codec.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

constexpr std::int64_t kRecordsPerRead = 32768;

/// Opens the archive for reading and writing where the file allows it (a missing file is made
/// empty; a missing folder is error 76), else for reading.
std::unique_ptr<BinaryFile> openArchive(FileSystem& fs, const std::string& path) {
  try {
    return fs.open(path, OpenMode::ReadWrite);
  } catch (const RuntimeError& e) {
    if (e.number() != err::kPermissionDenied || !fs.stat(path).exists) throw;
    return fs.open(path, OpenMode::Read);
  }
}

/// The entry count of the header; throws for a file that is not a "VER2" archive.
std::int64_t readCount(BinaryFile& file, const std::string& path) {
  unsigned char head[kHeaderSize];
  const std::size_t got = file.read(1, head, sizeof head);
  if (got < 4 || std::memcmp(head, kMagic, 4) != 0)
    throw RuntimeError(err::kInvalidFormat, path + " does not begin with \"VER2\"");
  if (got < sizeof head)
    throw RuntimeError(err::kInputPastEnd,
                       path + ": the header ends after " + std::to_string(got) + " bytes");
  try {
    return decodeField(head + 4);
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(), path + ": the entry count is 2^31 or more");
  }
}

/// Fills `dir` with slots 0 .. `records`, read from the file a megabyte of records at a time.
/// On a failure the slots not read stay zero.
void readRecords(BinaryFile& file, const std::string& path, std::int64_t records,
                 std::vector<IMGEntry>& dir) {
  dir.assign(static_cast<std::size_t>(records) + 1, IMGEntry{});
  std::vector<unsigned char> raw;
  for (std::int64_t first = 1; first <= records; first += kRecordsPerRead) {
    const std::int64_t n = std::min(kRecordsPerRead, records - first + 1);
    raw.resize(static_cast<std::size_t>(n * kRecordSize));
    if (file.read(recordPos(first), raw.data(), raw.size()) != raw.size())
      throw RuntimeError(err::kInputPastEnd,
                         path + ": the file ended while its directory was read");
    for (std::int64_t i = 0; i < n; ++i) {
      IMGEntry& e = dir[static_cast<std::size_t>(first + i)];
      try {
        decodeRecord(raw.data() + i * kRecordSize, e);
      } catch (const RuntimeError& bad) {
        e = IMGEntry{};
        throw RuntimeError(bad.number(), path + ": record " + std::to_string(first + i) +
                                             " has a field of 2^31 or more");
      }
      e.dirPos = static_cast<std::int32_t>(recordPos(first + i));
    }
  }
}

}  // namespace

void Module1::ReadIMG(const std::string& path) {
  SetStatus("Reading IMG...");
  try {
    distrustTable();
    auto file = openArchive(fs_, path);
    const std::int64_t length = file->length();
    // An empty file is an archive without entries; adding to it writes the header.
    const std::int64_t count = length == 0 ? 0 : readCount(*file, path);
    const std::int64_t held = std::max<std::int64_t>(0, (length - kHeaderSize) / kRecordSize);
    const std::int64_t records = std::min(count, held);

    readRecords(*file, path, records, IMGDir);
    if (records < count)
      throw RuntimeError(err::kInputPastEnd,
                         path + ": the directory claims " + std::to_string(count) +
                             " entries, the file holds " + std::to_string(records));
    file->close();
    trustTable(path);
    SetStatus("");
  } catch (const std::bad_alloc&) {
    errorBox(" Error # ", RuntimeError(err::kOutOfMemory, path), "Sub ReadIMG");
  } catch (const RuntimeError& e) {
    errorBox(" Error # ", e, "Sub ReadIMG");
  }
}

}  // namespace tamberlin
