#pragma once
// Taking one installation back, from its journal: archive entries first (added ones removed,
// replaced ones given their old record or their old data), then files (old bytes put back, new
// files removed, deleted files moved back), then the folders it made, once empty. Each item is
// undone only where the game still holds a state this installation left; one holding its state
// from before is already undone; anything else is a conflict. Running it again after it was
// interrupted finishes it.

#include <cstddef>
#include <string>
#include <vector>

#include "journal/installation.h"

namespace tamberlin {
class FileSystem;
}

namespace tamberlin::journal {

enum class StepStatus { Undo, NothingToDo, Conflict };

struct UndoStep {
  std::string what;    ///< "file data\mymod\readme.txt", "entry \"car.dff\" of models\gta3.img"
  std::string action;  ///< what undoing it does ("remove it", "put its old bytes back")
  StepStatus status = StepStatus::NothingToDo;
  std::string conflict;   ///< for a conflict: what is there instead
  unsigned causedBy = 0;  ///< a later installation that left what is there, 0 when unknown
  std::string causedByMod;
};

struct UninstallOptions {
  bool force = false;   ///< undo what has no conflict, leave the conflicting items
  bool dryRun = false;  ///< only say what would be done
};

struct UninstallReport {
  unsigned number = 0;
  std::vector<UndoStep> steps;  ///< in the order they are (or would be) undone
  std::size_t conflicts = 0;
  std::size_t undone = 0;  ///< steps undone (or that would be, in a dry run)
  bool refused = false;    ///< conflicts and no force: nothing was changed
  bool finished = false;   ///< the installation is now uninstalled
};

/// Uninstalls installation `number` of the game folder `saPath`; `all` are the game's
/// installations (for the conflicts' causes). Without force, any conflict leaves everything as
/// it is. Throws RuntimeError when a file cannot be read or changed (what was undone before it
/// stays undone; running it again goes on), and error 5 for an installation that is damaged.
UninstallReport uninstall(FileSystem& fs, const std::string& saPath,
                          const std::vector<Installation>& all, unsigned number,
                          const UninstallOptions& options);

/// The newest installation that is still installed (running, stopped, complete or interrupted in
/// its uninstall); 0 when there is none.
unsigned newestInstalled(const std::vector<Installation>& all);

}  // namespace tamberlin::journal
