// The Windows entry point. The exe is a GUI program (no console window opens when a player
// starts the wizard), so its subcommands borrow the console of the command prompt that started
// them. Arguments arrive as UTF-16 and go on as UTF-8, like every text inside the program.
#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command.h"
#include "platform/win32/wide_text.h"

namespace {

bool hasHandle(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE;
}

/// Output that is not redirected goes to the parent's console, when there is one. True when
/// the output goes anywhere: the program was started from a console or with its output
/// redirected, not from Explorer.
bool useParentConsole() {
  bool out = hasHandle(STD_OUTPUT_HANDLE), err = hasHandle(STD_ERROR_HANDLE);
  if (out && err) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return out || err;
  if (!out) std::freopen("CONOUT$", "w", stdout);
  if (!err) std::freopen("CONOUT$", "w", stderr);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(tamberlin::wideToUtf8(argv[i]));
  // Explorer passes files, dropped on the program or opened with it. The wizard takes no
  // arguments, so it starts as if there were none; from a console they are a usage error.
  if (!args.empty() && !useParentConsole() && !tamberlin::isCommandWord(args[0])) args.clear();
  return tamberlin::runProgram(args);
}
#endif
