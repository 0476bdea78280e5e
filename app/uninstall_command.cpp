// tamberlin uninstall GAME_DIR [N] [--force] [--dry-run]: takes installation N of the game folder
// back from its journal (the newest one still installed without N), and says each step.
#include <string>
#include <vector>

#include "app/command.h"
#include "app/game_journal.h"
#include "app/rights_advice.h"
#include "installscript/read_only_file_system.h"
#include "journal/player_text.h"
#include "journal/uninstall.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

using journal::Installation;
using journal::InstallState;
using journal::StepStatus;
using journal::UninstallReport;

const char kUsage[] =
    "usage: tamberlin uninstall GAME_DIR [N] [--force] [--dry-run] [--help]\n"
    "  Takes installation N of the game folder GAME_DIR back ('tamberlin installs GAME_DIR'\n"
    "  lists them); without N, the newest one still installed. Each step is printed.\n"
    "  Where a file or archive entry no longer holds what the installation left (another mod,\n"
    "  the player or a tool changed it since), nothing at all is undone and those conflicts\n"
    "  are listed, each with what changed it.\n"
    "  --force    undo everything else and leave the conflicting items as they are\n"
    "  --dry-run  print what would be done; change nothing\n"
    "  Exit 0 when it is uninstalled (with --force, also when items were left); 1 when it\n"
    "  was not: conflicts, an error, no such installation, one already uninstalled or\n"
    "  with a damaged journal, or nothing left to uninstall; 2 on a usage error.\n";

struct Options {
  std::string gameDir;
  unsigned number = 0;  ///< 0: the newest installed
  bool force = false;
  bool dryRun = false;
  bool help = false;
};

int usageError(const std::string& what) {
  standardErr() << "tamberlin uninstall: " << what << "\n" << kUsage;
  return 2;
}

/// N as a positive number; 0 when it is none.
unsigned parseNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return static_cast<unsigned>(std::stoul(text));
}

/// Parses the arguments; returns -1 when they are sound, else the exit code (usage reported).
int parse(const std::vector<std::string>& args, Options& o) {
  std::vector<std::string> words;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      o.help = true;
      return -1;
    }
    if (a == "--force") {
      o.force = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a.rfind("-", 0) == 0) {
      return usageError("unknown option '" + a + "'");
    } else {
      words.push_back(a);
    }
  }
  if (words.empty()) return usageError("GAME_DIR is missing");
  if (words.size() > 2) return usageError("unexpected argument '" + words[2] + "'");
  o.gameDir = words[0];
  if (words.size() == 2 && (o.number = parseNumber(words[1])) == 0)
    return usageError("N must be an installation's number (1, 2, ...), not '" + words[1] + "'");
  return -1;
}

void fail(const std::string& text) {
  standardErr() << "tamberlin uninstall: " << text << "\n";
}

/// The installation to undo, or null (said why) when there is none or it cannot be undone.
const Installation* choose(FileSystem& fs, const Options& o, const std::vector<Installation>& all) {
  const unsigned number = o.number != 0 ? o.number : journal::newestInstalled(all);
  if (number == 0) {
    fail(all.empty() ? "nothing to uninstall: " + noInstallationsText(fs, o.gameDir)
                     : "nothing to uninstall: no installation recorded in " +
                           displayPath(o.gameDir) + " is still installed");
    return nullptr;
  }
  const Installation* in = nullptr;
  for (const Installation& i : all)
    if (i.number == number) in = &i;
  if (!in) {
    fail("there is no installation " + std::to_string(number) + " in " + displayPath(o.gameDir) +
         " ('tamberlin installs " + displayPath(o.gameDir) + "' lists them)");
  } else if (in->state == InstallState::Damaged) {
    fail(journal::installationName(*in) + " cannot be undone: its journal " + journalPathOf(*in) +
         " is damaged: " + damageOf(*in));
  } else if (in->state == InstallState::NotStarted) {
    fail(journal::installationName(*in) + " never started: it changed nothing to undo");
  } else if (in->state == InstallState::Uninstalled && in->itemsLeft == 0) {
    fail(journal::installationName(*in) + " is already uninstalled (" + in->uninstalledAt + ")");
  } else {
    return in;
  }
  return nullptr;
}

/// Conflicts and no force: nothing was done; every conflict, and how to go on.
int refuse(const Installation& in, const UninstallReport& r, bool dryRun) {
  TextWriter& err = standardErr();
  err << "tamberlin uninstall: " << journal::installationName(in)
      << (dryRun ? " would not be" : " was not") << " uninstalled: " << r.conflicts
      << (r.conflicts == 1 ? " item no longer holds" : " items no longer hold")
      << " what it left, so nothing " << (dryRun ? "would be" : "was") << " undone:\n";
  for (const journal::UndoStep& s : r.steps)
    if (s.status == StepStatus::Conflict) err << "  " << journal::conflictText(s) << "\n";
  err << "  Put these back as the installation left them (or uninstall what changed them "
         "first), or run this again with --force to undo the rest and leave these as they "
         "are.\n";
  return 1;
}

int report(const Options& o, const Installation& in, const UninstallReport& r) {
  TextWriter& out = standardOut();
  out << (o.dryRun ? "would uninstall " : "uninstalling ") << journal::installationName(in)
      << " from " << displayPath(o.gameDir) << (o.dryRun ? " (dry run: nothing is changed)" : "")
      << ":\n";
  for (const journal::UndoStep& s : r.steps) out << "  " << journal::stepText(s, o.dryRun) << "\n";
  if (r.steps.empty()) out << "  (the journal records no change to undo)\n";
  const std::size_t left = r.conflicts;
  out << journal::installationName(in) << (o.dryRun ? " would be" : " is")
      << " uninstalled: " << r.undone << (r.undone == 1 ? " item" : " items")
      << (o.dryRun ? " to undo" : " undone");
  if (left > 0)
    out << ", " << left << (left == 1 ? " item left as it is" : " items left as they are");
  out << "\n";
  return 0;
}

int run(const Options& o) {
  FileSystem& fs = programFileSystem();
  const auto all = readInstallations(fs, "uninstall", o.gameDir);
  if (!all) return 1;
  const Installation* in = choose(fs, o, *all);
  if (!in) return 1;
  try {
    const UninstallReport r = journal::uninstall(fs, o.gameDir, *all, in->number,
                                                 journal::UninstallOptions{o.force, o.dryRun});
    if (r.refused) return refuse(*in, r, o.dryRun);
    return report(o, *in, r);
  } catch (const RuntimeError& e) {
    standardErr() << "tamberlin uninstall: error " << e.number() << ": " << e.text() << "\n"
                  << (o.dryRun ? "  Nothing was changed.\n"
                               : "  The uninstall stopped here; what it undid before stays "
                                 "undone, and running this again goes on from here.\n");
    if (!o.dryRun) adviseOnRights(fs, o.gameDir);
    return 1;
  }
}

int uninstallCommand(const std::vector<std::string>& args) {
  Options o;
  const int code = parse(args, o);
  if (code >= 0) return code;
  if (o.help) {
    standardOut() << kUsage;
    return 0;
  }
  return run(o);
}

const CommandRegistration kUninstall("uninstall",
                                     "GAME_DIR [N] [--force] [--dry-run]  take an installation "
                                     "back",
                                     uninstallCommand);

}  // namespace
}  // namespace tamberlin
