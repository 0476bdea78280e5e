#pragma once
// May this process change the game folder, and if not, can it get the rights? The game usually
// lies under Program Files, which a user without administrator rights may read but not change.
// The program asks for no rights when it starts (its manifest says asInvoker); when "Next >"
// accepts a folder it cannot change, it starts a copy of itself with administrator rights that
// runs the installation, and waits for it.

#include <string>

namespace tamberlin {

class FileSystem;

enum class FolderAccess {
  Writable,  ///< the installation may change the folder (as far as a probe can tell)
  Denied,    ///< error 70: this user may not change it
};

/// Probes the game folder without changing it: opens `models\gta3.img` for writing, then makes
/// and removes an empty probe file in the folder. Only error 70 (Permission denied) is a denial;
/// a missing archive or any other failure is left to the installation, which reports it where
/// it happens.
FolderAccess probeGameFolder(FileSystem& fs, const std::string& gameFolder);

/// The probe file's name. One fixed name, so a probe file left by a crash is reused and removed.
inline const char* const kProbeFileName = "~tamberlin-write-probe.tmp";

/// The private option that starts the elevated copy: `--elevated-install GAME_DIR MOD_DIR`.
/// MOD_DIR becomes its current folder (Windows may start an elevated program elsewhere).
inline const char* const kElevatedInstallOption = "--elevated-install";

/// The elevated copy's exit code when even it may not change the game folder: the first copy
/// then stays on the folder page. Never the exit code of the program as a whole.
constexpr int kExitNeedsAdmin = 4;

/// The parameters of the elevated copy's command line, each quoted so the C run-time's parser
/// gives them back unchanged (backslashes before a quote doubled).
std::string elevatedParameters(const std::string& gameFolder, const std::string& modFolder);

/// `arg` quoted for a Windows command line.
std::string quoteWindowsArgument(const std::string& arg);

struct ElevatedRun {
  bool started = false;  ///< false when the user declined the system's question, or it failed
  int exitCode = 0;      ///< the copy's exit code, once it has ended
};

/// How this system gives a process administrator rights (Windows; none elsewhere).
class Elevator {
 public:
  virtual ~Elevator() = default;
  virtual bool isElevated() = 0;
  /// Starts this program again with administrator rights (the system asks the user) as the
  /// elevated copy on `gameFolder`, in the current folder `modFolder`, and waits for it to end.
  /// The caller's window may be hidden meanwhile; the caller shows it again if it goes on.
  virtual ElevatedRun runElevated(const std::string& gameFolder, const std::string& modFolder) = 0;
};

/// What "Next >" does with a folder that holds the game.
struct FolderDecision {
  enum Kind {
    Install,  ///< go to the installation page
    Ended,    ///< the elevated copy ran; end with `exitCode`
    Refused,  ///< show `message` and stay on the folder page
  };
  Kind kind = Install;
  int exitCode = 0;
  std::string message;
};

/// Probes `gameFolder`; when it is denied, runs the elevated copy through `elevator` unless
/// there is none (nullptr) or this process is elevated already.
FolderDecision decideGameFolder(FileSystem& fs, Elevator* elevator, const std::string& gameFolder,
                                const std::string& modFolder);

}  // namespace tamberlin
