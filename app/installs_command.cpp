// tamberlin installs GAME_DIR: every installation the game folder's journal records, oldest
// first, with its dates, its state and what it changed.
#include <string>
#include <vector>

#include "app/command.h"
#include "app/game_journal.h"
#include "journal/player_text.h"
#include "platform/file_system.h"
#include "platform/text_writer.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

const char kUsage[] =
    "usage: tamberlin installs GAME_DIR [--help]\n"
    "  Lists the installations recorded in the game folder GAME_DIR, oldest first: number,\n"
    "  mod, dates, state and what each changed. 'tamberlin uninstall GAME_DIR N' takes\n"
    "  installation N back. Exit 1 when GAME_DIR is not a folder or cannot be read.\n";

void field(TextWriter& out, const char* name, const std::string& value) {
  if (value.empty()) return;
  out << "  " << name << std::string(13 - std::string(name).size(), ' ') << value << "\n";
}

void printInstallation(TextWriter& out, const journal::Installation& in) {
  out << "\n" << journal::installationName(in) << "\n";
  field(out, "started", in.startedAt);
  field(out, "completed", in.completedAt);
  field(out, "uninstalled", in.uninstalledAt);
  if (in.state == journal::InstallState::Damaged) {
    field(out, "state", "damaged: it cannot be undone");
    field(out, "journal", journalPathOf(in));
    field(out, "problem", damageOf(in));
    return;
  }
  field(out, "state", journal::describeState(in));
  field(out, "changes", journal::changesText(in));
}

int installsCommand(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    standardOut() << kUsage;
    return 0;
  }
  if (args.empty()) {
    standardErr() << "tamberlin installs: GAME_DIR is missing\n" << kUsage;
    return 2;
  }
  if (args.size() > 1 || args[0].rfind("-", 0) == 0) {
    const std::string& bad = args[0].rfind("-", 0) == 0 ? args[0] : args[1];
    standardErr() << "tamberlin installs: unexpected argument '" << bad << "'\n" << kUsage;
    return 2;
  }
  FileSystem& fs = realFileSystem();
  const auto all = readInstallations(fs, "installs", args[0]);
  if (!all) return 1;
  TextWriter& out = standardOut();
  if (all->empty()) {
    out << noInstallationsText(fs, args[0]) << "\n";
    return 0;
  }
  out << all->size() << (all->size() == 1 ? " installation" : " installations") << " recorded in "
      << displayPath(args[0]) << ":\n";
  for (const journal::Installation& in : *all) printInstallation(out, in);
  return 0;
}

const CommandRegistration kInstalls("installs",
                                    "GAME_DIR  list the mods installed into the game, and their "
                                    "state",
                                    installsCommand);

}  // namespace
}  // namespace tamberlin
