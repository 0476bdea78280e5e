// The program without a subcommand: the install wizard in the current folder, or, with
// --screenshot, one of its pages rendered to a picture for documentation and tests.
//
// On Linux the window lives in a program of its own beside this one (tamberlin-wizard, which
// links Qt), so the command line loads no GUI library; this process becomes that program through
// exec, which keeps its id, exit code, standard streams and current folder. On Windows the
// window is in this exe, and the wizard's elevated copy
// (wizard/game_folder_access.h) starts here too, with its private option.
#include <string>
#include <vector>

#include "app/command.h"
#include "platform/text_writer.h"
#if HAVE_TAMBERLIN_GUI
#include "gui/gui.h"
#include "wizard/game_folder_access.h"
#elif defined(TAMBERLIN_WIZARD_PROGRAM)
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#endif

namespace tamberlin {
namespace {

#if !HAVE_TAMBERLIN_GUI && defined(TAMBERLIN_WIZARD_PROGRAM)
/// Replaces this process with the wizard's program from this program's folder; returns only
/// when that fails, with exit code 1 after saying why.
int execWizardProgram(const std::vector<std::string>& args) {
  char self[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string program = TAMBERLIN_WIZARD_PROGRAM;
  if (n > 0) {
    std::string dir(self, static_cast<std::size_t>(n));
    program = dir.substr(0, dir.rfind('/') + 1) + program;
  }
  std::vector<char*> argv{program.data()};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  standardOut().flush();
  if (n > 0) ::execv(program.c_str(), argv.data());
  const char* why = n > 0 ? std::strerror(errno) : "this program's own path is unknown";
  standardErr() << "tamberlin: the wizard's window is missing: cannot start " << program << " ("
                << why
                << ").\nRun 'tamberlin install GAME_DIR' in the mod's folder to install "
                   "without a window.\n";
  return 1;
}
#endif

int wizardCommand(const std::vector<std::string>& args) {
  bool known = args.empty() || (args.size() == 3 && args[0] == "--screenshot");
#if HAVE_TAMBERLIN_GUI
  known = known || (args.size() == 3 && args[0] == kElevatedInstallOption);
#endif
  if (!known) {
    standardErr()
        << "usage: tamberlin                                the install wizard\n"
           "       tamberlin --screenshot PAGE OUT.png      PAGE: welcome, folder or install\n";
    return 2;
  }
#if HAVE_TAMBERLIN_GUI
  if (args.empty()) return runWizard();
  if (args[0] == "--screenshot") return renderWizardPage(args[1], args[2]);
  return runWizard(WizardStart{args[1], args[2]});
#elif defined(TAMBERLIN_WIZARD_PROGRAM)
  return execWizardProgram(args);
#else
  standardErr() << "tamberlin: this build has no window; run 'tamberlin install GAME_DIR' in the "
                   "mod's folder\n";
  return 1;
#endif
}

const DefaultCommandRegistration registration(wizardCommand);

}  // namespace
}  // namespace tamberlin
