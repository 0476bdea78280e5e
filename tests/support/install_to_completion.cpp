#include "support/install_to_completion.h"

#include "facade/form1_install.h"
#include "platform/runtime_error.h"
#include "support/fake_ui.h"
#include "ui/program_end.h"

namespace tamberlin::test {

void installToCompletion(FileSystem& fs, const std::string& game) {
  RecordingStatus status;
  ScriptedBoxes boxes;
  InstallWindow window;
  Form1Install form(fs, boxes, status, window);
  form.saPath = game;
  try {
    form.ImgInstall();
  } catch (const ProgramEnd& end) {
    if (end.exitCode == 0 && form.forceCloseInt == 1) return;
    throw RuntimeError(err::kInvalidCall, "the installation ended with code " +
                                              std::to_string(end.exitCode) + " after \"" +
                                              (boxes.shown.empty() ? "" : boxes.shown.back().text) +
                                              "\"");
  }
}

}  // namespace tamberlin::test
