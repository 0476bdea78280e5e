// The records before each change. Each one is flushed before the change it describes; one that
// only adds a state to an item already recorded is flushed all the same (the change depends on
// it), but a line that changes nothing writes nothing.
#include <algorithm>

#include "imgarchive/codec.h"
#include "installscript/file_commands.h"
#include "journal/backup_again.h"
#include "journal/backup_move.h"
#include "journal/game_path.h"
#include "journal/hex.h"
#include "journal/install_journal.h"
#include "journal/journal_writer.h"
#include "journal/layout.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin::journal {
namespace {

template <class T>
bool addState(std::vector<T>& states, const T& s) {
  if (std::find(states.begin(), states.end(), s) != states.end()) return false;
  states.push_back(s);
  return true;
}

std::string backupField(const Backup& b) {
  if (b.kind == Backup::Kind::Deleted) return "deleted:" + b.name;
  if (b.kind == Backup::Kind::Dat) return "dat:" + std::to_string(b.offset);
  return "-";
}

/// The data `bytes` bytes long at entry `e` of the archive at `path`, as a data state.
DataState dataAt(FileSystem& fs, const std::string& path, const IMGEntry& e, std::int64_t bytes) {
  auto file = fs.open(path, OpenMode::Read);
  return DataState{hashAndCopy(*file, std::int64_t{e.offset} * sector + 1, bytes, nullptr, 0),
                   bytes};
}

}  // namespace

std::string InstallJournal::deletedName(const std::string& name) {
  const std::string dir = folder_ + "\\" + kDeletedFolder + "\\";
  for (unsigned n = 1;; ++n) {
    std::string candidate = "L" + std::to_string(line_) + "-" + std::to_string(n) + "-" + name;
    if (!fs_.stat(dir + candidate).exists) return candidate;
  }
}

void InstallJournal::fileRecord(const FileItem& f, const std::string& backup,
                                const FileState& own) {
  write(Record{"file", {f.path, formatFileState(f.pre), backup, formatFileState(own)}});
}

void InstallJournal::moveAway(FileItem& f, const std::string& path) {
  f.backup.kind = Backup::Kind::Deleted;
  f.backup.name = deletedName(baseName(path));
  addState(f.own, FileState{});
  fileRecord(f, backupField(f.backup), FileState{});
}

BinaryFile& InstallJournal::backupFile() {
  if (!backup_) {
    const std::string path = folder_ + "\\" + kBackupFile;
    backupNamed_ = fs_.stat(path).exists;
    backup_ = fs_.open(path, backupNamed_ ? OpenMode::ReadWriteExisting : OpenMode::Create);
    backupEnd_ = backup_->length();
  }
  backupDirty_ = true;
  return *backup_;
}

void InstallJournal::flushBackup() {
  if (!backupDirty_) return;
  backup_->sync();
  // The first time, its name too: the records flushed next point into it.
  if (!backupNamed_) fs_.syncDir(folder_);
  backupNamed_ = true;
  backupDirty_ = false;
}

void InstallJournal::beforeCopyRename(const std::string& field, const std::string& dest,
                                      const std::string& part) {
  const std::string path = checked(field);
  ensureStarted();
  const FileState now = currentFileState(fs_, dest);
  const FileState written = currentFileState(fs_, part);
  auto [it, fresh] = files_.emplace(pathKey(path), FileItem{path, now, {}, {}});
  FileItem& f = it->second;
  // The file from before is still there (a resumed run may find its rename never happened).
  const bool keepOld = f.pre.present && now == f.pre;
  if (keepOld) f.backup = Backup{Backup::Kind::Deleted, 0, deletedName(baseName(dest))};
  if (addState(f.own, written) || fresh || keepOld)
    fileRecord(f, keepOld ? backupField(f.backup) : "-", written);
  writer_->sync();
  if (!keepOld) return;
  const std::string deleted = folder_ + "\\" + kDeletedFolder;
  // The old file keeps a second name in the backup, on the disk before the new file takes its
  // place in one rename: the game's file is the old one or the new one at every moment.
  fs_.linkOrCopy(dest, deleted + "\\" + f.backup.name);
  fs_.syncDir(deleted);
}

