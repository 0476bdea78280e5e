#include "app/img_actions.h"

#include <algorithm>
#include <vector>

#include "app/console_boxes.h"
#include "imgarchive/check.h"
#include "imgarchive/entry_index.h"
#include "imgarchive/module1.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "ui/entry_list.h"
#include "ui/status_line.h"

namespace tamberlin {
namespace {

/// One run of the engine on one archive. The engine `m` is public: the actions drive it.
class Engine {
  ImgContext& c_;
  ListBox list_;  // declared before m, which holds on to it

 public:
  explicit Engine(ImgContext& c) : c_(c), m(c.fs, c.status, list_, c.boxes) {}
  Module1 m;

  /// ReadIMG of `archive`; false (after saying why) when the directory could not be read whole.
  /// The commands that only read demand an existing file: ReadIMG would make an empty one.
  bool read(const std::string& archive, bool mustExist) {
    if (mustExist) {
      FileInfo info = c_.fs.stat(archive);
      if (!info.exists || info.isDir) {
        fail(RuntimeError(info.isDir ? err::kPathFileAccess : err::kFileNotFound,
                          archive + (info.isDir ? " is a folder" : ""))
                 .text());
        return false;
      }
    }
    int boxesBefore = c_.boxes.questions();
    m.ReadIMG(archive);
    if (c_.boxes.questions() == boxesBefore && m.tableHolds(archive)) return true;
    fail("the directory of " + archive + " could not be read");
    return false;
  }

  /// The slot of entry `name`, or 0 after an error that names entry and archive.
  std::int32_t find(const std::string& name, const std::string& archive) {
    EntryIndex index(m.IMGDir);
    std::int32_t slot = index.find(name);
    if (slot != 0) return slot;
    fail(missingEntryText(index, name, archive));
    return 0;
  }

  int fail(const std::string& text) {
    c_.err << "tamberlin img: " << text << "\n";
    return 1;
  }

