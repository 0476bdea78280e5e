// ImgInstall: the installation as a whole, from the archive's directory to "Installation
// Complete".
#include "facade/form1_install.h"
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
  AnalyseINS();
  boxes_.show(MessageBoxRequest{"Installation Complete", kAppTitle, MsgButtons::Ok, MsgIcon::None});
  forceCloseInt = 1;
  throw ProgramEnd{0};
}

}  // namespace tamberlin
