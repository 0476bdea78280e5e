// `tamberlin installs` and `tamberlin uninstall` run as a player would, on a game folder into
// which two mods were installed through the installer's own code: both replace "old.txt" and the
// archive entry "car.dff", so taking back the older one while the newer stays conflicts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/install_rig.h"
#include "support/run_program.h"

namespace tamberlin {
namespace {

using test::InstallRig;
using test::snapshotTree;
using test::writeBytes;

using Tree = std::map<std::string, std::string>;

/// The game folder's files less the journal's own folder.
Tree gameFiles(const std::string& dir) {
  Tree tree = snapshotTree(dir);
  for (auto it = tree.begin(); it != tree.end();)
    it = it->first.rfind("Tamberlin", 0) == 0 ? tree.erase(it) : std::next(it);
  return tree;
}

/// What the game folder holds after a case, against the states the fixture recorded.
enum class Expect {
  Untouched,  ///< byte for byte as after both installations, the journal too
  AfterFirst,
  Before,        ///< as before both
  BothLessModA,  ///< the newer mod's files, Mod A's own folder gone
};

struct Step {
  std::vector<std::string> args;  ///< "{GAME}" and "{MOD}" stand for the folders
  int exitCode;
  std::vector<std::string> says;  ///< lines or parts of lines of stdout and stderr
};

struct Case {
  const char* name;
  bool damageSecond;  ///< installation 2's journal overwritten first
  std::vector<Step> runs;
  Expect expect;
};

class UninstallCommand : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    writeBytes(rig.gameFile("old.txt"), "old");
    before = gameFiles(rig.game);
    install("Mod A", {{"a.txt", "mod A's a"}, {"r.dff", std::string(3000, 'r')}},
            "MAKEDIR mymod\r\nADD a.txt, mymod\\a.txt\r\nADD a.txt, old.txt\r\n"
            "REPINIMG \\models\\gta3.img, car.dff, r.dff\r\n");
    afterFirst = gameFiles(rig.game);
    install("Mod B", {{"b.txt", "mod B's b"}, {"s.dff", std::string(5000, 's')}},
            "ADD b.txt, old.txt\r\nREPINIMG \\models\\gta3.img, car.dff, s.dff\r\n");
    both = snapshotTree(rig.game);
  }

  void install(const std::string& mod, const std::map<std::string, std::string>& files,
               const std::string& script) {
    rig.writeMod("text.cfg", mod + "\r\n");
    for (const auto& [name, bytes] : files) rig.writeMod(name, bytes);
    rig.form.numNumHH = 0;
    rig.writeScript(script);
    ASSERT_EQ(rig.analyse().error, 0) << mod;
  }

  /// `text` with "{GAME}" and "{MOD}" standing for the folders.
  std::string fill(std::string text) const {
    for (const auto& [key, dir] :
         {std::pair{"{GAME}", rig.game}, std::pair{"{MOD}", rig.mod.path()}})
      for (std::size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, std::string(key).size(), dir);
    return text;
  }

  Tree expected(Expect e) const {
    switch (e) {
      case Expect::Untouched:
        return both;
      case Expect::AfterFirst:
        return afterFirst;
      case Expect::Before:
        return before;
      case Expect::BothLessModA: {
        Tree t = both;
        for (auto it = t.begin(); it != t.end();)
          it = it->first.rfind("Tamberlin", 0) == 0 || it->first.rfind("mymod", 0) == 0
                   ? t.erase(it)
                   : std::next(it);
        return t;
      }
    }
    return {};
  }

  InstallRig rig;
  Tree before, afterFirst, both;
};

TEST_P(UninstallCommand, SaysWhatItDoesAndLeavesTheGameAsExpected) {
  const Case& c = GetParam();
  if (c.damageSecond) {
    writeBytes(rig.gameFile("Tamberlin/installs/0002/journal.txt"), "not a journal\n");
    both = snapshotTree(rig.game);
  }
  for (const Step& run : c.runs) {
    std::vector<std::string> args;
    for (const std::string& a : run.args) args.push_back(fill(a));
    const test::ProgramRun r = test::runProgram(TAMBERLIN_BINARY, args);
    const std::string all = r.out + r.err;
    const std::string line = fill(testing::PrintToString(run.args));
    EXPECT_EQ(r.exitCode, run.exitCode) << line << "\n" << all;
    for (const std::string& said : run.says)
      EXPECT_NE(all.find(fill(said)), std::string::npos)
          << line << ": no \"" << fill(said) << "\" in\n"
          << all;
  }
  if (c.expect == Expect::Untouched)
    EXPECT_EQ(snapshotTree(rig.game), both);
  else
    EXPECT_EQ(gameFiles(rig.game), expected(c.expect));
}

const char kEntry[] = "entry \"car.dff\" of models\\gta3.img";

