// tamberlin lint [MOD_DIR] [--codepage N]: checks a mod's "ins.cfg" for its author, without a game
// folder.
#include <string>
#include <vector>

#include "app/code_page_option.h"
#include "app/command.h"
#include "installscript/lint.h"
#include "platform/file_system.h"
#include "platform/text_writer.h"

namespace tamberlin {
namespace {

const char kUsage[] =
    "usage: tamberlin lint [MOD_DIR] [--codepage N] [--help]\n"
    "  Checks the mod in MOD_DIR (default: the current folder) as the wizard will load it:\n"
    "  ins.cfg line by line, text.cfg and image.jpg. Exit 1 when it finds an error.\n";

int lintCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    standardOut() << kUsage << kCodePageUsage;
    return 0;
  }
  if (!takeCodePageOption(args, "lint", standardErr())) return 2;
  if (args.size() > 1 || (!args.empty() && args[0].rfind("-", 0) == 0)) {
    standardErr() << kUsage << kCodePageUsage;
    return 2;
  }
  const std::string modDir = args.empty() ? "." : args[0];
  LintReport report = lintModFolder(realFileSystem(), modDir);
  printLint(report, standardOut());
  return report.errors == 0 ? 0 : 1;
}

const CommandRegistration kLint("lint", "[MOD_DIR]  check a mod's ins.cfg for its author",
                                lintCommand);

}  // namespace
}  // namespace tamberlin
