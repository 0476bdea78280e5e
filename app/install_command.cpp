// tamberlin install GAME_DIR [--continue-on-error] [--dry-run] [--verbose]
//
// The wizard's installation without the wizard: run in the mod's folder (which holds "ins.cfg"
// and the mod's files), into the game folder GAME_DIR, through the same code as the wizard.
#include <string>
#include <vector>

#include "app/code_page_option.h"
#include "app/command.h"
#include "app/console_boxes.h"
#include "app/rights_advice.h"
#include "facade/form1_install.h"
#include "imgarchive/check.h"
#include "installscript/dry_run.h"
#include "installscript/game_folder.h"
#include "installscript/read_only_file_system.h"
#include "journal/layout.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_writer.h"
#include "platform/win_path.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

const char kUsage[] =
    "usage: tamberlin install GAME_DIR [--continue-on-error] [--dry-run] [--verbose]\n"
    "                        [--codepage N] [--help]\n"
    "  Run in the mod's folder (it holds ins.cfg). GAME_DIR is the game's folder, the one\n"
    "  that holds gta_sa.exe.\n"
    "  --continue-on-error  answer Yes to the archive engine's error questions (default No)\n"
    "  --dry-run            print what each line would do and check it; change nothing\n"
    "  --verbose            print the status line's texts as well\n";

/// The usage text with the code page option.
std::string usage() {
  return std::string(kUsage) + kCodePageUsage;
}

/// One progress line per script line on stderr: "[12/40] ADD car.dff, models\car.dff".
class ConsoleWindow : public InstallWindow {
 public:
  void lineStarted(std::size_t index, std::size_t total, const std::string& line) override {
    standardErr() << "[" << index + 1 << "/" << total << "] "
                  << (line.empty() ? std::string("(empty line)") : line) << "\n";
  }
};

/// GAME_DIR as an absolute path without "." and ".." parts, for clear messages.
std::string absoluteFolder(FileSystem& fs, const std::string& dir) {
  if (isAbsoluteProgramPath(dir)) return dir;
  std::vector<std::string> parts;
  for (const std::string& p : splitPath(joinPath(fs.currentDir(), dir))) {
    if (p == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (p != ".") {
      parts.push_back(p);
    }
  }
  std::string out;
  for (const std::string& p : parts) out = out.empty() && hasDriveLetter(p) ? p : out + "/" + p;
  return out.empty() ? "/" : out;
}

struct Options {
  std::string gameDir;
  bool continueOnError = false;
  bool dryRun = false;
  bool verbose = false;
  bool help = false;
};

/// Parses the arguments; false on a usage error (already reported).
bool parse(const std::vector<std::string>& args, Options& o) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      o.help = true;
      return true;
    }
    if (a == "--continue-on-error") {
      o.continueOnError = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--verbose" || a == "-v") {
      o.verbose = true;
    } else if (a.rfind("--", 0) == 0 || !o.gameDir.empty()) {
      standardErr() << "tamberlin install: unexpected argument '" << a << "'\n" << usage();
      return false;
    } else {
      o.gameDir = a;
    }
  }
  if (o.gameDir.empty()) {
    standardErr() << "tamberlin install: GAME_DIR is missing\n" << usage();
    return false;
  }
  return true;
}

/// After an installation: one line for each archive whose data no longer follows its directory,
/// which the game assumes when it reads neighbouring entries at once.
void reportContiguity(FileSystem& fs, const std::vector<std::string>& archives) {
  for (const std::string& path : archives) {
    try {
      const ArchiveReport r = checkArchive(fs, path);
      if (r.contiguityBreaks() == 0) continue;
      standardErr() << "tamberlin install: " << displayPath(path) << " now has "
                    << r.contiguityBreaks()
                    << " contiguity breaks: the game may read neighbouring entries wrongly; "
                       "'tamberlin img rebuild "
                    << displayPath(path) << "' mends it\n";
    } catch (const RuntimeError&) {
      // An archive that cannot be checked was reported by the installation itself.
    }
  }
}

