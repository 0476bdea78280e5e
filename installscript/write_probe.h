#pragma once
// May this process change the game folder? The game usually lies under Program Files, which a
// user without administrator rights may read but not change; the program finds that out
// before it changes anything, instead of at its first write.

#include <string>

namespace tamberlin {

class FileSystem;

enum class FolderAccess {
  Writable,  ///< the installation may change the folder, as far as a probe can tell
  Denied,    ///< error 70: this process may not change it
};

/// The probe file's name. One fixed name, so a probe file that a crash left behind is reused
/// and removed by the next probe.
inline constexpr const char* kProbeFileName = "~tamberlin-write-probe.tmp";

/// Probes `gameFolder` without changing it: opens `models\gta3.img` for writing (and writes
/// nothing), then makes and removes an empty probe file in the folder. Only error 70
/// (Permission denied) is a denial: a missing archive or any other failure is left to the
/// installation, which reports it where it happens.
FolderAccess probeGameFolder(FileSystem& fs, const std::string& gameFolder);

}  // namespace tamberlin
