// The uninstall as a whole: assess every step, refuse on conflicts (unless forced), then undo in
// order, each step checked again just before it acts. "uninstalling" is on the disk before the
// first change and "uninstalled" after the last one and the folders it touched; only then do the
// backup and the moved files go.
#include "journal/uninstall.h"

#include <algorithm>
#include <set>

#include "journal/game_path.h"
#include "journal/layout.h"
#include "journal/undo_context.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin::journal {

std::string UndoContext::full(const std::string& gamePath) const {
  return underGame(saPath, gamePath);
}

std::string UndoContext::backupPath() const {
  return in.folder + "\\" + kBackupFile;
}

std::string UndoContext::deletedPath(const std::string& name) const {
  return in.folder + "\\" + kDeletedFolder + "\\" + name;
}

ImgArchive* UndoContext::archive(const std::string& path) {
  const std::string key = pathKey(path);
  auto it = archives.find(key);
  if (it != archives.end()) return it->second.get();
  const std::string file = full(path);
  const FileInfo info = fs.stat(file);
  if (!info.exists || info.isDir) return nullptr;
  auto a = std::make_unique<ImgArchive>(fs);
  a->read(file);
  return archives.emplace(key, std::move(a)).first->second.get();
}

std::vector<const Installation*> UndoContext::later() const {
  std::vector<const Installation*> out;
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (it->number > in.number && it->state != InstallState::Damaged) out.push_back(&*it);
  return out;
}

namespace {

/// Every step in the order of undoing, assessed now.
std::vector<UndoStep> assessAll(UndoContext& cx) {
  std::vector<UndoStep> steps;
  for (auto it = cx.in.added.rbegin(); it != cx.in.added.rend(); ++it)
    steps.push_back(assessAdded(cx, *it));
  for (auto it = cx.in.entries.rbegin(); it != cx.in.entries.rend(); ++it)
    steps.push_back(assessEntry(cx, *it));
  std::set<std::string> gone;
  for (auto it = cx.in.files.rbegin(); it != cx.in.files.rend(); ++it) {
    UndoStep s = assessFile(cx, *it);
    if ((s.status == StepStatus::Undo && !it->pre.present) ||
        (s.status == StepStatus::NothingToDo && !it->pre.present))
      gone.insert(pathKey(it->path));
    steps.push_back(std::move(s));
  }
  for (auto it = cx.in.folders.rbegin(); it != cx.in.folders.rend(); ++it) {
    UndoStep s = assessFolder(cx, *it, gone);
    if (s.status != StepStatus::Conflict) gone.insert(pathKey(it->path));
    steps.push_back(std::move(s));
  }
  return steps;
}

/// Undoes every step in order; a step that conflicts now is left as it is.
std::vector<UndoStep> undoAll(UndoContext& cx) {
  std::vector<UndoStep> steps;
  for (const Closing& c : cx.in.closings) finishClosing(cx, c);
  for (auto it = cx.in.added.rbegin(); it != cx.in.added.rend(); ++it)
    steps.push_back(undoAdded(cx, *it));
  for (auto it = cx.in.entries.rbegin(); it != cx.in.entries.rend(); ++it)
    steps.push_back(undoEntry(cx, *it));
  for (const ArchiveItem& a : cx.in.archives) tidyArchive(cx, a);
  for (auto it = cx.in.files.rbegin(); it != cx.in.files.rend(); ++it)
    steps.push_back(undoFile(cx, *it));
  for (auto it = cx.in.folders.rbegin(); it != cx.in.folders.rend(); ++it)
    steps.push_back(undoFolder(cx, *it));
  return steps;
}

/// The backup and the moved files, once nothing can need them.
void dropBackup(FileSystem& fs, const Installation& in) {
  try {
    const std::string backup = in.folder + "\\" + kBackupFile;
    if (fs.stat(backup).exists) fs.removeFile(backup);
    const std::string deleted = in.folder + "\\" + kDeletedFolder;
    if (fs.stat(deleted).isDir) {
      for (const DirEntry& e : fs.list(deleted)) fs.removeFile(deleted + "\\" + e.name);
      fs.removeDir(deleted);
    }
  } catch (const RuntimeError&) {
    // The uninstall is done; a backup left behind harms nothing.
  }
}

std::size_t countOf(const std::vector<UndoStep>& steps, StepStatus s) {
  return static_cast<std::size_t>(
      std::count_if(steps.begin(), steps.end(), [s](const UndoStep& u) { return u.status == s; }));
}

const Installation& find(const std::vector<Installation>& all, unsigned number) {
  for (const Installation& in : all)
    if (in.number == number) return in;
  throw RuntimeError(err::kFileNotFound, "there is no installation " + std::to_string(number));
}

}  // namespace

unsigned newestInstalled(const std::vector<Installation>& all) {
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (it->installed()) return it->number;
  return 0;
}

UninstallReport uninstall(FileSystem& fs, const std::string& saPath,
                          const std::vector<Installation>& all, unsigned number,
                          const UninstallOptions& options) {
  const Installation& in = find(all, number);
  if (in.state == InstallState::Damaged)
    throw RuntimeError(err::kInvalidCall, "installation " + std::to_string(number) +
                                              " cannot be undone: its journal is damaged (" +
                                              in.damage + ")");
  UninstallReport report;
  report.number = number;
  UndoContext cx(fs, saPath, in, all);
  cx.dryRun = true;
  report.steps = assessAll(cx);
  report.conflicts = countOf(report.steps, StepStatus::Conflict);
  report.undone = countOf(report.steps, StepStatus::Undo);
  const bool unfinished = std::any_of(in.closings.begin(), in.closings.end(),
                                      [](const Closing& c) { return !c.closed; });
  if (report.conflicts > 0 && !options.force) {
    report.refused = true;
    return report;
  }
  if (options.dryRun) return report;
  if (report.undone == 0 && !unfinished && in.state == InstallState::Uninstalled) {
    report.finished = true;
    return report;
  }
  JournalWriter journal(fs, in.folder + "\\" + kJournalFile, false);
  journal.append(Record{"uninstalling", {nowUtc()}});
  journal.sync();
  cx.dryRun = false;
  cx.journal = &journal;
  cx.archives.clear();  // read again: the assessment read them before the journal said so
  report.steps = undoAll(cx);
  report.conflicts = countOf(report.steps, StepStatus::Conflict);
  report.undone = countOf(report.steps, StepStatus::Undo);
  // A folder removed after a file in it was undone has nothing left to flush.
  for (const std::string& dir : cx.touchedFolders)
    if (fs.stat(dir).isDir) fs.syncDir(dir);
  journal.append(Record{"uninstalled", {nowUtc(), std::to_string(report.conflicts)}});
  journal.sync();
  journal.close();
  report.finished = true;
  if (report.conflicts == 0) dropBackup(fs, in);
  return report;
}

}  // namespace tamberlin::journal
