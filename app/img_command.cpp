// tamberlin img: the archive engine on the command line, for mod authors and players.
#include <exception>
#include <string>
#include <vector>

#include "app/code_page_option.h"
#include "app/command.h"
#include "app/console_boxes.h"
#include "app/img_actions.h"
#include "app/img_rebuild.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"

namespace tamberlin {
namespace {

const char* const kUsage =
    "usage: tamberlin img list ARCHIVE\n"
    "       tamberlin img add ARCHIVE FILE [NAME]\n"
    "       tamberlin img replace ARCHIVE NAME FILE\n"
    "       tamberlin img extract ARCHIVE NAME OUT\n"
    "       tamberlin img check ARCHIVE\n"
    "       tamberlin img rebuild ARCHIVE\n"
    "\n"
    "  list      one line per entry: index, offset and size in sectors, name\n"
    "  add       adds FILE as a new entry, named NAME or after FILE\n"
    "  replace   gives entry NAME (exact, letter case counting) the bytes of FILE\n"
    "  extract   writes entry NAME's bytes to OUT\n"
    "  check     structural errors (exit 1) and what the game will not load well (warnings)\n"
    "  rebuild   writes ARCHIVE anew: same entries in the same order, data in directory order\n"
    "            without holes; replaces it only when the new one is complete on disk\n"
    "\n"
    "options:\n";

const char* const kOptions =
    "  -v, --verbose        show copy progress\n"
    "  --continue-on-error  accepted for older scripts; a failed operation always leaves the\n"
    "                       archive as it was and the command exits 1\n";

const char* const kTail =
    "  --help, --version\n"
    "exit: 0 done, 1 failed, 2 usage error\n";

struct Parsed {
  std::vector<std::string> words;  ///< the action and its operands
  bool continueOnError = false;
  bool verbose = false;
  bool help = false;
  bool version = false;
  std::string bad;  ///< an unknown option
};

Parsed parse(const std::vector<std::string>& args) {
  Parsed p;
  bool options = true;
  for (const std::string& a : args) {
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--continue-on-error") {
      p.continueOnError = true;
    } else if (options && (a == "-v" || a == "--verbose")) {
      p.verbose = true;
    } else if (options && (a == "--help" || a == "-h")) {
      p.help = true;
    } else if (options && a == "--version") {
      p.version = true;
    } else if (options && a.size() > 1 && a[0] == '-') {
      if (p.bad.empty()) p.bad = a;
    } else {
      p.words.push_back(a);
    }
  }
  return p;
}

std::string usage() {
  return std::string(kUsage) + kOptions + kCodePageUsage + kTail;
}

int usageError(const std::string& why) {
  standardErr() << "tamberlin img: " << why << "\n" << usage();
  return 2;
}

/// Runs the action `w[0]` on its operands; -1 when the words are not a valid command.
int dispatch(ImgContext& c, const std::vector<std::string>& w) {
  const std::string& a = w[0];
  std::size_t n = w.size() - 1;
  if (a == "list" && n == 1) return imgList(c, w[1]);
  if (a == "add" && (n == 2 || n == 3)) return imgAdd(c, w[1], w[2], n == 3 ? w[3] : "");
  if (a == "replace" && n == 3) return imgReplace(c, w[1], w[2], w[3]);
  if (a == "extract" && n == 3) return imgExtract(c, w[1], w[2], w[3]);
  if (a == "check" && n == 1) return imgCheck(c, w[1]);
  if (a == "rebuild" && n == 1) return imgRebuild(c, w[1]);
  return -1;
}

bool knownAction(const std::string& a) {
  return a == "list" || a == "add" || a == "replace" || a == "extract" || a == "check" ||
         a == "rebuild";
}

int imgCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  if (!takeCodePageOption(args, "img", standardErr())) return 2;
  Parsed p = parse(args);
  if (p.help) {
    standardOut() << usage();
    return 0;
  }
  if (p.version) {
    standardOut() << "tamberlin " << TAMBERLIN_VERSION << "\n";
    return 0;
  }
  if (!p.bad.empty()) return usageError("unknown option '" + p.bad + "'");
  if (p.words.empty()) return usageError("which action?");
  if (!knownAction(p.words[0])) return usageError("unknown action '" + p.words[0] + "'");

  ConsoleStatus status(standardErr(), p.verbose);
  ImgContext c{realFileSystem(), status, standardOut(), standardErr()};
  try {
    int code = dispatch(c, p.words);
    if (code < 0) return usageError("wrong number of operands for '" + p.words[0] + "'");
    return code;
  } catch (const RuntimeError& e) {
    standardErr() << "tamberlin img: " << e.text() << "\n";
  } catch (const std::exception& e) {
    standardErr() << "tamberlin img: " << e.what() << "\n";
  }
  return 1;
}

const CommandRegistration registration("img",
                                       "list, add, replace, extract or check archive entries",
                                       imgCommand);

}  // namespace
}  // namespace tamberlin
