// The installation's start: a new folder and journal, or the stopped installation of the same
// script resumed, or the complete one taken back first. Its end: the backup and the moved files'
// folders flushed, the lines done, then "complete" or "stopped".
#include "journal/install_journal.h"

#include "journal/backup_again.h"
#include "journal/game_path.h"
#include "journal/hex.h"
#include "journal/journal_writer.h"
#include "journal/layout.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

void makeDirIfMissing(FileSystem& fs, const std::string& dir, std::vector<std::string>& made) {
  const FileInfo info = fs.stat(dir);
  if (info.exists && info.isDir) return;
  fs.makeDir(dir);
  made.push_back(dir);
}

/// The newest installation of the same script that is not damaged; null when none.
const Installation* sameScript(const std::vector<Installation>& all, const Digest& script) {
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (it->state != InstallState::Damaged && it->state != InstallState::NotStarted &&
        it->script == script)
      return &*it;
  return nullptr;
}

/// Another installation cut short (a kill or a power cut) may have lost backups of entries
/// whose old data is still in place: backed up again before this one can write over it.
void secureCutShort(FileSystem& fs, const std::string& saPath, std::vector<Installation>& all,
                    const Installation* same) {
  for (Installation& in : all) {
    if (in.state != InstallState::Running || &in == same || in.entries.empty()) continue;
    std::vector<EntryItem*> entries;
    for (EntryItem& e : in.entries) entries.push_back(&e);
    JournalWriter writer(fs, in.folder + "\\" + kJournalFile, false);
    backUpLostEntries(fs, saPath, in.folder, entries, writer);
    writer.close();
  }
}

}  // namespace

std::string modName(FileSystem& fs) {
  const FileInfo text = fs.stat("text.cfg");
  if (text.exists && !text.isDir) {
    std::string first = readWholeFile(fs, "text.cfg");
    first = first.substr(0, first.find_first_of("\r\n"));
    if (!first.empty()) return ansiToUtf8(first);
  }
  std::string here = fs.currentDir();
  while (!here.empty() && (here.back() == '/' || here.back() == '\\')) here.pop_back();
  return baseName(here);
}

InstallJournal::InstallJournal(FileSystem& fs, std::string saPath)
    : fs_(fs), saPath_(std::move(saPath)) {}

InstallJournal::~InstallJournal() = default;

Beginning InstallJournal::begin(const std::string& scriptBytes, const std::string& mod) {
  Beginning b;
  const Digest script = sha256(scriptBytes);
  std::vector<Installation> all = loadInstallations(fs_, saPath_);
  const Installation* same = sameScript(all, script);
  secureCutShort(fs_, saPath_, all, same);
  if (same && (same->state == InstallState::Running || same->state == InstallState::Stopped)) {
    b.kind = Beginning::Kind::Resumed;
    resumed_ = true;
    b.previous = b.number = same->number;
    adopt(*same);
    std::size_t first = 1;
    while (done_.count(first)) ++first;
    writer_ = std::make_unique<JournalWriter>(fs_, folder_ + "\\" + kJournalFile, false);
    writer_->append(Record{"started", {nowUtc(), std::to_string(first)}});
    writer_->sync();
    if (!entries_.empty()) backUpAgain();
    return b;
  }
  if (same &&
      (same->state == InstallState::Complete || same->state == InstallState::Uninstalling)) {
    b.previous = same->number;
    b.undo = uninstall(fs_, saPath_, all, same->number, UninstallOptions{});
    b.kind = b.undo.refused ? Beginning::Kind::RedoneOverConflicts : Beginning::Kind::Redone;
    all = loadInstallations(fs_, saPath_);
  }
  number_ = all.empty() ? 1 : all.back().number + 1;
  b.number = number_;
  // The folder and journal are made before the first change: a run that changes nothing
  // leaves nothing behind.
  pending_ = std::make_unique<Pending>(Pending{scriptBytes, mod, nowUtc()});
  return b;
}

