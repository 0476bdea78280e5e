// ImgArchive: reading the directory, and the trust that every change rests on. A game's
// directory (16,300 records) is one read; the count is never trusted further than the file's
// length, so a hostile count costs no memory.
#include "imgarchive/img_archive.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imgarchive/archive_edit.h"
#include "imgarchive/codec.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

/// Opens the archive for reading and writing where the file allows it (a missing file is made
/// empty when asked; a missing folder is error 76), else for reading.
std::unique_ptr<BinaryFile> openToRead(FileSystem& fs, const std::string& path, IfMissing missing) {
  FileInfo info = fs.stat(path);
  if (!info.exists && missing == IfMissing::Fail) throw RuntimeError(err::kFileNotFound, path);
  if (info.isDir) throw RuntimeError(err::kPathFileAccess, path + " is a folder");
  try {
    return fs.open(path, OpenMode::ReadWrite);
  } catch (const RuntimeError& e) {
    if (e.number() != err::kPermissionDenied || !fs.stat(path).exists) throw;
    return fs.open(path, OpenMode::Read);
  }
}

/// The entry count of the header; throws for a file that is not a "VER2" archive.
std::int64_t readCount(BinaryFile& file, const std::string& path) {
  HeaderBytes head{};
  const std::size_t got = file.read(1, head.data(), head.size());
  ByteCursor in(head.data(), got);
  const Header h = decodeHeader(in);
  if (got < 4 || !h.magicOk)
    throw RuntimeError(err::kInvalidFormat, path + " does not begin with \"VER2\"");
  if (!in.ok())
    throw RuntimeError(err::kInputPastEnd,
                       path + ": the header ends after " + std::to_string(got) + " bytes");
  if (h.count > static_cast<std::uint32_t>(INT32_MAX))
    throw RuntimeError(err::kOverflow, path + ": the entry count is 2^31 or more");
  return h.count;
}

/// Fills `dir` with slots 0 .. `records`, read a chunk of records at a time. On a failure the
/// slots not read stay zero.
void readRecords(BinaryFile& file, const std::string& path, std::int64_t records,
                 std::vector<IMGEntry>& dir) {
  dir.assign(static_cast<std::size_t>(records) + 1, IMGEntry{});
  std::vector<unsigned char> raw;
  for (std::int64_t first = 1; first <= records; first += kRecordsPerChunk) {
    const std::int64_t n = std::min(kRecordsPerChunk, records - first + 1);
    raw.resize(static_cast<std::size_t>(n * kRecordSize));
    const std::size_t got = file.read(recordPos(first), raw.data(), raw.size());
    ByteCursor in(raw.data(), got);
    for (std::int64_t i = 0; i < n; ++i) {
      IMGEntry& e = dir[static_cast<std::size_t>(first + i)];
      try {
        decodeRecord(in, e);
      } catch (const RuntimeError& bad) {
        e = IMGEntry{};
        throw RuntimeError(bad.number(), path + ": record " + std::to_string(first + i) +
                                             " has an offset of 2^31 or more");
      }
      if (!in.ok()) {
        e = IMGEntry{};
        throw RuntimeError(err::kInputPastEnd,
                           path + ": the file ended while its directory was read");
      }
      e.dirPos = static_cast<std::int32_t>(recordPos(first + i));
    }
  }
}

}  // namespace

bool ImgArchive::Identity::same(const Identity& other) const {
  // The file's identity decides where the platform knows it: another path may name the same
  // file, and a file made anew at the same path is another archive.
  if (id != 0 && other.id != 0) return id == other.id;
  return native == other.native;
}

ImgArchive::ImgArchive(FileSystem& fs) : fs_(fs) {}
ImgArchive::~ImgArchive() = default;

std::int32_t ImgArchive::count() const {
  return table_.empty() ? 0 : static_cast<std::int32_t>(table_.size() - 1);
}

void ImgArchive::distrust() {
  identity_ = Identity{};
  complete_ = false;
}

