// The program without a subcommand: the install wizard in the current folder, or, with
// --screenshot, one of its pages rendered to a picture for documentation and tests. The
// wizard's elevated copy (wizard/game_folder_access.h) starts here too, with its private option.
#include <string>
#include <vector>

#include "app/command.h"
#include "platform/text_writer.h"
#if HAVE_TAMBERLIN_GUI
#include "gui/gui.h"
#include "wizard/game_folder_access.h"
#endif

namespace tamberlin {
namespace {

int wizardCommand(const std::vector<std::string>& args) {
#if HAVE_TAMBERLIN_GUI
  if (args.empty()) return runWizard();
  if (args.size() == 3 && args[0] == "--screenshot") return renderWizardPage(args[1], args[2]);
  if (args.size() == 3 && args[0] == kElevatedInstallOption)
    return runWizard(WizardStart{args[1], args[2]});
  standardErr()
      << "usage: tamberlin                                the install wizard\n"
         "       tamberlin --screenshot PAGE OUT.png      PAGE: welcome, folder or install\n";
  return 2;
#else
  (void)args;
  standardErr() << "tamberlin: this build has no window; run 'tamberlin install GAME_DIR' in the "
                   "mod's folder\n";
  return 1;
#endif
}

const DefaultCommandRegistration registration(wizardCommand);

}  // namespace
}  // namespace tamberlin
