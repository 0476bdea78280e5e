#include "app/rights_advice.h"

#include "installscript/write_probe.h"
#include "platform/elevation.h"
#include "platform/text_writer.h"

namespace tamberlin {

void adviseOnRights(FileSystem& fs, const std::string& saPath) {
  if (processIsElevated() || probeGameFolder(fs, saPath) != FolderAccess::Denied) return;
#ifdef _WIN32
  standardErr() << "  The game folder needs administrator rights: run the command prompt as "
                   "administrator (right-click it, \"Run as administrator\") and this command "
                   "again.\n";
#else
  standardErr() << "  The game folder needs write access: run this command as the folder's "
                   "owner or as root.\n";
#endif
}

}  // namespace tamberlin
