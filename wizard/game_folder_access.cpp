#include "wizard/game_folder_access.h"

#include "installscript/write_probe.h"

namespace tamberlin {
namespace {

FolderDecision refuse(const std::string& folder, const std::string& why) {
  return {FolderDecision::Refused, 0, "The game folder\r" + folder + "\r" + why};
}

}  // namespace

std::string quoteWindowsArgument(const std::string& arg) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them: then each one stands for two.
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');  // before the closing quote
  return out + "\"";
}

std::string elevatedParameters(const std::string& gameFolder, const std::string& modFolder) {
  return std::string(kElevatedInstallOption) + " " + quoteWindowsArgument(gameFolder) + " " +
         quoteWindowsArgument(modFolder);
}

FolderDecision decideGameFolder(FileSystem& fs, Elevator* elevator, const std::string& gameFolder,
                                const std::string& modFolder) {
  if (probeGameFolder(fs, gameFolder) == FolderAccess::Writable) return {};
  if (!elevator)
    return refuse(gameFolder,
                  "needs write access, which this user does not have. Run the wizard as the "
                  "folder's owner or as root, or open another folder.");
  const std::string stillDenied =
      "needs administrator rights, and even with them the program may not change it. Make "
      "sure that the game is not running and that models\\gta3.img is not read-only.";
  if (elevator->isElevated()) return refuse(gameFolder, stillDenied);
  ElevatedRun run = elevator->runElevated(gameFolder, modFolder);
  switch (run.outcome) {
    case ElevatedRun::Declined:
      return refuse(gameFolder,
                    "needs administrator rights. Press \"Next >\" again and answer Yes when "
                    "Windows asks, or open another folder.");
    case ElevatedRun::Failed:
      return refuse(gameFolder,
                    "needs administrator rights, and the program could not be started with them "
                    "(system error " +
                        std::to_string(run.systemError) + ").");
    case ElevatedRun::Ended:
      break;
  }
  if (run.exitCode == kExitNeedsAdmin) return refuse(gameFolder, stillDenied);
  return {FolderDecision::Ended, run.exitCode, {}};
}

}  // namespace tamberlin
