#pragma once
// Subcommands of the tamberlin program. Each app/<name>_command.cpp registers its own with a
// static CommandRegistration, so main() needs no list of them.

#include <string>
#include <vector>

namespace tamberlin {

/// Runs a subcommand on its arguments (the words after its name); returns the exit code:
/// 0 success, 1 failure, 2 usage error.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct CommandRegistration {
  CommandRegistration(const char* name, const char* summary, CommandFn fn);
};

/// The command run when the program gets no subcommand (the wizard, where there is one).
struct DefaultCommandRegistration {
  explicit DefaultCommandRegistration(CommandFn fn);
};

/// True when `word`, the first argument, asks for something: a subcommand's name or an option
/// ("--help", "--screenshot" and the like). Anything else, such as the path of a file dropped
/// on the program, is no command.
bool isCommandWord(const std::string& word);

/// Runs the program on its command-line arguments (without the program's name), UTF-8 encoded;
/// returns the exit code. main() on POSIX, wmain() on Windows.
int runProgram(const std::vector<std::string>& args);

}  // namespace tamberlin
