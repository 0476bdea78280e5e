// Undoing files and folders. A file is put back only where it holds a state this installation
// left, and only from a backup whose bytes hash to the state it had before; the old bytes go to a
// temporary file that is flushed and renamed over the file, so no moment shows half of them.
#include <algorithm>

#include "journal/game_path.h"
#include "journal/layout.h"
#include "journal/undo_context.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

constexpr const char* kPartSuffix = ".tamberlin-part";

bool contains(const std::vector<FileState>& states, const FileState& s) {
  return std::find(states.begin(), states.end(), s) != states.end();
}

std::string folderOf(const std::string& path) {
  std::string dir = parentPath(path);
  return dir.empty() ? "." : dir;
}

/// A later installation that left `now` at `path`.
void blame(UndoContext& cx, UndoStep& step, const std::string& path, const FileState& now) {
  for (const Installation* later : cx.later()) {
    const FileItem* f = later->file(path);
    if (f && contains(f->own, now)) {
      step.causedBy = later->number;
      step.causedByMod = later->mod;
      return;
    }
  }
}

/// True when the backup of `f` holds the bytes it had before.
bool backupIsSound(UndoContext& cx, const FileItem& f) {
  if (f.backup.kind == Backup::Kind::Deleted)
    return currentFileState(cx.fs, cx.deletedPath(f.backup.name)) == f.pre;
  auto dat = cx.fs.open(cx.backupPath(), OpenMode::Read);
  if (f.backup.offset + f.pre.size > dat->length()) return false;
  return hashAndCopy(*dat, f.backup.offset + 1, f.pre.size, nullptr, 0) == f.pre.hash;
}

std::string describe(const FileState& s) {
  return s.present ? std::to_string(s.size) + " bytes that this installation did not write"
                   : "nothing (it was removed)";
}

/// Puts the pre-image of `f` in place from backup.dat, through a flushed temporary file.
void putBackBytes(UndoContext& cx, const FileItem& f, const std::string& path) {
  const std::string part = path + kPartSuffix;
  auto dat = cx.fs.open(cx.backupPath(), OpenMode::Read);
  auto out = cx.fs.open(part, OpenMode::Create);
  const Digest got = hashAndCopy(*dat, f.backup.offset + 1, f.pre.size, out.get(), 1);
  out->sync();
  out->close();
  if (got != f.pre.hash) {
    cx.fs.removeFile(part);
    throw RuntimeError(err::kInvalidFormat, cx.backupPath() + ": the backup of " + f.path +
                                                " changed while it was copied");
  }
  cx.fs.rename(part, path);
}

}  // namespace

UndoStep assessFile(UndoContext& cx, const FileItem& f) {
  UndoStep step;
  step.what = "file " + f.path;
  const std::string path = cx.full(f.path);
  const FileState now = currentFileState(cx.fs, path);
  if (now == f.pre) return step;
  if (!contains(f.own, now)) {
    step.status = StepStatus::Conflict;
    step.conflict = "it holds " + describe(now);
    blame(cx, step, f.path, now);
    return step;
  }
  step.status = StepStatus::Undo;
  if (!f.pre.present) {
    step.action = "remove it (this installation made it)";
  } else if (f.backup.kind == Backup::Kind::None || !backupIsSound(cx, f)) {
    step.status = StepStatus::Conflict;
    step.conflict = "its backup is missing or does not hold its old bytes";
  } else if (f.backup.kind == Backup::Kind::Deleted) {
    step.action = "move it back from " + std::string(kDeletedFolder) + "\\" + f.backup.name;
  } else {
    step.action = "put its old " + std::to_string(f.pre.size) + " bytes back";
  }
  return step;
}

UndoStep undoFile(UndoContext& cx, const FileItem& f) {
  UndoStep step = assessFile(cx, f);
  if (step.status != StepStatus::Undo || cx.dryRun) return step;
  const std::string path = cx.full(f.path);
  if (!f.pre.present) {
    cx.fs.removeFile(path);
  } else if (f.backup.kind == Backup::Kind::Deleted) {
    cx.fs.rename(cx.deletedPath(f.backup.name), path);
  } else {
    putBackBytes(cx, f, path);
  }
  cx.touchedFolders.insert(folderOf(path));
  return step;
}

UndoStep assessFolder(UndoContext& cx, const FolderItem& f, const std::set<std::string>& gone) {
  UndoStep step;
  step.what = "folder " + f.path;
  const std::string path = cx.full(f.path);
  const FileInfo info = cx.fs.stat(path);
  if (!info.exists) return step;
  if (!info.isDir) {
    step.status = StepStatus::Conflict;
    step.conflict = "a file has its name now";
    return step;
  }
  std::vector<std::string> blockers;
  for (const DirEntry& e : cx.fs.list(path)) {
    const std::string child = f.path + "\\" + e.name;
    const bool part = !e.isDir && e.name.size() > std::string(kPartSuffix).size() &&
                      e.name.compare(e.name.size() - std::string(kPartSuffix).size(),
                                     std::string::npos, kPartSuffix) == 0;
    if (!part && !gone.count(pathKey(child))) blockers.push_back(e.name);
  }
  if (blockers.empty()) {
    step.status = StepStatus::Undo;
    step.action = "remove it (this installation made it)";
    return step;
  }
  step.status = StepStatus::Conflict;
  // The names that stay: the installation did not leave them, or they are its own files left
  // as they are for a conflict of their own.
  step.conflict = "it is not empty: " + std::to_string(blockers.size()) +
                  (blockers.size() == 1 ? " name stays" : " names stay") + " in it (" +
                  blockers.front() + (blockers.size() > 1 ? ", ..." : "") + ")";
  for (const Installation* later : cx.later()) {
    for (const std::string& b : blockers) {
      const std::string child = f.path + "\\" + b;
      bool theirs = later->file(child) != nullptr;
      for (const FolderItem& d : later->folders)
        theirs = theirs || pathKey(d.path) == pathKey(child);
      if (theirs && step.causedBy == 0) {
        step.causedBy = later->number;
        step.causedByMod = later->mod;
      }
    }
  }
  return step;
}

UndoStep undoFolder(UndoContext& cx, const FolderItem& f) {
  UndoStep step = assessFolder(cx, f, {});
  if (step.status != StepStatus::Undo || cx.dryRun) return step;
  const std::string path = cx.full(f.path);
  // What is left in it can only be the temporary files of copies that never finished.
  for (const DirEntry& e : cx.fs.list(path)) cx.fs.removeFile(path + "\\" + e.name);
  cx.fs.removeDir(path);
  cx.touchedFolders.insert(folderOf(path));
  return step;
}

}  // namespace tamberlin::journal