const Case kCases[] = {
    {"ListsBoth",
     false,
     {{{"installs", "{GAME}"},
       0,
       {"2 installations recorded in {GAME}:\n", "\ninstallation 1 (Mod A)\n  started      20",
        "  state        complete\n"
        "  changes      2 files, 1 folder, 1 archive entry (1 replaced, 0 added)\n",
        "\ninstallation 2 (Mod B)\n",
        "  changes      1 file, 0 folders, 1 archive entry (1 replaced, 0 added)\n"}}},
     Expect::Untouched},
    {"NewestFirstThenTheOlderRestoresTheGame",
     false,
     {{{"uninstall", "{GAME}"},
       0,
       {"uninstalling installation 2 (Mod B) from {GAME}:\n",
        std::string("  ") + kEntry + ": put its old record back",
        "  file old.txt: move it back from deleted\\",
        "installation 2 (Mod B) is uninstalled: 2 items undone\n"}},
      {{"installs", "{GAME}"}, 0, {"  state        uninstalled\n", "  uninstalled  20"}},
      {{"uninstall", "{GAME}", "2"}, 1, {"installation 2 (Mod B) is already uninstalled"}},
      {{"uninstall", "{GAME}"},
       0,
       {"  file mymod\\a.txt: remove it (this installation made it)\n", "  folder mymod: remove it",
        "installation 1 (Mod A) is uninstalled: 4 items undone\n"}},
      {{"uninstall", "{GAME}"}, 1, {"nothing to uninstall: no installation recorded in"}}},
     Expect::Before},
    {"AConflictUndoesNothingAndNamesItsCause",
     false,
     {{{"uninstall", "{GAME}", "1"},
       1,
       {"installation 1 (Mod A) was not uninstalled: 2 items no longer hold what it left",
        std::string("\n  ") + kEntry +
            ": entry 2 holds data this installation did not write; "
            "changed by installation 2 (Mod B)\n",
        "\n  file old.txt: it holds ", "; changed by installation 2 (Mod B)\n", "--force"}}},
     Expect::Untouched},
    {"ForceUndoesTheRestAndLeavesTheConflicts",
     false,
     {{{"uninstall", "{GAME}", "1", "--force"},
       0,
       {"  file old.txt: left as it is: it holds ", "  file mymod\\a.txt: remove it",
        "installation 1 (Mod A) is uninstalled: 2 items undone, 2 items left as they are\n"}},
      {{"installs", "{GAME}"}, 0, {"uninstalled, 2 items left as they were"}}},
     Expect::BothLessModA},
    {"DryRunChangesNothing",
     false,
     {{{"uninstall", "--dry-run", "{GAME}"},
       0,
       {"would uninstall installation 2 (Mod B) from {GAME} (dry run: nothing is changed):\n",
        "  file old.txt: would move it back from deleted\\",
        "installation 2 (Mod B) would be uninstalled: 2 items to undo\n"}},
      {{"uninstall", "{GAME}", "1", "--dry-run"}, 1, {"would not be uninstalled: 2 items"}},
      {{"uninstall", "{GAME}", "1", "--dry-run", "--force"},
       0,
       {"  file old.txt: would leave it as it is: it holds ",
        "  file mymod\\a.txt: would remove it"}}},
     Expect::Untouched},
    {"ADamagedJournalIsListedAndNotActedOn",
     true,
     {{{"installs", "{GAME}"},
       0,
       {"\ninstallation 2\n  state        damaged: it cannot be undone\n"
        "  journal      {GAME}/Tamberlin/installs/0002/journal.txt\n  problem      line 1",
        "\ninstallation 1 (Mod A)\n"}},
      {{"uninstall", "{GAME}", "2"},
       1,
       {"installation 2 cannot be undone: its journal {GAME}/Tamberlin/installs/0002/"
        "journal.txt is damaged: line 1"}}},
     Expect::Untouched},
    {"UsageAndLookupErrors",
     false,
     {{{"uninstall"}, 2, {"GAME_DIR is missing"}},
      {{"uninstall", "{GAME}", "0"}, 2, {"N must be an installation's number"}},
      {{"uninstall", "{GAME}", "two"}, 2, {"not 'two'"}},
      {{"uninstall", "{GAME}", "1", "2"}, 2, {"unexpected argument '2'"}},
      {{"uninstall", "{GAME}", "--frce"}, 2, {"unknown option '--frce'"}},
      {{"installs"}, 2, {"GAME_DIR is missing"}},
      {{"installs", "{GAME}", "more"}, 2, {"unexpected argument 'more'"}},
      {{"uninstall", "--help"}, 0, {"--force", "--dry-run", "Exit 0"}},
      {{"--help"}, 0, {"\n  installs  GAME_DIR", "\n  uninstall  GAME_DIR [N]"}},
      {{"uninstall", "{GAME}", "7"}, 1, {"there is no installation 7 in {GAME}"}},
      {{"installs", "{GAME}/gta_sa.exe"}, 1, {"gta_sa.exe is not a folder"}},
      {{"installs", "{MOD}"}, 0, {"no installations recorded in ", "it holds no gta_sa.exe"}},
      {{"uninstall", "{MOD}"}, 1, {"nothing to uninstall: no installations recorded in "}}},
     Expect::Untouched},
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

INSTANTIATE_TEST_SUITE_P(Runs, UninstallCommand, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tamberlin