bool nothingChanged(const Form1Install& form) {
  return form.commandsDone() == 0 && form.tookBack() == 0;
}

/// Where the run's journal is and how to go on: after a finished run, how to take it back;
/// after a stop, that running it again goes on where it stopped.
void reportJournal(const Form1Install& form, const Options& o, bool finished) {
  TextWriter& err = standardErr();
  if (form.tookBack() != 0)
    err << "tamberlin install: installation " << form.tookBack()
        << " of the same script was taken back first\n";
  if (form.installNumber() == 0) return;
  err << "tamberlin install: installation " << form.installNumber() << " is recorded in "
      << displayPath(journal::installFolder(form.saPath, form.installNumber())) << "\n";
  if (form.linesResumed() > 0)
    err << "  it went on after the " << form.linesResumed()
        << " lines an earlier run of it had done\n";
  if (!finished)
    err << "  running this again goes on at the line where it stopped; ";
  else
    err << "  ";
  err << "'tamberlin uninstall \"" << o.gameDir << "\"' takes it back\n";
}

int install(const Options& o, const std::string& saPath) {
  FileSystem& fs = programFileSystem();
  ConsoleBoxes boxes(standardOut(), o.continueOnError);
  ConsoleStatus status(standardErr(), o.verbose);
  ConsoleWindow window;
  Form1Install form(fs, boxes, status, window);
  form.saPath = saPath;
  try {
    form.ImgInstall();
  } catch (const ProgramEnd& end) {
    if (form.forceCloseInt == 1 && end.exitCode == 0) {
      reportContiguity(fs, form.archivePaths());
      reportJournal(form, o, true);
      return 0;
    }
    standardErr() << "tamberlin install: the installation was ended by an error; "
                  << (nothingChanged(form) ? "nothing was changed"
                                           : "what the lines before it did stays done")
                  << "\n";
    reportJournal(form, o, false);
    adviseOnRights(fs, saPath);
    return 1;
  } catch (const RuntimeError& e) {
    standardErr() << "tamberlin install: error " << e.number() << ": " << e.description() << "\n";
    if (!e.detail().empty()) standardErr() << "  " << e.detail() << "\n";
    standardErr() << "  The installation stopped here; "
                  << (nothingChanged(form) ? "nothing was changed."
                                           : "what the lines before it did stays done.")
                  << "\n";
    reportJournal(form, o, false);
    adviseOnRights(fs, saPath);
    return 1;
  }
  return 1;  // ImgInstall always ends the program; returning means something went wrong.
}

int installCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  if (!takeCodePageOption(args, "install", standardErr())) return 2;
  Options o;
  if (!parse(args, o)) return 2;
  if (o.help) {
    standardOut() << usage();
    return 0;
  }
  FileSystem& fs = programFileSystem();
  if (!holdsGame(fs, o.gameDir)) {
    standardErr() << "tamberlin install: " << o.gameDir
                  << " is not the game's folder: it holds no file named gta_sa.exe\n";
    return 1;
  }
  std::string saPath = absoluteFolder(fs, o.gameDir);
  if (!fs.stat(Form1Install::kScriptFile).exists) {
    standardErr()
        << "tamberlin install: there is no " << Form1Install::kScriptFile << " in "
        << fs.currentDir()
        << ": run this in the mod's folder, the one that holds it (nothing was changed)\n";
    return 1;
  }
  if (o.dryRun) return dryRunInstall(fs, saPath, standardOut()).problems == 0 ? 0 : 1;
  return install(o, saPath);
}

const CommandRegistration kInstall("install",
                                   "GAME_DIR [--continue-on-error] [--dry-run]  install the mod "
                                   "in the current folder into the game",
                                   installCommand);

}  // namespace
}  // namespace tamberlin
