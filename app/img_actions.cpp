#include "app/img_actions.h"

#include "imgarchive/check.h"
#include "imgarchive/entry_index.h"
#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "ui/status_line.h"

namespace tamberlin {
namespace {

/// The archive at `path`, read; its copy progress goes to the status line.
struct Opened {
  Opened(ImgContext& c, const std::string& path, IfMissing missing) : archive(c.fs) {
    archive.onProgress(
        [&c](std::uint64_t done, std::uint64_t total) { c.status.copyProgress(done, total); });
    archive.read(path, missing);
  }
  ImgArchive archive;
};

/// The slot of entry `name`; error 53 naming entry and archive when there is none.
std::int32_t slotOf(ImgArchive& a, const std::string& name) {
  std::int32_t slot = a.find(name);
  if (slot == 0)
    throw RuntimeError(err::kFileNotFound, missingEntryText(a.index(), name, a.path()));
  return slot;
}

std::string label(const ImgArchive& a, std::int32_t slot) {
  const IMGEntry& e = a.table()[static_cast<std::size_t>(slot)];
  return "entry " + std::to_string(slot) + " (" + printableName(e.fileName.data(), kNameSize) + ")";
}

/// "1 warning", "2 warnings".
template <class N>
std::string counted(N n, const std::string& one, const std::string& many = {}) {
  return std::to_string(n) + " " + (n == 1 ? one : many.empty() ? one + "s" : many);
}

std::string placement(const IMGEntry& e) {
  return counted(e.size, "sector") + " at sector " + std::to_string(e.offset);
}

/// The file to give an entry must exist and hold bytes; asked for on the command line, a missing
/// or empty one is a mistake to report, not nothing to do.
void requireData(FileSystem& fs, const std::string& file, const std::string& archive) {
  FileInfo info = fs.stat(file);
  if (!info.exists || info.isDir)
    throw RuntimeError(err::kFileNotFound, file + "; " + archive + " is unchanged");
  if (info.size == 0)
    throw RuntimeError(err::kInvalidCall, file + " is empty; " + archive + " is unchanged");
}

}  // namespace

int imgList(ImgContext& c, const std::string& archive) {
  ImgArchive a(c.fs);
  int code = 0;
  try {
    a.read(archive);
  } catch (const RuntimeError& e) {
    // A short directory: the records the file holds are listed, then the failure.
    if (a.table().empty()) throw;
    c.err << "tamberlin img: " << e.text() << "\n";
    code = 1;
  }
  const auto& dir = a.table();
  for (std::size_t k = 1; k < dir.size(); ++k) {
    const IMGEntry& e = dir[k];
    c.out << padLeft(std::to_string(k), 5) << ' ' << padLeft(std::to_string(e.offset), 10) << ' '
          << padLeft(std::to_string(e.size), 8) << "  "
          << printableName(e.fileName.data(), kNameSize) << '\n';
  }
  return code;
}

int imgAdd(ImgContext& c, const std::string& archive, const std::string& file,
           const std::string& name) {
  Opened o(c, archive, IfMissing::CreateEmpty);
  const std::int32_t slot = o.archive.add(file, addedEntryName(name.empty() ? file : name));
  c.out << "added " << label(o.archive, slot) << " to " << archive << ": "
        << placement(o.archive.table().back()) << '\n';
  return 0;
}

int imgReplace(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& file) {
  Opened o(c, archive, IfMissing::Fail);
  const std::int32_t slot = slotOf(o.archive, name);
  requireData(c.fs, file, archive);
  const std::int64_t bytes = o.archive.replace(slot, file);
  c.out << "replaced " << label(o.archive, slot) << " in " << archive << ": " << bytes << " bytes, "
        << placement(o.archive.table()[static_cast<std::size_t>(slot)]) << '\n';
  return 0;
}

int imgExtract(ImgContext& c, const std::string& archive, const std::string& name,
               const std::string& outPath) {
  Opened o(c, archive, IfMissing::Fail);
  const std::int32_t slot = slotOf(o.archive, name);
  const std::int64_t bytes = o.archive.extract(slot, outPath);
  c.out << "extracted " << label(o.archive, slot) << ": " << bytes << " bytes to " << outPath
        << '\n';
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