void InstallJournal::removeFiles(const std::string& field, const std::vector<std::string>& files) {
  if (files.empty()) return;
  ensureStarted();
  const std::string pattern = normaliseGamePath(field);
  const std::size_t cut = pattern.rfind('\\');
  const std::string dir = cut == std::string::npos ? "" : pattern.substr(0, cut);
  struct Step {
    std::string from, to;
  };
  std::vector<Step> steps;
  for (const std::string& file : files) {
    const std::string path = checked(dir.empty() ? baseName(file) : dir + "\\" + baseName(file));
    const FileState now = currentFileState(fs_, file);
    auto [it, fresh] = files_.emplace(pathKey(path), FileItem{path, now, {}, {}});
    FileItem& f = it->second;
    if (f.pre.present && now == f.pre) {
      moveAway(f, file);
      steps.push_back({file, folder_ + "\\" + kDeletedFolder + "\\" + f.backup.name});
    } else {
      if (addState(f.own, FileState{}) || fresh) fileRecord(f, "-", FileState{});
      steps.push_back({file, ""});
    }
  }
  if (steps.empty()) return;
  writer_->sync();
  for (const Step& s : steps) {
    if (s.to.empty()) {
      fs_.removeFile(s.from);
    } else {
      moveIntoBackup(fs_, s.from, s.to);
      const std::string from = parentPath(s.from);
      foldersToSync_.insert(from.empty() ? "." : from);
      foldersToSync_.insert(parentPath(s.to));
    }
  }
}

bool InstallJournal::makeFolder(const std::string& field, const std::string& path) {
  const FileInfo info = fs_.stat(path);
  if (!info.exists) {
    const std::string gp = checked(field);
    if (folders_.insert(pathKey(gp)).second) {
      write(Record{"folder", {gp}});
      writer_->sync();
    }
  }
  return tamberlin::makeFolder(fs_, path);
}

void InstallJournal::namingArchive(const std::string& field, const std::string& path) {
  const std::string gp = checked(field);
  const std::string key = pathKey(gp);
  if (archives_.count(key)) return;
  // The archive line writes its new data before its hook is called: the journal that covers it
  // is on the disk first.
  ensureStarted();
  ArchiveItem a;
  a.path = gp;
  const FileInfo info = fs_.stat(path);
  if (info.exists && !info.isDir) {
    a.existed = true;
    auto file = fs_.open(path, OpenMode::Read);
    a.length = file->length();
    unsigned char head[kHeaderSize] = {};
    if (file->read(1, head, sizeof head) == sizeof head)
      a.count = static_cast<std::int32_t>(head[4] | head[5] << 8 | head[6] << 16 |
                                          std::uint32_t{head[7]} << 24);
    if (a.count < 0) a.count = 0;
  }
  archives_[key] = a;
  const Record r{
      "archive",
      {gp, a.existed ? std::to_string(a.count) + ":" + std::to_string(a.length) : "absent"}};
  write(r);
  // An add makes a missing archive: that it was missing is on the disk first.
  if (!a.existed) writer_->sync();
}

void InstallJournal::entryReplaced(const std::string& archive, ImgArchive& a, std::int32_t slot,
                                   const DataState& own) {
  const std::string key = pathKey(archive);
  // An entry this installation added: its record gains the new data. One past the count it saw
  // that it did not add (another installation's, made while this one was stopped) is backed up
  // as any entry that was there before.
  if (slot > archives_[key].count) {
    for (auto& [k, added] : added_) {
      if (pathKey(added.archive) != key || added.slot != slot) continue;
      if (addState(added.own, own))
        write(Record{"added",
                     {added.archive, std::to_string(added.line), std::to_string(slot),
                      hexOf(added.name.data(), added.name.size()), formatDataState(own)}});
      return writer_->sync();
    }
  }
  auto [it, fresh] = entries_.emplace(key + "#" + std::to_string(slot), EntryItem{});
  EntryItem& e = it->second;
  if (fresh) {
    e.archive = archive;
    e.slot = slot;
    e.record = a.rawRecord(slot);
    const IMGEntry& old = a.table()[static_cast<std::size_t>(slot)];
    const std::int64_t bytes = std::int64_t{old.size} * sector;
    auto file = fs_.open(a.path(), OpenMode::Read);
    BinaryFile& dat = backupFile();
    e.backupOffset = backupEnd_;
    e.preHash = hashAndCopy(*file, std::int64_t{old.offset} * sector + 1, bytes, &dat,
                            backupEnd_ + 1, bytes);
    backupEnd_ += bytes;
  }
  if (addState(e.own, own) || fresh)
    write(Record{"entry",
                 {archive, std::to_string(slot), hexOf(e.record.data(), e.record.size()),
                  toHex(e.preHash), std::to_string(e.backupOffset), formatDataState(own)}});
  // The old data stays in its sectors: replaced data goes to the archive's end. Only a later
  // add may write over the sectors this frees, and beforeAdd() flushes the backup first. Until
  // then an uninstall finds the old data in place (it checks the backup's hash before using it).
  writer_->sync();
}

