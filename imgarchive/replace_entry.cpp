// ReplaceFileInIMG: an entry's new data appended at the end of the archive, then its record
// pointed there. The old data stays in the file, no longer referenced.
#include <algorithm>
#include <cstdint>

#include "imgarchive/archive_edit.h"
#include "imgarchive/bitstring.h"
#include "imgarchive/module1.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/status_line.h"

namespace tamberlin {

void Module1::ReplaceFileInIMG(std::int32_t entryIndex, const std::string& newFilePath,
                               std::int32_t sourceFileNum, std::int32_t& byteCount) {
  const auto entries = static_cast<std::int64_t>(IMGDir.size()) - 1;
  if (entryIndex < 1 || entryIndex > entries)
    throw RuntimeError(err::kSubscript, imgPath + ": there is no entry " +
                                            std::to_string(entryIndex) + " (the directory has " +
                                            std::to_string(std::max<std::int64_t>(entries, 0)) +
                                            " entries)");
  const IMGEntry& slot = IMGDir[static_cast<std::size_t>(entryIndex)];
  if (slot.dirPos == 0)
    throw RuntimeError(err::kSubscript, imgPath + ": entry " + std::to_string(entryIndex) +
                                            " has no record position");
  SetStatus("Replacing IMG File (" + displayName(slot) + ")...");
  try {
    if (sourceFileNum != 0)
      throw RuntimeError(err::kBadFileNameOrNumber, "file number " + std::to_string(sourceFileNum) +
                                                        ": the new data is read from the file " +
                                                        newFilePath + " only");
    // A missing, hidden or empty file is no error: nothing to put in.
    const FileInfo info = fs_.stat(newFilePath);
    if (info.exists && !info.isDir && !info.isHidden && info.size >= 1) {
      auto archive = fs_.open(imgPath, OpenMode::ReadWriteExisting);
      replaceEntry(*archive, entryIndex, newFilePath, byteCount);
      archive->close();
    }
  } catch (const RuntimeError& e) {
    errorBox("Error # ", e, "Sub ReplaceFileInIMG");
  }
  SetStatus("");
}

void Module1::replaceEntry(BinaryFile& archive, std::int32_t entryIndex,
                           const std::string& newFilePath, std::int32_t& byteCount) {
  verifyTable(archive);
  flushOtherPending();
  IMGEntry& slot = IMGDir[static_cast<std::size_t>(entryIndex)];
  const std::int64_t endSector = sectorsFor(archive.length());
  if (endSector >= kFirstUnreachableSector)
    throw RuntimeError(err::kOverflow, imgPath + ": the new data would start at sector " +
                                           std::to_string(endSector) +
                                           ", past the archive's 2 GiB limit");
  auto source = fs_.open(newFilePath, OpenMode::Read);
  const std::int64_t bytes = source->length();
  if (bytes > INT32_MAX) throw RuntimeError(err::kOverflow, newFilePath + " is 2 GiB or larger");
  if (bytes < 1) return;
  byteCount = static_cast<std::int32_t>(bytes);
  const auto newSectors = static_cast<std::int32_t>(sectorsFor(bytes));

  ArchiveEdit edit(archive);
  try {
    copyBytes(
        *source, 1, archive, endSector * sector + 1, bytes,
        [this](std::uint64_t done, std::uint64_t total) { status_.copyProgress(done, total); });
    edit.sync();
    // Offset and size in one write: a torn field would name someone else's data.
    unsigned char fields[8];
    encodeField(static_cast<std::int32_t>(endSector), fields);
    encodeField(newSectors, fields + 4);
    edit.write(slot.dirPos, fields, sizeof fields);
    lastFlush(edit);
    edit.commit();
  } catch (const RuntimeError& e) {
    abandon(edit, e);
  }
  slot.offset = static_cast<std::int32_t>(endSector);
  slot.size = newSectors;
}

}  // namespace tamberlin
