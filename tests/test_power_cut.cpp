// Every power cut of every change the program makes to the player's files, on the memory file
// system: the power goes at each operation in turn (and after the last), and every state the
// disk cache may leave then is checked. In every state each archive passes img check, every old
// entry reads its own bytes, a new entry is absent or complete, a replaced entry holds its old
// or its new bytes, one archive's changes are kept in the order they were made, and every other
// file or folder of the game is as it was or as the uncut run left it: no record, count or name
// points at data that is not on the disk. The install journal's folder is judged by what it
// reads as: never damaged nor silent while the game holds a change of the run. After the last
// operation everything the run reported done is durable, the journal's "complete" too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <optional>
#include <set>

#include "imgarchive/check.h"
#include "imgarchive/img_archive.h"
#include "imgarchive/rebuild.h"
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
constexpr const char* kArchive = "/game/models/gta3.img";
constexpr const char* kOther = "/game/models/cutscene.img";
constexpr std::size_t kSector = 2048;

// ---- What a change means to do, and what a cut may leave of it -----------------------------

/// One add or replace of an archive entry, in the order the operation makes them.
struct Step {
  bool add = true;
  std::string name;  ///< up to the first NUL
  std::string bytes;
};

Step added(std::string name, std::string bytes) {
  return {true, std::move(name), std::move(bytes)};
}

Step replaced(std::string name, std::string bytes) {
  return {false, std::move(name), std::move(bytes)};
}

struct ArchiveChange {
  std::string path;
  std::vector<Step> steps;
};

std::string upToNul(const std::string& s) {
  return s.substr(0, s.find('\0'));
}

std::size_t sectorsOf(const std::string& bytes) {
  return (bytes.size() + kSector - 1) / kSector;
}

/// Header and records, an empty file being an archive without entries.
Parsed parseOrEmpty(const std::string& bytes) {
  return bytes.empty() ? Parsed{"VER2", 0, {}} : parseArchive(bytes);
}

/// True when `r` names exactly `bytes` in `archive`.
bool holds(const std::string& archive, const Rec& r, const std::string& bytes) {
  return r.size == sectorsOf(bytes) && dataOf(archive, r, bytes.size()) == bytes;
}

/// Checks the archive `now` against `original` and the steps of `c`: every old entry keeps its
/// name and holds its old bytes (or, replaced, its new ones), every counted new entry is
/// complete, and the steps done are the first ones. "" when a cut may leave it.
std::string judgeArchive(const ArchiveChange& c, const std::string& original,
                         const std::string& now) {
  const Parsed before = parseOrEmpty(original);
  Parsed after;
  try {
    after = parseOrEmpty(now);
  } catch (const std::exception&) {
    return "the header or the directory is damaged";
  }
  const std::size_t n = before.count;
  const auto adds = static_cast<std::size_t>(
      std::count_if(c.steps.begin(), c.steps.end(), [](const Step& s) { return s.add; }));
  if (after.count < n || after.count > n + adds)
    return "the archive counts " + std::to_string(after.count) + " entries";
  std::vector<bool> done(c.steps.size());
  for (std::size_t k = 0; k < n; ++k) {
    const Rec& was = before.records[k];
    const Rec& is = after.records[k];
    const std::string where = "entry " + std::to_string(k + 1) + " (" + upToNul(was.name) + ")";
    if (is.name != was.name) return where + " was renamed";
    const bool isOld = holds(now, is, dataOf(original, was, was.size * kSector));
    auto rep = std::find_if(c.steps.begin(), c.steps.end(),
                            [&](const Step& s) { return !s.add && s.name == upToNul(was.name); });
    const bool isNew = rep != c.steps.end() && holds(now, is, rep->bytes);
    if (!isOld && !isNew) return where + " names data that is not its own";
    if (isNew && !isOld) done[static_cast<std::size_t>(rep - c.steps.begin())] = true;
  }
  std::size_t i = n;
  for (std::size_t s = 0; s < c.steps.size(); ++s) {
    if (!c.steps[s].add || i >= after.count) continue;
    const Rec& r = after.records[i++];
    if (upToNul(r.name) != c.steps[s].name)
      return "new entry " + std::to_string(i) + " is named " + upToNul(r.name);
    if (!holds(now, r, c.steps[s].bytes))
      return "new entry " + c.steps[s].name + " names data not on the disk";
    done[s] = true;
  }
  for (std::size_t s = 1; s < done.size(); ++s)
    if (done[s] && !done[s - 1])
      return c.steps[s].name + " changed before " + c.steps[s - 1].name + ", ahead of it";
  return {};
}