void InstallJournal::beforeAdd() {
  flushBackup();
}

void InstallJournal::backUpAgain() {
  std::vector<EntryItem*> all;
  for (auto& [key, e] : entries_) all.push_back(&e);
  if (backUpLostEntries(fs_, saPath_, folder_, all, *writer_) > 0)
    backupEnd_ = fs_.stat(folder_ + "\\" + kBackupFile).size;
}

ImgArchive::BeforeVisible InstallJournal::replaceHook(const std::string& field, ImgArchive& a) {
  const std::string archive = checked(field);
  return [this, archive, &a](std::int32_t slot, const IMGEntry& entry, std::int64_t bytes) {
    ensureStarted();  // the backup goes into its folder
    entryReplaced(archive, a, slot, dataAt(fs_, a.path(), entry, bytes));
  };
}

ImgArchive::BeforeVisible InstallJournal::addHook(const std::string& field, ImgArchive& a) {
  const std::string archive = checked(field);
  return [this, archive, &a](std::int32_t slot, const IMGEntry& entry, std::int64_t bytes) {
    AddedItem item;
    item.archive = archive;
    item.line = line_;
    item.slot = slot;
    item.name = entry.fileName;
    item.own.push_back(dataAt(fs_, a.path(), entry, bytes));
    write(Record{"added",
                 {archive, std::to_string(line_), std::to_string(slot),
                  hexOf(item.name.data(), item.name.size()), formatDataState(item.own[0])}});
    writer_->sync();
    AddedItem& known = added_[pathKey(archive) + "#" + std::to_string(line_)];
    if (known.own.empty()) {
      known = item;
    } else {
      known.slot = slot;
      addState(known.own, item.own[0]);
    }
  };
}

bool InstallJournal::addAlreadyMade(const std::string& field, ImgArchive& a) {
  auto it = added_.find(pathKey(checked(field)) + "#" + std::to_string(line_));
  if (it == added_.end()) return false;
  const AddedItem& item = it->second;
  if (item.slot < 1 || item.slot > a.count()) return false;
  const IMGEntry& e = a.table()[static_cast<std::size_t>(item.slot)];
  if (e.fileName != item.name) return false;
  // Its data as added, or as a later REPINIMG line of this installation gave it.
  auto file = fs_.open(a.path(), OpenMode::Read);
  for (const DataState& d : item.own)
    if (entryHolds(*file, e, d)) return true;
  return false;
}

bool InstallJournal::replaceAlreadyMade(const std::string& field, ImgArchive& a, std::int32_t slot,
                                        const std::string& source) {
  // Only a resumed run passes over a line: a fresh one does each line as it stands.
  if (!resumed_ || slot < 1 || slot > a.count()) return false;
  const std::string key = pathKey(checked(field));
  const std::vector<DataState>* own = nullptr;
  auto e = entries_.find(key + "#" + std::to_string(slot));
  if (e != entries_.end()) own = &e->second.own;
  for (const auto& [k, added] : added_)
    if (!own && pathKey(added.archive) == key && added.slot == slot) own = &added.own;
  if (!own) return false;
  const FileState src = currentFileState(fs_, source);
  const DataState wanted{src.hash, src.size};
  if (!src.present || std::find(own->begin(), own->end(), wanted) == own->end()) return false;
  auto file = fs_.open(a.path(), OpenMode::Read);
  return entryHolds(*file, a.table()[static_cast<std::size_t>(slot)], wanted);
}

}  // namespace tamberlin::journal
