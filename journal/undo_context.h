#pragma once
// What the steps of one uninstall share: the game, the installation, the archives it changes
// (each read once and changed only through its own ImgArchive), the journal it appends to.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imgarchive/img_archive.h"
#include "journal/installation.h"
#include "journal/journal_writer.h"
#include "journal/uninstall.h"

namespace tamberlin::journal {

struct UndoContext {
  UndoContext(FileSystem& f, std::string game, const Installation& i,
              const std::vector<Installation>& a)
      : fs(f), saPath(std::move(game)), in(i), all(a) {}

  FileSystem& fs;
  std::string saPath;
  const Installation& in;
  const std::vector<Installation>& all;
  bool dryRun = false;
  JournalWriter* journal = nullptr;      ///< null in a dry run
  std::set<std::string> touchedFolders;  ///< to flush before "uninstalled"
  std::map<std::string, std::unique_ptr<ImgArchive>> archives;

  std::string full(const std::string& gamePath) const;
  std::string backupPath() const;
  std::string deletedPath(const std::string& name) const;
  /// The archive at game path `path`, read now the first time; null when it is not there.
  ImgArchive* archive(const std::string& path);
  /// Later installations, newest first.
  std::vector<const Installation*> later() const;
};

// One function pair per kind of item: assess says what undoing it would do now; undo assesses
// again and acts (nothing in a dry run). Both return the step.
UndoStep assessFile(UndoContext& cx, const FileItem& f);
UndoStep undoFile(UndoContext& cx, const FileItem& f);
/// `gone` holds the keys (pathKey) of the game paths that the steps before it leave absent: the
/// files it removes or finds removed, the folders inside it that it removes first.
UndoStep assessFolder(UndoContext& cx, const FolderItem& f, const std::set<std::string>& gone);
UndoStep undoFolder(UndoContext& cx, const FolderItem& f);
UndoStep assessEntry(UndoContext& cx, const EntryItem& e);
UndoStep undoEntry(UndoContext& cx, const EntryItem& e);
UndoStep assessAdded(UndoContext& cx, const AddedItem& a);
UndoStep undoAdded(UndoContext& cx, const AddedItem& a);
/// Finishes a close-up an interrupted uninstall began; false when there was nothing to finish.
bool finishClosing(UndoContext& cx, const Closing& c);
/// After the entries of `a` were undone: the dead tail cut off, an archive the installation made
/// removed once it has no entries.
void tidyArchive(UndoContext& cx, const ArchiveItem& a);

}  // namespace tamberlin::journal
