// ImgInstall: the installation as a whole, from the archive's directory to "Installation
// Complete".
#include <algorithm>
#include <optional>
#include "facade/form1_install.h"
#include "installscript/dry_run.h"

#include "platform/runtime_error.h"
#include "ui/message_box.h"
#include "ui/program_end.h"

namespace tamberlin {

void Form1Install::ImgInstall() {
  const std::string archive = saPath + "\\models\\gta3.img";
  module1.ReadIMG(archive);
  archives_.adopt(module1, archive);
  module1.SetStatus("Installing");
  module1.ListIMGEntries();
  module1.SetStatus("Installing");
  ReadINS();
  checkBeforeChanging();
  AnalyseINS();
  boxes_.show(MessageBoxRequest{"Installation Complete", kAppTitle, MsgButtons::Ok, MsgIcon::None});
  forceCloseInt = 1;
  throw ProgramEnd{0};
}

void Form1Install::checkBeforeChanging() {
  const auto total = static_cast<std::size_t>(static_cast<std::int32_t>(numNumHH));
  const std::vector<std::string> lines(insLines.begin(),
                                       insLines.begin() + std::min(total, insLines.size()));
  if (std::optional<RuntimeError> stop = checkInstallation(fs_, saPath, lines)) throw *stop;
}

}  // namespace tamberlin
