// Undoing changes: a record put back, an entry removed from the directory, the dead tail cut off.
// Each write is flushed before the next; a record's removal closes the directory up while the
// records it moves are hidden behind a lower count, so every power cut leaves a valid archive.
#include <algorithm>

#include "imgarchive/codec.h"
#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

void writeCount(BinaryFile& archive, std::int32_t count) {
  unsigned char b[4];
  encodeField(count, b);
  archive.write(kCountPos, b, sizeof b);
  archive.sync();
}

std::int64_t headerCount(BinaryFile& archive) {
  HeaderBytes head{};
  ByteCursor in(head.data(), archive.read(1, head.data(), head.size()));
  const Header h = decodeHeader(in);
  return in.ok() && h.magicOk ? std::int64_t{h.count} : -1;
}

}  // namespace

void ImgArchive::flushedWhole() {
  if (!pendingPath_.empty() && pending_.same(identity_)) clearPending();
}

RecordBytes ImgArchive::rawRecord(std::int32_t slot) {
  checkSlot(slot);
  auto archive = fs_.open(path_, OpenMode::Read);
  RecordBytes r{};
  if (archive->read(table_[static_cast<std::size_t>(slot)].dirPos, r.data(), r.size()) != r.size())
    throw RuntimeError(err::kInputPastEnd, path_ + ": record " + std::to_string(slot));
  archive->close();
  return r;
}

void ImgArchive::restoreRecord(std::int32_t slot, const RecordBytes& record) {
  checkSlot(slot);
  IMGEntry placed = table_[static_cast<std::size_t>(slot)];
  ByteCursor in(record.data(), record.size());
  decodeRecord(in, placed);  // error 6 for an offset of 2^31 or more
  auto archive = openForChange();
  // One write: the offset and both size halves lie in one 512-byte piece of every record.
  archive->write(placed.dirPos, record.data(), record.size());
  archive->sync();
  archive->close();
  flushedWhole();
  IMGEntry& e = table_[static_cast<std::size_t>(slot)];
  if (e.fileName != placed.fileName) {
    index_ = EntryIndex();
    indexed_ = 0;
  }
  e = placed;
}

void ImgArchive::removeEntry(std::int32_t slot, const BeforeCloseUp& beforeCloseUp) {
  checkSlot(slot);
  const std::int32_t n = count();
  if (slot == n) {
    auto archive = openForChange();
    writeCount(*archive, n - 1);
    archive->close();
    flushedWhole();
    table_.pop_back();
    syncIndex();
    return;
  }
  std::vector<RecordBytes> later;
  {
    auto archive = openForChange();
    std::vector<unsigned char> raw(static_cast<std::size_t>(n - slot) * kRecordSize);
    if (archive->read(recordPos(slot + 1), raw.data(), raw.size()) != raw.size())
      throw RuntimeError(err::kInputPastEnd, path_ + ": the directory ends early");
    for (std::size_t at = 0; at < raw.size(); at += kRecordSize) {
      RecordBytes r;
      std::copy(raw.begin() + static_cast<std::ptrdiff_t>(at),
                raw.begin() + static_cast<std::ptrdiff_t>(at + kRecordSize), r.begin());
      later.push_back(r);
    }
    archive->close();
  }
  if (beforeCloseUp) beforeCloseUp(slot, n, later);
  closeUp(slot, n, later);
}

void ImgArchive::closeUp(std::int32_t slot, std::int32_t countBefore,
                         const std::vector<RecordBytes>& later) {
  if (slot < 1 || std::int64_t{countBefore} - slot != static_cast<std::int64_t>(later.size()))
    throw RuntimeError(err::kInvalidCall, path_ + ": a close-up needs the records after its slot");
  flushPending();
  auto archive = fs_.open(path_, OpenMode::ReadWriteExisting);
  const std::int64_t now = headerCount(*archive);
  if (now != countBefore && now != slot - 1)
    throw RuntimeError(err::kInvalidCall, path_ + ": the header counts " + std::to_string(now) +
                                              " entries, not " + std::to_string(countBefore) +
                                              " or " + std::to_string(slot - 1) +
                                              ": the archive changed since the close-up began");
  distrust();
  // Hidden behind the lower count, the moved records may land in any order and be torn.
  if (now == countBefore) writeCount(*archive, slot - 1);
  std::vector<unsigned char> raw;
  for (const RecordBytes& r : later) raw.insert(raw.end(), r.begin(), r.end());
  if (!raw.empty()) {
    archive->write(recordPos(slot), raw.data(), raw.size());
    archive->sync();
  }
  writeCount(*archive, countBefore - 1);
  archive->close();
  read(path_);
}

std::int64_t ImgArchive::cutDeadTail(std::int64_t keep) {
  auto archive = openForChange();
  const std::int64_t length = archive->length();
  std::int64_t live = kHeaderSize + kRecordSize * std::int64_t{count()};
  for (std::size_t k = 1; k < table_.size(); ++k) {
    const IMGEntry& e = table_[k];
    if (e.size > 0) live = std::max(live, (std::int64_t{e.offset} + e.size) * sector);
  }
  const std::int64_t cut = std::max(keep, live);
  if (cut >= length) return 0;
  archive->truncate(cut);
  archive->sync();
  archive->close();
  flushedWhole();
  return length - cut;
}

}  // namespace tamberlin
