// tamberlin-wizard: the Linux wizard's window, a program of its own so that only the wizard
// loads Qt. tamberlin checks the arguments and execs this with them: none (the wizard in the
// current folder) or --screenshot PAGE OUT.png.
#include <cstdio>
#include <string>

#include "gui/gui.h"

int main(int argc, char** argv) {
  if (argc == 1) return tamberlin::runWizard();
  if (argc == 4 && std::string(argv[1]) == "--screenshot")
    return tamberlin::renderWizardPage(argv[2], argv[3]);
  std::fprintf(stderr, "tamberlin-wizard: started by tamberlin; run 'tamberlin --help'\n");
  return 2;
}
