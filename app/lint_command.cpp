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

int lintCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  if (!takeCodePageOption(args, "lint", standardErr())) return 2;
  if (args.size() > 1 || (!args.empty() && args[0].rfind("-", 0) == 0)) {
    standardErr()
        << "usage: tamberlin lint [MOD_DIR] [--codepage N]\n"
           "  Checks MOD_DIR/ins.cfg (default: the current folder) and reports each line's\n"
           "  meaning and its problems. Exit 1 when it finds an error.\n"
        << kCodePageUsage;
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
