// ImgArchive::replace: an entry's new data appended at the end of the archive, then its record
// pointed there. The old data stays in the file, no longer referenced.
#include <cstdint>

#include "imgarchive/add_plan.h"
#include "imgarchive/archive_edit.h"
#include "imgarchive/codec.h"
#include "imgarchive/img_archive.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {

void ImgArchive::checkSlot(std::int32_t slot) const {
  if (slot < 1 || slot > count())
    throw RuntimeError(err::kSubscript, path_ + ": there is no entry " + std::to_string(slot) +
                                            " (the directory has " + std::to_string(count()) +
                                            " entries)");
  if (table_[static_cast<std::size_t>(slot)].dirPos == 0)
    throw RuntimeError(err::kSubscript,
                       path_ + ": entry " + std::to_string(slot) + " has no record position");
}

std::int64_t ImgArchive::replace(std::int32_t slot, const std::string& source) {
  checkSlot(slot);
  auto archive = openForChange();
  auto input = fs_.open(source, OpenMode::Read);
  const std::int64_t bytes = input->length();
  if (bytes < 1)
    throw RuntimeError(err::kInvalidCall,
                       source + " is empty: an entry's new data needs at least one byte");
  replaceIn(*archive, slot, *input, 1, bytes);
  input->close();
  archive->close();
  return bytes;
}

std::int64_t ImgArchive::replaceFromRange(std::int32_t slot, const std::string& source,
                                          std::int64_t from, std::int64_t bytes) {
  checkSlot(slot);
  auto archive = openForChange();
  auto input = fs_.open(source, OpenMode::Read);
  if (bytes < 1 || from < 1 || from - 1 + bytes > input->length())
    throw RuntimeError(err::kInputPastEnd, source + ": " + std::to_string(bytes) +
                                               " bytes from position " + std::to_string(from) +
                                               " are not all in the file");
  replaceIn(*archive, slot, *input, from, bytes);
  input->close();
  archive->close();
  return bytes;
}

void ImgArchive::replaceIn(BinaryFile& archive, std::int32_t slot, BinaryFile& source,
                           std::int64_t from, std::int64_t bytes) {
  IMGEntry& e = table_[static_cast<std::size_t>(slot)];
  const std::int64_t endSector = sectorsFor(archive.length());
  if (endSector >= kFirstUnreachableSector)
    throw RuntimeError(err::kOverflow, path_ + ": the new data would start at sector " +
                                           std::to_string(endSector) +
                                           ", past the archive's 2 GiB limit");
  requireExpressible(bytes);
  IMGEntry placed = e;
  placed.offset = static_cast<std::int32_t>(endSector);
  placed.size = static_cast<std::int32_t>(sectorsFor(bytes));

  ArchiveEdit edit(archive);
  try {
    copyBytes(source, from, archive, sectorPos(endSector), bytes, progress_);
    edit.sync();
    if (beforeVisible_) beforeVisible_(slot, placed, bytes);
    // Offset and both size halves in one write: a torn field would name someone else's data.
    const RecordBytes r = encodeRecord(placed);
    edit.write(e.dirPos, r.data(), kNameAt);
    // Durability only: the record is the last write, and old or new it names flushed data.
    lastFlush(edit);
    edit.commit();
  } catch (const RuntimeError& failure) {
    abandon(edit, failure);
  }
  e = placed;
}

}  // namespace tamberlin
