#include "installscript/write_probe.h"

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

}  // namespace tamberlin
