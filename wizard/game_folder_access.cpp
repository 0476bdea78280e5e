#include "wizard/game_folder_access.h"

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

/// True when `attempt` ran into error 70; any other failure is not this probe's business.
template <typename Attempt>
bool refused(Attempt attempt) {
  try {
    attempt();
  } catch (const RuntimeError& e) {
    return e.number() == err::kPermissionDenied;
  }
  return false;
}

std::string needsAdmin(const std::string& folder, const std::string& advice) {
  return "The game folder\r" + folder + "\rneeds administrator rights" + advice;
}

FolderDecision refuse(std::string message) {
  return {FolderDecision::Refused, 0, std::move(message)};
}

FolderDecision stillDenied(const std::string& folder) {
  return refuse(needsAdmin(folder,
                           ", and even with them the program may not change it. Make sure that "
                           "the game is not running and that models\\gta3.img is not read-only."));
}

}  // namespace

FolderAccess probeGameFolder(FileSystem& fs, const std::string& gameFolder) {
  const std::string archive = joinPath(joinPath(gameFolder, "models"), "gta3.img");
  if (refused([&] { fs.open(archive, OpenMode::ReadWriteExisting)->close(); }))
    return FolderAccess::Denied;
  const std::string probe = joinPath(gameFolder, kProbeFileName);
  if (refused([&] {
        fs.open(probe, OpenMode::Create)->close();
        fs.removeFile(probe);
      }))
    return FolderAccess::Denied;
  return FolderAccess::Writable;
}

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
    return refuse("The game folder\r" + gameFolder +
                  "\rneeds write access, which this user does not have. Run the wizard as the "
                  "folder's owner or as root, or open another folder.");
  if (elevator->isElevated()) return stillDenied(gameFolder);
  ElevatedRun run = elevator->runElevated(gameFolder, modFolder);
  if (!run.started)
    return refuse(needsAdmin(gameFolder,
                             ". Press \"Next >\" again and let the program make changes when "
                             "Windows asks, or open another folder."));
  if (run.exitCode == kExitNeedsAdmin) return stillDenied(gameFolder);
  return {FolderDecision::Ended, run.exitCode, {}};
}

}  // namespace tamberlin