void ImgArchive::read(const std::string& path, IfMissing missing) {
  distrust();
  path_ = path;
  index_ = EntryIndex();
  indexed_ = 0;
  try {
    auto file = openToRead(fs_, path, missing);
    const std::int64_t length = file->length();
    // An empty file is an archive without entries; adding to it writes the header.
    const std::int64_t count = length == 0 ? 0 : readCount(*file, path);
    const std::int64_t held = std::max<std::int64_t>(0, (length - kHeaderSize) / kRecordSize);
    const std::int64_t records = std::min(count, held);
    readRecords(*file, path, records, table_);
    if (records < count)
      throw RuntimeError(err::kInputPastEnd,
                         path + ": the directory claims " + std::to_string(count) +
                             " entries, the file holds " + std::to_string(records));
    file->close();
  } catch (const std::bad_alloc&) {
    throw RuntimeError(err::kOutOfMemory, path);
  }
  identity_ = Identity{fs_.nativePath(path), fs_.stat(path).id};
  complete_ = true;
}

bool ImgArchive::holds(const std::string& path) const {
  if (!complete_ || table_.empty()) return false;
  Identity other;
  try {
    other.native = fs_.nativePath(path);
  } catch (const RuntimeError&) {
    return false;
  }
  FileInfo info = fs_.stat(path);
  if (!info.exists || info.isDir) return false;
  other.id = info.id;
  return other.same(identity_);
}

void ImgArchive::syncIndex() {
  const std::size_t last = table_.empty() ? 0 : table_.size() - 1;
  if (last < indexed_) {
    index_ = EntryIndex();
    indexed_ = 0;
  }
  for (std::size_t k = indexed_ + 1; k <= last; ++k)
    index_.add(static_cast<std::int32_t>(k), table_[k]);
  indexed_ = last;
}

std::int32_t ImgArchive::find(const std::string& name) {
  syncIndex();
  return index_.find(name);
}

const EntryIndex& ImgArchive::index() {
  syncIndex();
  return index_;
}

void ImgArchive::verify(BinaryFile& archive) const {
  if (table_.empty())
    throw RuntimeError(err::kSubscript, path_ + ": no archive directory has been read");
  if (!complete_)
    throw RuntimeError(err::kInvalidCall, path_ +
                                              ": the archive's directory was not read completely, "
                                              "so it is not changed");
  if (!holds(path_))
    throw RuntimeError(err::kInvalidCall,
                       path_ + " is no longer the file whose directory was read");
  // A cheap look at the header: the file may have changed behind the table's back.
  const std::int64_t entries = count();
  const std::int64_t length = archive.length();
  if (length == 0 && entries == 0) return;
  HeaderBytes head{};
  ByteCursor in(head.data(), archive.read(1, head.data(), head.size()));
  const Header h = decodeHeader(in);
  if (!in.ok() || !h.magicOk)
    throw RuntimeError(err::kInvalidFormat, path_ + " does not begin with \"VER2\"");
  if (h.count != entries)
    throw RuntimeError(err::kInvalidCall, path_ + ": the header counts " + std::to_string(h.count) +
                                              " entries, the directory read holds " +
                                              std::to_string(entries));
}

std::unique_ptr<BinaryFile> ImgArchive::openForChange() {
  if (table_.empty())
    throw RuntimeError(err::kSubscript, path_ + ": no archive directory has been read");
  // The table was read from an existing file: a missing one is an error, never made anew.
  auto archive = fs_.open(path_, OpenMode::ReadWriteExisting);
  verify(*archive);
  flushOtherPending();
  return archive;
}

void ImgArchive::abandon(ArchiveEdit& edit, const RuntimeError& failure) {
  try {
    edit.rollback();
  } catch (const RuntimeError& e) {
    noteFlushes(edit);
    distrust();
    throw RuntimeError(failure.number(), failure.detail() +
                                             "; the archive could not be put back as it was (" +
                                             e.text() + "), read it again before changing it");
  }
  noteFlushes(edit);
  throw failure;
}

ArchiveReport ImgArchive::check() const {
  return checkArchive(fs_, path_);
}

RebuildSummary ImgArchive::rebuild() {
  // Durability only: the rebuilt file is written and flushed anew from what the file holds.
  flushPending();
  RebuildSummary summary = rebuildArchive(fs_, path_, progress_);
  read(path_);
  return summary;
}

std::string addedEntryName(const std::string& nameSource) {
  auto cut = nameSource.find_last_of("\\/");
  return cut == std::string::npos ? nameSource : nameSource.substr(cut + 1);
}

}  // namespace tamberlin
