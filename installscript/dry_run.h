#pragma once
// The dry run of an installation: what each line of "ins.cfg" would do to the game folder,
// checked against the folder as it is and as the earlier lines would leave it, with nothing
// written anywhere (not even the scratch file).

#include <cstddef>
#include <string>

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

}  // namespace tamberlin
