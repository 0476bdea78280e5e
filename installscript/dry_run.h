#pragma once
// The dry run of an installation: what each line of "ins.cfg" would do to the game folder,
// checked against the folder as it is and as the earlier lines would leave it, with nothing
// written anywhere (not even the scratch file).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace tamberlin {

class FileSystem;
class TextWriter;

struct DryRunSummary {
  std::size_t lines = 0;     ///< lines of the script
  std::size_t commands = 0;  ///< lines that are commands
  std::size_t problems = 0;  ///< things that would end the installation with an error
};

/// Reads "ins.cfg" from the current folder and tells `out`, one entry per line, what the
/// installation into `saPath` would do: the files copied (new or replacing), deleted and made,
/// the archive entries replaced or added. It checks that sources exist, that destination
/// folders exist (or an earlier line makes them), that game paths stay in the game folder and
/// that replaced entry names are in their archives (or an earlier line adds them).
DryRunSummary dryRunInstall(FileSystem& fs, const std::string& saPath, TextWriter& out);

/// The check an installation makes before its first change: `lines` planned as the dry run
/// plans them. Gives the error the installation would stop with at the first line that would
/// end it, as that line would give it; none when no line foreseeably would. What cannot be
/// foreseen (a full disk, a file held open, an engine's Yes/No box) is left to its time.
std::optional<RuntimeError> checkInstallation(FileSystem& fs, const std::string& saPath,
                                              const std::vector<std::string>& lines);

}  // namespace tamberlin