void InstallJournal::ensureStarted() {
  if (!pending_) return;
  const std::unique_ptr<Pending> p = std::move(pending_);
  startFolder(p->scriptBytes);
  writer_ = std::make_unique<JournalWriter>(fs_, folder_ + "\\" + kJournalFile, true);
  writer_->append(
      Record{"install", {std::to_string(number_), p->mod, toHex(sha256(p->scriptBytes)), saPath_}});
  writer_->append(Record{"started", {p->startedAt, "1"}});
  writer_->appendReady();
  writer_->sync();
  fs_.syncDir(folder_);
}

void InstallJournal::startFolder(const std::string& scriptBytes) {
  std::vector<std::string> made;
  makeDirIfMissing(fs_, ownFolder(saPath_), made);
  makeDirIfMissing(fs_, installsFolder(saPath_), made);
  folder_ = installFolder(saPath_, number_);
  fs_.makeDir(folder_);
  fs_.makeDir(folder_ + "\\" + kDeletedFolder);
  auto copy = fs_.open(folder_ + "\\" + kScriptCopy, OpenMode::Create);
  copy->write(1, scriptBytes.data(), scriptBytes.size());
  copy->sync();
  copy->close();
  // The new folders' names on the disk, each in its parent, before the journal in them counts.
  fs_.syncDir(installsFolder(saPath_));
  for (const std::string& dir : made) fs_.syncDir(parentPath(dir));
}

void InstallJournal::adopt(const Installation& in) {
  number_ = in.number;
  folder_ = in.folder;
  done_ = in.done;
  for (const FileItem& f : in.files) files_[pathKey(f.path)] = f;
  for (const FolderItem& f : in.folders) folders_.insert(pathKey(f.path));
  for (const ArchiveItem& a : in.archives) archives_[pathKey(a.path)] = a;
  for (const EntryItem& e : in.entries)
    entries_[pathKey(e.archive) + "#" + std::to_string(e.slot)] = e;
  for (const AddedItem& a : in.added) added_[pathKey(a.archive) + "#" + std::to_string(a.line)] = a;
  backupEnd_ = in.backupSize;
}

void InstallJournal::lineEnded(std::size_t line) {
  done_.insert(line);
  endedNow_.push_back(line);
}

void InstallJournal::write(const Record& r) {
  ensureStarted();
  writer_->append(r);
}

void InstallJournal::makeBackupDurable() {
  flushBackup();
  for (const std::string& dir : foldersToSync_) fs_.syncDir(dir);
  foldersToSync_.clear();
  // The run's own changes are durable now (the executor flushed them first): so are its lines.
  for (std::size_t line : endedNow_) writer_->append(Record{"done", {std::to_string(line)}});
  endedNow_.clear();
}

void InstallJournal::complete() {
  if (!writer_) return;  // it changed nothing
  makeBackupDurable();
  writer_->append(Record{"complete", {nowUtc()}});
  writer_->sync();
  writer_->close();
  if (backup_) backup_->close();
}

void InstallJournal::stopped(std::size_t line, int error, const std::string& text, bool durable) {
  if (!writer_) return;  // it changed nothing
  if (!durable) endedNow_.clear();
  makeBackupDurable();
  writer_->append(Record{"stopped", {std::to_string(line), std::to_string(error), text, nowUtc()}});
  writer_->sync();
  writer_->close();
  if (backup_) backup_->close();
}

std::string InstallJournal::checked(const std::string& field) const {
  const std::string path = normaliseGamePath(field);
  const std::string why = gamePathProblem(path);
  if (!why.empty())
    throw RuntimeError(err::kPathFileAccess,
                       "\"" + field + "\" cannot be kept in the install journal (" + why + ")");
  return path;
}

std::string InstallJournal::full(const std::string& gamePath) const {
  return underGame(saPath_, gamePath);
}

}  // namespace tamberlin::journal