/// A path's contents: its bytes, "<folder>", or nothing when absent.
using Contents = std::optional<std::string>;

Contents contentsOf(MemoryFileSystem& fs, const std::string& path) {
  if (path.back() == '/') {
    FileInfo info = fs.stat(path.substr(0, path.size() - 1));
    return info.exists && info.isDir ? Contents("<folder>") : std::nullopt;
  }
  FileInfo info = fs.stat(path);
  if (!info.exists || info.isDir) return std::nullopt;
  return fs.readFile(path);
}

std::string show(const Contents& c) {
  if (!c) return "absent";
  if (*c == "<folder>") return "a folder";
  return std::to_string(c->size()) + " bytes (hash " +
         std::to_string(std::hash<std::string>()(*c) % 100000) + ")";
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

/// Files a cut may leave beside the player's: unfinished copies and the install's scratch file.
bool isScratch(const std::string& path) {
  return endsWith(path, ".tamberlin-part") || endsWith(path, ".rebuild.tmp") ||
         path.rfind("/mod/", 0) == 0;
}

/// The install journal's folder: judged by what its journal says, not byte for byte.
bool isJournal(const std::string& path) {
  return path.rfind("/game/Tamberlin/", 0) == 0;
}

/// A journaled run's journal in `state`: readable, and able to take back whatever of the run is
/// in the game (`changed`); complete once the run ended.
std::string judgeJournal(MemoryFileSystem& state, bool changed, bool ended) {
  const std::vector<journal::Installation> all = journal::loadInstallations(state, kGame);
  for (const journal::Installation& in : all)
    if (in.state == journal::InstallState::Damaged && changed)
      return "the game changed and installation " + std::to_string(in.number) +
             " is damaged: " + in.damage;
  if (changed && journal::newestInstalled(all) == 0)
    return "the game changed and no journal says an installation may have changed it";
  if (ended && (all.size() != 1 || all[0].state != journal::InstallState::Complete))
    return "after the run no single complete installation is recorded";
  return {};
}

struct Expectation {
  MemoryFileSystem before;  ///< the setup, durable
  MemoryFileSystem after;   ///< the uncut run's end
  std::vector<ArchiveChange> archives;
};

const ArchiveChange* changeOf(const Expectation& e, const std::string& path) {
  for (const ArchiveChange& c : e.archives)
    if (c.path == path) return &c;
  return nullptr;
}

::testing::AssertionResult judgeState(Expectation& e, MemoryFileSystem& state,
                                      const PowerCutInfo& info) {
  std::set<std::string> paths;
  for (const std::string& p : e.before.listAll()) paths.insert(p);
  for (const std::string& p : e.after.listAll()) paths.insert(p);
  for (const std::string& p : state.listAll()) {
    if (!paths.count(p) && !isScratch(p) && !isJournal(p))
      return ::testing::AssertionFailure() << p << " is left, which no run makes";
  }
  const bool ended = info.cut > info.operations;
  bool changed = false;
  for (const std::string& p : paths) {
    if (isScratch(p) || isJournal(p)) continue;
    changed = changed || contentsOf(state, p) != contentsOf(e.before, p);
  }
  if (contentsOf(e.after, "/game/Tamberlin/")) {
    const std::string why = judgeJournal(state, changed, ended);
    if (!why.empty()) return ::testing::AssertionFailure() << why;
  }
  for (const std::string& p : paths) {
    if (isScratch(p) || isJournal(p)) continue;
    const Contents now = contentsOf(state, p), was = contentsOf(e.before, p),
                   done = contentsOf(e.after, p);
    if (now && endsWith(p, ".img") && !now->empty()) {
      ArchiveReport report = checkArchive(state, p);
      if (!report.ok())
        return ::testing::AssertionFailure() << p << " fails img check: " << report.errors[0];
    }
    if (ended && now != done)
      return ::testing::AssertionFailure()
             << p << " is " << show(now) << ", not as the run reported it done (" << show(done)
             << ")";
    const ArchiveChange* change = changeOf(e, p);
    if (change && now && was) {
      std::string why = judgeArchive(*change, *was, *now);
      if (!why.empty()) return ::testing::AssertionFailure() << p << ": " << why;
    } else if (now != was && now != done) {
      return ::testing::AssertionFailure()
             << p << " is " << show(now) << ", neither as it was (" << show(was)
             << ") nor as the run leaves it (" << show(done) << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

// ---- The operations -------------------------------------------------------------------------

/// Three entries in sectors 4.. with room for more records, as a game's archive starts.
std::string roomyArchive() {
  return makeArchive({{4, 1, "a.dff"}, {5, 2, "car.dff"}, {7, 1, "b.txd"}}, 8 * kSector);
}

/// 63 records fill sector 0 and the first entry's data starts at sector 1: an add moves it.
std::string fullArchive() {
  std::vector<Rec> recs;
  std::uint32_t next = 1;
  for (std::uint32_t k = 1; k <= 63; ++k) {
    recs.push_back({next, 1 + k % 2, "e" + std::to_string(k) + ".dff"});
    next += recs.back().size;
  }
  return makeArchive(recs, next * kSector);
}

/// Holes after a.dff and after b.txd: a rebuild has something to do.
std::string holedArchive() {
  return makeArchive({{4, 1, "a.dff"}, {6, 2, "car.dff"}, {9, 1, "b.txd"}}, 12 * kSector);
}

const std::string kNewDff = pattern(101, 3000);  // two sectors, the last one part full
const std::string kNewTxd = pattern(102, 1500);
const std::string kCarDff = pattern(103, 4200);
const std::string kOtherIfp = pattern(104, 700);
const std::string kLoose = pattern(105, 2600);
const std::string kOldLoose = pattern(106, 900);

/// A game folder with `archive` as models/gta3.img and the mod's files in /mod, the current
/// folder.
void gameWith(MemoryFileSystem& fs, const std::string& archive) {
  fs.writeFile("/game/gta_sa.exe", "MZ");
  fs.writeFile(kArchive, archive);
  fs.writeFile("/game/data/old.txt", kOldLoose);
  fs.writeFile("/game/data/keep.dat", "keep");
  fs.writeFile("/game/data/a.txt", "a");
  fs.writeFile("/mod/new.dff", kNewDff);
  fs.writeFile("/mod/new.txd", kNewTxd);
  fs.writeFile("/mod/car.dff", kCarDff);
  fs.writeFile("/mod/other.ifp", kOtherIfp);
  fs.writeFile("/mod/loose.txt", kLoose);
  fs.setCurrentDir("/mod");
}

PowerCutSetup game(std::string archive, std::string ins = {}) {
  return [archive = std::move(archive), ins = std::move(ins)](MemoryFileSystem& fs) {
    gameWith(fs, archive);
    fs.writeFile(kOther, makeArchive({{2, 1, "walk.ifp"}, {3, 1, "run.ifp"}}, 4 * kSector));
    if (!ins.empty()) fs.writeFile("/mod/ins.cfg", ins);
  };
}

/// Adds the mod's files to `path` one after another, each change flushed as `img add` does.
PowerCutOperation addFiles(std::vector<std::string> files) {
  return [files = std::move(files)](MemoryFileSystem& fs) {
    ImgArchive archive(fs);
    archive.read(kArchive);
    for (const std::string& f : files) archive.add("/mod/" + f, f);
  };
}

PowerCutOperation replaceEntry(std::string name, std::string file) {
  return [name = std::move(name), file = std::move(file)](MemoryFileSystem& fs) {
    ImgArchive archive(fs);
    archive.read(kArchive);
    archive.replace(archive.find(name), "/mod/" + file);
  };
}

/// A whole `tamberlin install` of the mod's ins.cfg; it must complete.
void install(MemoryFileSystem& fs) {
  installToCompletion(fs, kGame);
}

void rebuild(MemoryFileSystem& fs) {
  rebuildArchive(fs, kArchive);
}

struct PowerCutCase {
  const char* name;
  PowerCutSetup setup;
  PowerCutOperation run;
  std::vector<ArchiveChange> archives;
};

const PowerCutCase kCases[] = {
    {"add", game(roomyArchive()), addFiles({"new.dff"}), {{kArchive, {added("new.dff", kNewDff)}}}},
    {"add with a move",
     game(fullArchive()),
     addFiles({"new.dff", "new.txd"}),
     {{kArchive, {added("new.dff", kNewDff), added("new.txd", kNewTxd)}}}},
    {"add to an empty file",
     game(""),
     addFiles({"new.dff", "new.txd"}),
     {{kArchive, {added("new.dff", kNewDff), added("new.txd", kNewTxd)}}}},
    {"replace",
     game(roomyArchive()),
     replaceEntry("car.dff", "car.dff"),
     {{kArchive, {replaced("car.dff", kCarDff)}}}},
    {"ADD of a new file", game(roomyArchive(), "ADD loose.txt, data\\loose.txt\r\n"), install, {}},
    {"ADD over a file", game(roomyArchive(), "ADD loose.txt, data\\old.txt\r\n"), install, {}},
    {"MAKEDIR, and ADD into it",
     game(roomyArchive(), "MAKEDIR mods\r\nADD loose.txt, mods\\l.txt\r\n"),
     install,
     {}},
    {"DELETE", game(roomyArchive(), "DELETE data\\*.txt\r\n"), install, {}},
    {"REPINIMG",
     game(roomyArchive(), "REPINIMG models\\gta3.img, car.dff, car.dff\r\n"),
     install,
     {{kArchive, {replaced("car.dff", kCarDff)}}}},
    {"ADDINIMG",
     game(roomyArchive(), "ADDINIMG models\\gta3.img, new.dff\r\n"),
     install,
     {{kArchive, {added("new.dff", kNewDff)}}}},
    {"an installation changing two archives",
     game(roomyArchive(),
          "ADD loose.txt, data\\old.txt\r\n"
          "ADDINIMG models\\gta3.img, new.dff\r\n"
          "ADDINIMG models\\cutscene.img, other.ifp\r\n"
          "ADDINIMG models\\gta3.img, new.txd\r\n"
          "REPINIMG models\\gta3.img, car.dff, car.dff\r\n"
          "REPINIMG models\\cutscene.img, run.ifp, new.txd\r\n"),
     install,
     {{kArchive,
       {added("new.dff", kNewDff), added("new.txd", kNewTxd), replaced("car.dff", kCarDff)}},
      {kOther, {added("other.ifp", kOtherIfp), replaced("run.ifp", kNewTxd)}}}},
    // The replace moves e1.dff's data away from sector 1 and defers its last flush; the add's
    // record then lands on sector 1.
    {"an add onto the sectors a deferred replace freed",
     game(fullArchive(),
          "REPINIMG models\\gta3.img, e1.dff, car.dff\r\n"
          "ADDINIMG models\\gta3.img, new.dff\r\n"),
     install,
     {{kArchive, {replaced("e1.dff", kCarDff), added("new.dff", kNewDff)}}}},
    {"img rebuild", game(holedArchive()), rebuild, {}},
};

TEST(PowerCut, EveryStateOfEveryCutOfEveryChangeIsSound) {
  for (const PowerCutCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Expectation e;
    c.setup(e.before);
    e.before.makeDurable();
    c.setup(e.after);
    e.after.makeDurable();
    c.run(e.after);
    e.archives = c.archives;
    ExploreTotals t =
        explorePowerCuts(c.setup, c.run, [&](MemoryFileSystem& state, const PowerCutInfo& info) {
          return judgeState(e, state, info);
        });
    EXPECT_GT(t.states, t.cutPoints) << "no cut left more than one state";
    std::cout << "[ power cut ] " << c.name << ": " << t.operations << " operations, " << t.states
              << " states (at most " << t.largestStateCount << " at one cut; " << t.sampledCutPoints
              << " of " << t.cutPoints << " cuts sampled)\n";
  }
}

}  // namespace
}  // namespace tamberlin::test
