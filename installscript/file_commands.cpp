#include "installscript/file_commands.h"

#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/wildcard.h"
#include "platform/win_path.h"
#include "ui/status_line.h"

namespace tamberlin {

std::vector<std::string> filesMatching(FileSystem& fs, const std::string& pattern) {
  std::string dir = parentPath(pattern);
  std::string namePattern = baseName(pattern);
  std::vector<std::string> out;
  FileInfo where = fs.stat(dir.empty() ? "." : dir);
  if (!where.exists || !where.isDir) return out;
  if (!hasWildcard(namePattern)) {
    FileInfo info = fs.stat(pattern);
    if (namePattern.empty() || (info.exists && info.isDir)) throw deleteNamesFolder(pattern);
    if (info.exists) out.push_back(pattern);
    return out;
  }
  for (const DirEntry& e : fs.list(dir.empty() ? "." : dir)) {
    if (!e.isDir && matchesPattern(e.name, namePattern))
      out.push_back(dir.empty() ? e.name : dir + "\\" + e.name);
  }
  return out;
}

std::size_t deleteMatching(FileSystem& fs, const std::string& pattern) {
  std::vector<std::string> files = filesMatching(fs, pattern);
  for (const std::string& f : files) fs.removeFile(f);
  return files.size();
}

bool makeFolder(FileSystem& fs, const std::string& path) {
  FileInfo info = fs.stat(path);
  if (info.exists && info.isDir) return false;
  if (info.exists) throw folderIsFile(path);
  // Said here rather than left to the system, which calls it a missing file on some.
  const std::string parent = parentPath(path);
  if (!parent.empty() && !fs.stat(parent).isDir) throw parentFolderMissing(path);
  fs.makeDir(path);
  return true;
}

RuntimeError deleteNamesFolder(const std::string& pattern) {
  return RuntimeError(err::kPathFileAccess,
                      displayPath(pattern) + " is a folder; DELETE deletes files only");
}

RuntimeError folderIsFile(const std::string& path) {
  return RuntimeError(err::kPathFileAccess, displayPath(path) + " is a file, not a folder");
}

RuntimeError parentFolderMissing(const std::string& path) {
  return RuntimeError(err::kPathNotFound,
                      displayPath(path) + " (the folder it would be made in does not exist)");
}

std::string partFileFor(const std::string& dest) {
  return dest + ".tamberlin-part";
}

namespace {

std::unique_ptr<BinaryFile> openSource(FileSystem& fs, const std::string& source) {
  try {
    return fs.open(source, OpenMode::Read);
  } catch (const RuntimeError& e) {
    if (e.number() == err::kPathNotFound) throw RuntimeError(err::kFileNotFound, source);
    throw;
  }
}

void checkDestination(FileSystem& fs, const std::string& dest) {
  std::string dir = parentPath(dest);
  FileInfo folder = fs.stat(dir.empty() ? "." : dir);
  if (!folder.exists || !folder.isDir) throw destinationFolderMissing(dest);
  if (baseName(dest).empty() || fs.stat(dest).isDir) throw destinationIsFolder(dest);
}

}  // namespace

RuntimeError destinationFolderMissing(const std::string& dest) {
  return RuntimeError(err::kPathNotFound, displayPath(dest) + " (its folder does not exist)");
}

RuntimeError destinationIsFolder(const std::string& dest) {
  return RuntimeError(err::kPathFileAccess, displayPath(dest) + " is a folder");
}

std::string destFolder(const std::string& dest) {
  std::string dir = parentPath(dest);
  return dir.empty() ? "." : dir;
}

void copyIntoPlace(FileSystem& fs, const std::string& source, const std::string& dest,
                   StatusLine* progress, bool syncFolder,
                   const std::function<void(const std::string& part)>& beforeRename) {
  checkDestination(fs, dest);
  auto src = openSource(fs, source);
  const std::string part = partFileFor(dest);
  auto out = fs.open(part, OpenMode::Create);
  try {
    std::int64_t length = src->length();
    CopyProgress report;
    if (progress)
      report = [progress](std::uint64_t d, std::uint64_t t) { progress->copyProgress(d, t); };
    if (length > 0) copyBytes(*src, 1, *out, 1, length, report);
    out->sync();
    out->close();
    src->close();
    if (beforeRename) beforeRename(part);
  } catch (const RuntimeError&) {
    out.reset();
    try {
      fs.removeFile(part);
    } catch (const RuntimeError&) {
      // The copy's own error is the one to report; a stray part file harms nothing.
    }
    throw;
  }
  fs.rename(part, dest);
  // Durability only: old or new, `dest` names whole, flushed bytes. On NTFS the write-through
  // rename is on the disk already and this flush adds nothing.
  if (syncFolder) fs.syncDir(destFolder(dest));
}

}  // namespace tamberlin
