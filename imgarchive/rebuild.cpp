#include "imgarchive/rebuild.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "imgarchive/check.h"
#include "imgarchive/codec.h"
#include "imgarchive/rebuild_plan.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// The folder holding `path`, as the file system's folder calls take it ("." for a bare name).
std::string folderOf(const std::string& path) {
  std::string dir = parentPath(path);
  if (!dir.empty()) return dir;
  return !path.empty() && isPathSeparator(path[0]) ? path.substr(0, 1) : ".";
}

std::string refusal(const std::string& path, const ArchiveReport& report) {
  std::string text = path + " is damaged and was not rebuilt; img check found " +
                     std::to_string(report.errorCount()) + " error(s):";
  for (const std::string& line : report.errors) text += "\n  " + line;
  return text;
}

std::vector<IMGEntry> readRecords(BinaryFile& file, std::uint32_t count) {
  std::vector<unsigned char> buf(static_cast<std::size_t>(kRecordSize) * count);
  const std::size_t got = count > 0 ? file.read(kFirstRecordPos, buf.data(), buf.size()) : 0;
  ByteCursor in(buf.data(), got);
  std::vector<IMGEntry> records(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    IMGEntry& e = records[i];
    decodeRecord(in, e);
    e.dirPos = static_cast<std::int32_t>(recordPos(i + 1));
  }
  if (!in.ok()) throw RuntimeError(err::kInputPastEnd, file.path());
  return records;
}

/// Header, records and the zeros up to the first data sector: the new file's first bytes.
std::vector<unsigned char> encodeDirectory(const RebuildPlan& plan) {
  std::vector<unsigned char> buf(static_cast<std::size_t>(plan.firstSector * sector), 0);
  const HeaderBytes head = encodeHeader(static_cast<std::int32_t>(plan.records.size()));
  std::copy(head.begin(), head.end(), buf.begin());
  for (std::size_t i = 0; i < plan.records.size(); ++i) {
    const RecordBytes r = encodeRecord(plan.records[i]);
    std::copy(r.begin(), r.end(), buf.begin() + recordPos(static_cast<std::int64_t>(i) + 1) - 1);
  }
  return buf;
}

void checkFreeSpace(FileSystem& fs, const std::string& archivePath, const std::string& temp,
                    std::int64_t needed) {
  std::string folder = folderOf(archivePath);
  std::uint64_t available = fs.freeSpace(folder);
  FileInfo leftover = fs.stat(temp);  // emptied before we write: its room counts as free
  if (leftover.exists && !leftover.isDir) available += static_cast<std::uint64_t>(leftover.size);
  if (available >= static_cast<std::uint64_t>(needed)) return;
  throw RuntimeError(err::kDiskFull, "rebuilding " + archivePath + " needs " +
                                         std::to_string(needed) + " bytes free in " + folder +
                                         ", there are " + std::to_string(available));
}

/// Writes the whole new archive to `temp` and flushes it to stable storage.
void writeNewArchive(FileSystem& fs, BinaryFile& old, const std::string& temp,
                     const RebuildPlan& plan, const CopyProgress& progress) {
  std::unique_ptr<BinaryFile> out = fs.open(temp, OpenMode::Create);
  std::vector<unsigned char> head = encodeDirectory(plan);
  out->write(1, head.data(), head.size());
  const auto total = static_cast<std::uint64_t>(plan.dataBytes);
  std::uint64_t done = 0;
  CopyProgress step;
  if (progress) step = [&](std::uint64_t d, std::uint64_t) { progress(done + d, total); };
  const std::vector<char> zeros(static_cast<std::size_t>(sector), 0);
  for (const CopyRun& run : plan.runs) {
    copyBytes(old, run.from, *out, run.to, run.bytes, step);
    done += static_cast<std::uint64_t>(run.bytes);
    if (run.zeros > 0) {
      out->write(run.to + run.bytes, zeros.data(), static_cast<std::size_t>(run.zeros));
      done += static_cast<std::uint64_t>(run.zeros);
      if (progress) progress(done, total);
    }
  }
  out->sync();
  out->close();
}

void removeQuietly(FileSystem& fs, const std::string& path) {
  try {
    if (fs.stat(path).exists) fs.removeFile(path);
  } catch (const RuntimeError&) {
    // The failure that brought us here is the one to report; a leftover temporary file is
    // overwritten by the next rebuild.
  }
}

std::uint64_t contiguityBreaks(const std::vector<IMGEntry>& records) {
  std::uint64_t breaks = 0;
  for (std::size_t i = 1; i < records.size(); ++i) {
    const IMGEntry& a = records[i - 1];
    if (static_cast<std::int64_t>(a.offset) + a.size != records[i].offset) ++breaks;
  }
  return breaks;
}

}  // namespace

std::string rebuildTempPath(const std::string& archivePath) {
  return archivePath + ".rebuild.tmp";
}

RebuildSummary rebuildArchive(FileSystem& fs, const std::string& archivePath,
                              const CopyProgress& progress) {
  ArchiveReport report = checkArchive(fs, archivePath);
  if (!report.ok()) throw RuntimeError(err::kInvalidFormat, refusal(archivePath, report));

  std::unique_ptr<BinaryFile> old = fs.open(archivePath, OpenMode::Read);
  const std::int64_t oldLength = old->length();
  RebuildPlan plan = planRebuild(readRecords(*old, report.entryCount), oldLength);
  const std::string temp = rebuildTempPath(archivePath);
  checkFreeSpace(fs, archivePath, temp, plan.newLength);

  try {
    writeNewArchive(fs, *old, temp, plan, progress);
    old->close();  // Windows renames over a file only when nobody holds it open
    fs.rename(temp, archivePath);
  } catch (const std::exception&) {
    removeQuietly(fs, temp);
    throw;
  }
  // Durability only: old or new, the name holds a whole, flushed archive. On NTFS the
  // write-through rename is on the disk already and this flush adds nothing.
  fs.syncDir(folderOf(archivePath));

  RebuildSummary summary;
  summary.entries = report.entryCount;
  summary.sizeBefore = oldLength;
  summary.sizeAfter = plan.newLength;
  summary.holesRemoved = report.deadBytes;
  summary.breaksBefore = report.contiguityBreaks();
  summary.breaksAfter = contiguityBreaks(plan.records);
  return summary;
}

}  // namespace tamberlin
