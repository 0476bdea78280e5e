#pragma once
// The journal in words for a player: an installation's name and what it changed, and one undo
// step as a line. The command line prints these; a window can show the same.

#include <string>

#include "journal/installation.h"
#include "journal/uninstall.h"

namespace tamberlin::journal {

/// "installation 2 (Sunset Ramps)"; "installation 2" when the journal names no mod.
std::string installationName(const Installation& in);

/// "3 files, 1 folder, 4 archive entries (3 replaced, 1 added)".
std::string changesText(const Installation& in);

/// Who left what a conflict finds: "changed by installation 3 (Mod)", or "changed by something
/// else (the player or another tool)" when no later installation recorded it.
std::string causeText(const UndoStep& step);

/// One step as a line: "file data\x.txt: remove it (this installation made it)", with "would "
/// before the action in a dry run; "...: nothing to do (it is as it was before)"; a conflict as
/// "...: left as it is: it holds ...; changed by ...".
std::string stepText(const UndoStep& step, bool dryRun);

/// A conflict alone: "file data\x.txt: it holds ...; changed by ...".
std::string conflictText(const UndoStep& step);

}  // namespace tamberlin::journal
