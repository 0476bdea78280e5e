// Every power cut of an installation and of its uninstall, then what the player does next: the
// same script run again, an uninstall, or the uninstall run again. Whatever the disk kept, the
// game ends exactly as after one installation or exactly as before it: every file byte for byte
// (the journal's own folder aside), every archive passing img check with the same entries, in
// the same order, holding the same bytes. An uninstalled entry's record may stay past the entry
// count, an entry given its old data from the backup may hold it at another offset, and an
// unfinished copy's scratch file may stay beside its file.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <set>

#include "imgarchive/check.h"
#include "journal/installation.h"
#include "journal/uninstall.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/install_to_completion.h"
#include "support/memory_file_system.h"
#include "support/power_cut_explorer.h"

namespace tamberlin::test {
namespace {

constexpr const char* kGame = "/game";
constexpr std::size_t kSector = 2048;

// ---- The game, the mod and the steps --------------------------------------------------------

/// 63 one-sector entries: the directory fills sector 0 and e1.dff's data is sector 1. Replacing
/// e1.dff frees sector 1, and the add after it grows the directory onto that sector.
std::string fullArchive() {
  std::vector<Rec> recs;
  for (std::uint32_t k = 1; k <= 63; ++k) recs.push_back({k, 1, "e" + std::to_string(k) + ".dff"});
  return makeArchive(recs, 64 * kSector);
}

/// ADD over a file and of a new one, DELETE, MAKEDIR, REPINIMG and ADDINIMG.
constexpr const char* kScript =
    "ADD loose.txt, data\\old.txt\r\n"
    "ADD loose.txt, data\\new.txt\r\n"
    "DELETE data\\a.txt\r\n"
    "MAKEDIR mods\r\n"
    "REPINIMG models\\gta3.img, e1.dff, car.dff\r\n"
    "ADDINIMG models\\gta3.img, new.dff\r\n";

void game(MemoryFileSystem& fs) {
  fs.writeFile("/game/gta_sa.exe", "MZ");
  fs.writeFile("/game/models/gta3.img", fullArchive());
  fs.writeFile("/game/data/old.txt", pattern(106, 900));
  fs.writeFile("/game/data/a.txt", "a");
  fs.writeFile("/mod/loose.txt", pattern(105, 600));
  fs.writeFile("/mod/car.dff", pattern(103, 2500));
  fs.writeFile("/mod/new.dff", pattern(101, 1000));
  fs.writeFile("/mod/ins.cfg", kScript);
  fs.setCurrentDir("/mod");
}

/// A whole `tamberlin install` of the mod's ins.cfg; it must complete.
void install(MemoryFileSystem& fs) {
  installToCompletion(fs, kGame);
}

/// Installation `number` taken back, whole: a conflict, or an uninstall that does not finish,
/// fails the step.
void uninstallWhole(MemoryFileSystem& fs, const std::vector<journal::Installation>& all,
                    unsigned number) {
  const journal::UninstallReport r = journal::uninstall(fs, kGame, all, number, {});
  for (const journal::UndoStep& s : r.steps)
    if (s.status == journal::StepStatus::Conflict)
      throw RuntimeError(err::kInvalidCall,
                         "the uninstall finds a conflict: " + s.what + ": " + s.conflict);
  if (!r.finished) throw RuntimeError(err::kInvalidCall, "the uninstall did not finish");
}

/// `tamberlin uninstall`: the newest installation still in the game taken back, whole.
void uninstall(MemoryFileSystem& fs) {
  const std::vector<journal::Installation> all = journal::loadInstallations(fs, kGame);
  const unsigned n = journal::newestInstalled(all);
  if (n != 0) uninstallWhole(fs, all, n);
}

void installed(MemoryFileSystem& fs) {
  game(fs);
  install(fs);
}

/// Another mod, whose add grows the directory onto the sector the cut installation's replace
/// freed: its own folder and script.
void installOther(MemoryFileSystem& fs) {
  fs.writeFile("/other/other.dff", pattern(107, 3000));
  fs.writeFile("/other/ins.cfg", "ADDINIMG models\\gta3.img, other.dff\r\n");
  fs.setCurrentDir("/other");
  install(fs);
  fs.setCurrentDir("/mod");
}

/// The cut installation (of the mod in /mod) taken back, whatever came after it.
void uninstallFirst(MemoryFileSystem& fs) {
  const std::vector<journal::Installation> all = journal::loadInstallations(fs, kGame);
  for (const journal::Installation& in : all)
    if (in.mod == "mod" && in.installed()) uninstallWhole(fs, all, in.number);
}

void otherOnly(MemoryFileSystem& fs) {
  game(fs);
  installOther(fs);
}

// ---- Comparing games ------------------------------------------------------------------------

/// The player's files: not the journal's folder, not an unfinished copy's scratch file (a copy
/// cut short before the journal heard of it leaves one beside its file; a run of the same script
/// uses it again).
bool isGame(const std::string& path) {
  const std::string part = ".tamberlin-part";
  return path.rfind("/game/", 0) == 0 && path.rfind("/game/Tamberlin/", 0) != 0 &&
         !(path.size() > part.size() &&
           path.compare(path.size() - part.size(), part.size(), part) == 0);
}

std::optional<std::string> contentsOf(MemoryFileSystem& fs, const std::string& path) {
  if (path.back() == '/') {
    const FileInfo info = fs.stat(path.substr(0, path.size() - 1));
    return info.exists && info.isDir ? std::optional<std::string>("<folder>") : std::nullopt;
  }
  const FileInfo info = fs.stat(path);
  if (!info.exists || info.isDir) return std::nullopt;
  return fs.readFile(path);
}

/// Names, sizes and whole sectors of every counted entry, in order.
std::string archiveDifference(const std::string& want, const std::string& got) {
  const Parsed a = parseArchive(want), b = parseArchive(got);
  if (a.count != b.count)
    return "it counts " + std::to_string(b.count) + " entries, not " + std::to_string(a.count);
  for (std::size_t k = 0; k < a.count; ++k) {
    const Rec &x = a.records[k], &y = b.records[k];
    const std::string at = "entry " + std::to_string(k + 1);
    if (x.name != y.name || x.size != y.size) return at + " has another name or size";
    // The last entry's last sector may end with the file: its bytes past the end read as zeros.
    std::string a1 = dataOf(want, x, x.size * kSector), b1 = dataOf(got, y, y.size * kSector);
    a1.resize(x.size * kSector, '\0');
    b1.resize(y.size * kSector, '\0');
    if (a1 != b1) return at + " holds other bytes";
  }
  return {};
}

/// Empty when the game in `got` is the game in `want`; else the first difference.
std::string gameDifference(MemoryFileSystem& want, MemoryFileSystem& got) {
  std::set<std::string> paths;
  for (const std::string& p : want.listAll()) paths.insert(p);
  for (const std::string& p : got.listAll()) paths.insert(p);
  for (const std::string& p : paths) {
    if (!isGame(p)) continue;
    const auto w = contentsOf(want, p), g = contentsOf(got, p);
    if (!w || !g) {
      if (w != g) return p + (g ? " is there" : " is missing");
      continue;
    }
    if (p.size() > 4 && p.compare(p.size() - 4, 4, ".img") == 0) {
      const ArchiveReport report = checkArchive(got, p);
      if (!report.ok()) return p + " fails img check: " + report.errors[0];
      const std::string why = archiveDifference(*w, *g);
      if (!why.empty()) return p + ": " + why;
    } else if (*w != *g) {
      return p + " holds other bytes (" + std::to_string(g->size()) + " of " +
             std::to_string(w->size()) + ")";
    }
  }
  return {};
}

/// The game and the journal as one number: states that differ only in the mod's folder (the
/// installer's scratch file there) go on alike.
std::size_t printOf(MemoryFileSystem& fs) {
  std::size_t h = 0;
  for (const std::string& p : fs.listAll()) {
    if (p.rfind("/mod/", 0) == 0) continue;
    h = h * 1000003 ^ std::hash<std::string>()(p);
    if (p.back() != '/') h = h * 1000003 ^ std::hash<std::string>()(fs.readFile(p));
  }
  return h;
}

// ---- The table ------------------------------------------------------------------------------

/// The game expected once a step ran: as before or after the installation, as the other mod
/// alone leaves it, or not compared (a step between two).
enum class Game { Before, After, OtherOnly, NotCompared };

struct Next {
  const char* name;
  PowerCutOperation run;
  Game expected;  ///< the game once it ran
};

struct Case {
  const char* name;
  PowerCutSetup setup;
  PowerCutOperation cut;  ///< the run the power cuts
  std::vector<Next> next;
};

const Case kCases[] = {
    {"a cut installation run again, then uninstalled",
     game,
     install,
     {{"the same script again", install, Game::After}, {"an uninstall", uninstall, Game::Before}}},
    {"a cut installation uninstalled", game, install, {{"an uninstall", uninstall, Game::Before}}},
    {"a cut uninstall run again",
     installed,
     uninstall,
     {{"the uninstall", uninstall, Game::Before}}},
    {"a cut installation, another mod, then the cut one uninstalled",
     game,
     install,
     {{"another mod", installOther, Game::NotCompared},
      {"the first one's uninstall", uninstallFirst, Game::OtherOnly}}},
};

TEST(PowerCut, EveryCutOfAnInstallOrUninstallEndsAsBeforeOrAsAfterWhenTheRestIsDone) {
  MemoryFileSystem before, after, other;
  game(before);
  installed(after);
  otherOnly(other);
  auto expected = [&](Game g) -> MemoryFileSystem& {
    return g == Game::Before ? before : g == Game::After ? after : other;
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ExploreOptions options;
    options.states.maxExhaustiveStates = 32;
    options.states.samples = 8;
    std::set<std::size_t> seen;
    ExploreTotals t = explorePowerCuts(
        c.setup, c.cut,
        [&](MemoryFileSystem& state, const PowerCutInfo&) {
          if (!seen.insert(printOf(state)).second) return ::testing::AssertionSuccess();
          for (const Next& n : c.next) {
            n.run(state);
            if (n.expected == Game::NotCompared) continue;
            const std::string why = gameDifference(expected(n.expected), state);
            if (!why.empty())
              return ::testing::AssertionFailure()
                     << "after " << n.name << " the game is not as "
                     << (n.expected == Game::Before  ? "before the installation"
                         : n.expected == Game::After ? "after the installation"
                                                     : "with the other mod alone")
                     << ": " << why;
          }
          return ::testing::AssertionSuccess();
        },
        options);
    EXPECT_GT(t.states, t.cutPoints) << "no cut left more than one state";
    std::cout << "[ power cut ] " << c.name << ": " << t.operations << " operations, " << t.states
              << " states, " << seen.size() << " of them distinct in the game (at most "
              << t.largestStateCount << " at one cut; " << t.sampledCutPoints << " of "
              << t.cutPoints << " cuts sampled)\n";
  }
}

}  // namespace
}  // namespace tamberlin::test
