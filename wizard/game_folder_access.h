#pragma once
// What "Next >" does with a game folder this process may not change. The program asks for no
// administrator rights when it starts (its manifest says asInvoker), so a folder under Program
// Files refuses it; the folder page then starts a copy of the program with those rights (the
// system asks the user), which opens straight on the installation page, and waits for it.

#include <string>

namespace tamberlin {

class FileSystem;

/// The private option that starts the elevated copy: `--elevated-install GAME_DIR MOD_DIR`.
/// MOD_DIR becomes its current folder: Windows may start an elevated program elsewhere.
inline constexpr const char* kElevatedInstallOption = "--elevated-install";

/// The elevated copy's exit code when even it may not change the game folder: the first copy
/// then stays on the folder page. Never the exit code of the program as a whole.
constexpr int kExitNeedsAdmin = 4;

/// `arg` quoted for a Windows command line, so the C run-time's parser gives it back unchanged:
/// in quotes, backslashes before a quote (or the closing one) doubled, a quote escaped.
std::string quoteWindowsArgument(const std::string& arg);

/// The elevated copy's parameters (the command line after the program's name).
std::string elevatedParameters(const std::string& gameFolder, const std::string& modFolder);

/// How a start of the elevated copy went.
struct ElevatedRun {
  enum Outcome {
    Ended,     ///< it ran; `exitCode` is its exit code
    Declined,  ///< the user said No to the system's question
    Failed,    ///< the system could not start it; `systemError` says why
  };
  Outcome outcome = Ended;
  int exitCode = 0;
  unsigned long systemError = 0;
};

/// How this system gives a process administrator rights (Windows; there is none elsewhere).
class Elevator {
 public:
  virtual ~Elevator() = default;
  /// True when this process has them already.
  virtual bool isElevated() = 0;
  /// Starts this program again with them, with elevatedParameters() in the current folder
  /// `modFolder`, and waits for it to end. May hide the caller's window meanwhile; the caller
  /// shows it again when it goes on.
  virtual ElevatedRun runElevated(const std::string& gameFolder, const std::string& modFolder) = 0;
};

/// What "Next >" does with a folder that holds the game.
struct FolderDecision {
  enum Kind {
    Install,  ///< this process may change it: on to the installation page
    Ended,    ///< the elevated copy ran the installation: end with `exitCode`
    Refused,  ///< show `message` and stay on the folder page
  };
  Kind kind = Install;
  int exitCode = 0;
  std::string message;
};

/// Probes `gameFolder` (write_probe.h); when this process may not change it, runs the elevated
/// copy through `elevator`, unless there is none (nullptr: the message says which rights the
/// folder needs) or this process has administrator rights already.
FolderDecision decideGameFolder(FileSystem& fs, Elevator* elevator, const std::string& gameFolder,
                                const std::string& modFolder);

}  // namespace tamberlin