  std::string label(std::int32_t slot) const {
    const IMGEntry& e = m.IMGDir[static_cast<std::size_t>(slot)];
    return "entry " + std::to_string(slot) + " (" + printableName(e.fileName.data(), kNameSize) +
           ")";
  }
};

/// "1 warning", "2 warnings".
template <class N>
std::string counted(N n, const std::string& one, const std::string& many = {}) {
  return std::to_string(n) + " " + (n == 1 ? one : many.empty() ? one + "s" : many);
}

std::string placement(const IMGEntry& e) {
  return counted(e.size, "sector") + " at sector " + std::to_string(e.offset);
}

}  // namespace

int imgList(ImgContext& c, const std::string& archive) {
  Engine eng(c);
  bool whole = eng.read(archive, true);
  const auto& dir = eng.m.IMGDir;
  for (std::size_t k = 1; k < dir.size(); ++k) {
    const IMGEntry& e = dir[k];
    c.out << padLeft(std::to_string(k), 5) << ' ' << padLeft(std::to_string(e.offset), 10) << ' '
          << padLeft(std::to_string(e.size), 8) << "  "
          << printableName(e.fileName.data(), kNameSize) << '\n';
  }
  return whole ? 0 : 1;
}

int imgAdd(ImgContext& c, const std::string& archive, const std::string& file,
           const std::string& name) {
  Engine eng(c);
  if (!eng.read(archive, false)) return 1;
  std::size_t before = eng.m.IMGDir.size();
  int boxesBefore = c.boxes.questions();
  eng.m.imgPath = archive;
  eng.m.UseFileNameToIMG(file, 0, 0, name);
  if (c.boxes.questions() != boxesBefore || eng.m.IMGDir.size() != before + 1)
    return eng.fail("nothing was added to " + archive);
  auto slot = static_cast<std::int32_t>(eng.m.IMGDir.size() - 1);
  c.out << "added " << eng.label(slot) << " to " << archive << ": "
        << placement(eng.m.IMGDir.back()) << '\n';
  return 0;
}

int imgReplace(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& file) {
  Engine eng(c);
  if (!eng.read(archive, true)) return 1;
  std::int32_t slot = eng.find(name, archive);
  if (slot == 0) return 1;
  // The engine takes a missing or empty file as "nothing to do"; asked for on the command line
  // it is a mistake to report, not a success.
  FileInfo info = c.fs.stat(file);
  if (!info.exists || info.isDir)
    return eng.fail(RuntimeError(err::kFileNotFound, file).text() + "; " + archive +
                    " is unchanged");
  if (info.size == 0) return eng.fail(file + " is empty; " + archive + " is unchanged");
  int boxesBefore = c.boxes.questions();
  eng.m.imgPath = archive;
  std::int32_t byteCount = 0;
  eng.m.ReplaceFileInIMG(slot, file, 0, byteCount);
  if (c.boxes.questions() != boxesBefore) return eng.fail(eng.label(slot) + " was not replaced");
  c.out << "replaced " << eng.label(slot) << " in " << archive << ": " << byteCount << " bytes, "
        << placement(eng.m.IMGDir[static_cast<std::size_t>(slot)]) << '\n';
  return 0;
}

int imgExtract(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& outPath) {
  Engine eng(c);
  if (!eng.read(archive, true)) return 1;
  std::int32_t slot = eng.find(name, archive);
  if (slot == 0) return 1;
  const IMGEntry& e = eng.m.IMGDir[static_cast<std::size_t>(slot)];
  FileInfo outInfo = c.fs.stat(outPath), archiveInfo = c.fs.stat(archive);
  if (outInfo.exists && outInfo.id != 0 && outInfo.id == archiveInfo.id)
    return eng.fail(outPath + " is the archive itself; it was left alone");
  auto src = c.fs.open(archive, OpenMode::Read);
  std::int64_t start = std::int64_t{e.offset} * sector, len = src->length();
  std::int64_t count =
      std::min(std::int64_t{e.size} * sector, std::max<std::int64_t>(len - start, 0));
  if (e.size > 0 && start >= len)
    return eng.fail(eng.label(slot) + ": its data at sector " + std::to_string(e.offset) +
                    " lies past the end of " + archive);
  // Into a temporary file first, so that a failed extraction leaves an existing OUT alone.
  std::string temp = outPath + ".part";
  try {
    auto dst = c.fs.open(temp, OpenMode::Create);
    copyBytes(*src, start + 1, *dst, 1, count,
              [&](std::uint64_t done, std::uint64_t total) { c.status.copyProgress(done, total); });
    dst->close();
    c.fs.rename(temp, outPath);
  } catch (const RuntimeError&) {
    if (c.fs.stat(temp).exists) c.fs.removeFile(temp);
    throw;
  }
  src->close();
  c.out << "extracted " << eng.label(slot) << ": " << count << " bytes to " << outPath << '\n';
  return 0;
}

int imgCheck(ImgContext& c, const std::string& archive) {
  ArchiveReport r = checkArchive(c.fs, archive);
  for (const auto& line : r.errors) c.out << "error: " << line << '\n';
  for (const auto& line : r.warnings) c.out << "warning: " << line << '\n';
  c.out << archive << ": " << counted(r.entryCount, "entry", "entries") << ", "
        << counted(r.fileLength, "byte") << "; " << counted(r.errorCount(), "error") << ", "
        << counted(r.warningCount(), "warning") << "; "
        << counted(r.contiguityBreaks(), "contiguity break") << "; "
        << counted(r.deadBytes, "dead byte") << " in " << counted(r.holes, "hole") << "\n";
  if (!r.ok()) {
    c.out << archive << ": damaged\n";
    return 1;
  }
  c.out << archive << (r.warningCount() ? ": sound, with warnings\n" : ": sound\n");
  return 0;
}

}  // namespace tamberlin
