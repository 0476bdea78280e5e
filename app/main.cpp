// tamberlin: the installer's entry point. Without arguments it is the wizard in the current
// folder; with a subcommand it is a tool for mod authors and players.
#include <map>
#include <string>
#include <vector>

#include "app/command.h"
#include "platform/text_writer.h"

namespace tamberlin {
namespace {

struct Command {
  std::string summary;
  CommandFn fn;
};

std::map<std::string, Command>& commands() {
  static std::map<std::string, Command> all;
  return all;
}

CommandFn& defaultCommand() {
  static CommandFn fn = nullptr;
  return fn;
}

void printHelp(TextWriter& out) {
  out << "usage: tamberlin                 the install wizard, in the mod's folder\n"
         "       tamberlin COMMAND ARGS... \n\ncommands:\n";
  for (const auto& [name, cmd] : commands()) out << "  " << name << "  " << cmd.summary << "\n";
  out << "\n  --help, --version\n";
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* summary, CommandFn fn) {
  commands()[name] = Command{summary, fn};
}

DefaultCommandRegistration::DefaultCommandRegistration(CommandFn fn) {
  defaultCommand() = fn;
}

bool isCommandWord(const std::string& word) {
  return word.rfind("-", 0) == 0 || commands().count(word) != 0;
}

}  // namespace tamberlin

int tamberlin::runProgram(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "--version") {
    standardOut() << "tamberlin " << TAMBERLIN_VERSION << "\n";
    return 0;
  }
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    printHelp(standardOut());
    return 0;
  }
  if (args.empty() || args[0].rfind("--", 0) == 0) {
    if (defaultCommand()) return defaultCommand()(args);
    printHelp(standardErr());
    return 2;
  }
  auto it = commands().find(args[0]);
  if (it == commands().end()) {
    standardErr() << "tamberlin: unknown command '" << args[0] << "'\n";
    printHelp(standardErr());
    return 2;
  }
  return it->second.fn(std::vector<std::string>(args.begin() + 1, args.end()));
}

int main(int argc, char** argv) {
  return tamberlin::runProgram(std::vector<std::string>(argv + 1, argv + argc));
}
