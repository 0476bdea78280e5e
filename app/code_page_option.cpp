#include "app/code_page_option.h"

#include "platform/code_page.h"
#include "platform/text_writer.h"

namespace tamberlin {
namespace {

/// N as a code page number; 0 when it is none.
unsigned parseNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return 0;
  unsigned n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

}  // namespace

const char kCodePageUsage[] =
    "  --codepage N         the ANSI code page of ins.cfg, text.cfg and names in the archive\n"
    "                       (default: the system's; on Linux the one Windows uses for the\n"
    "                       locale: LANG=ru_RU.UTF-8 gives 1251)\n";

bool takeCodePageOption(std::vector<std::string>& args, const std::string& command,
                        TextWriter& err) {
  const std::string flag = "--codepage";
  for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
    std::string value;
    std::size_t taken = 1;
    if (args[i] == flag) {
      if (i + 1 >= args.size()) {
        err << "tamberlin " << command << ": --codepage needs a number\n";
        return false;
      }
      value = args[i + 1];
      taken = 2;
    } else if (args[i].rfind(flag + "=", 0) == 0) {
      value = args[i].substr(flag.size() + 1);
    } else {
      ++i;
      continue;
    }
    const unsigned cp = parseNumber(value);
    if (!setCodePage(cp)) {
      err << "tamberlin " << command << ": --codepage " << value
          << ": not an ANSI code page this system can convert\n";
      return false;
    }
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + taken));
  }
  return true;
}

}  // namespace tamberlin
