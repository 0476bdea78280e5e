// Taking an installation back after the game changed under it: the archive rebuilt, a file the
// mod made edited by the player, the journal cut short anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "imgarchive/check.h"
#include "imgarchive/rebuild.h"
#include "journal/installation.h"
#include "journal/uninstall.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/fault_file_system.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;
using test::InstallRig;
using test::readBytes;
using test::snapshotGame;
using test::writeBytes;
using Tree = std::map<std::string, std::string>;

const char* const kScript =
    "MAKEDIR mymod\r\nADD a.txt, mymod\\a.txt\r\nADD b.txt, old.txt\r\nDELETE *.bak\r\n"
    "REPINIMG \\models\\gta3.img, car.dff, r.dff\r\nADDINIMG \\models\\gta3.img, n.col\r\n";

/// Each listed entry's name and data, as the game reads them.
std::map<std::string, std::string> entries(const std::string& archive) {
  std::map<std::string, std::string> out;
  const test::Parsed p = test::parseArchive(archive);
  for (std::uint32_t i = 0; i < p.count && i < p.records.size(); ++i) {
    const test::Rec& r = p.records[i];
    out[r.name.substr(0, r.name.find('\0'))] = test::dataOf(archive, r, r.size * 2048);
  }
  return out;
}

/// A rig with the game as before, the mod installed, and both states kept.
struct Installed {
  Installed() {
    rig.writeMod("a.txt", "new A");
    rig.writeMod("b.txt", "new B");
    rig.writeMod("r.dff", std::string(5000, 'r'));
    rig.writeMod("n.col", std::string(100, 'n'));
    writeBytes(rig.gameFile("old.txt"), "the player's old file");
    writeBytes(rig.gameFile("x.bak"), "to be deleted");
    before = snapshotGame(rig.game);
    rig.writeScript(kScript);
    const auto o = rig.install();
    EXPECT_TRUE(o.completed) << o.detail;
    after = snapshotGame(rig.game);
  }
  journal::UninstallReport uninstall(bool force) {
    const auto all = journal::loadInstallations(realFileSystem(), rig.form.saPath);
    return journal::uninstall(realFileSystem(), rig.form.saPath, all, 1, {force, false});
  }
  InstallRig rig;
  Tree before, after;
};

struct LaterChange {
  const char* name;
  std::function<void(InstallRig&)> change;
  std::size_t conflicts;
  const char* keptFile;  ///< the file the conflict leaves as the change made it, or ""
};

TEST(JournalUninstall, UndoesWhatTheGameStillHoldsAfterLaterChanges) {
  const LaterChange cases[] = {
      {"the archive rebuilt (records and data moved)",
       [](InstallRig& rig) { rebuildArchive(realFileSystem(), rig.archivePath()); }, 0, ""},
      {"the player edited a file the mod made",
       [](InstallRig& rig) { writeBytes(rig.gameFile("mymod/a.txt"), "edited"); }, 2,
       "mymod/a.txt"},  // and its folder, which stays
  };
  for (const LaterChange& c : cases) {
    SCOPED_TRACE(c.name);
    Installed in;
    c.change(in.rig);
    const Tree changed = snapshotGame(in.rig.game);
    const auto refused = in.uninstall(false);
    EXPECT_EQ(refused.conflicts, c.conflicts);
    if (c.conflicts) {
      EXPECT_TRUE(refused.refused);
      EXPECT_EQ(snapshotGame(in.rig.game), changed) << "nothing undone without --force";
    }
    const auto done = in.uninstall(true);
    EXPECT_TRUE(done.finished);
    Tree now = snapshotGame(in.rig.game), want = in.before;
    if (*c.keptFile) {
      want[c.keptFile] = changed.at(c.keptFile);
      want["mymod"] = "<dir>";
    }
    EXPECT_EQ(entries(now["models/gta3.img"]), entries(want["models/gta3.img"]));
    EXPECT_TRUE(checkArchive(realFileSystem(), in.rig.archivePath()).ok());
    now.erase("models/gta3.img");
    want.erase("models/gta3.img");
    EXPECT_EQ(now, want);
  }
}

// A journal cut at any byte (a copy gone wrong, a disk that lost its end) is read as far as it
// goes: the uninstall undoes only items its records name and can verify, so every game file
// ends as it was before or as the installation left it, and the archive stays sound.
TEST(JournalUninstall, AJournalCutAnywhereNeverUndoesWhatItCannotVerify) {
  Installed in;
  const std::string game = in.rig.game, kept = in.rig.root.file("installed");
  fs::copy(game, kept, fs::copy_options::recursive);
  const std::string journalPath = "Tamberlin/installs/0001/journal.txt";
  const std::string journal = readBytes(game + "/" + journalPath);
  ASSERT_FALSE(journal.empty());
  const auto beforeEntries = entries(in.before.at("models/gta3.img"));
  const auto afterEntries = entries(in.after.at("models/gta3.img"));
  for (std::size_t cut = 0; cut < journal.size(); cut += 5) {
    SCOPED_TRACE("journal cut to " + std::to_string(cut) + " bytes");
    fs::remove_all(game);
    fs::copy(kept, game, fs::copy_options::recursive);
    writeBytes(game + "/" + journalPath, journal.substr(0, cut));
    try {
      in.uninstall(true);
    } catch (const RuntimeError& e) {
      ASSERT_NE(std::string(e.text()).find("journal"), std::string::npos) << e.text();
    }
    const Tree now = snapshotGame(game);
    for (const auto& [path, bytes] : now) {
      if (path == "models/gta3.img") continue;
      const bool wasBefore = in.before.count(path) && in.before.at(path) == bytes;
      const bool wasAfter = in.after.count(path) && in.after.at(path) == bytes;
      EXPECT_TRUE(wasBefore || wasAfter) << path;
    }
    for (const auto& [path, bytes] : in.before) {
      EXPECT_TRUE(now.count(path) || !in.after.count(path)) << path << " lost";
    }
    ASSERT_TRUE(checkArchive(realFileSystem(), in.rig.archivePath()).ok());
    for (const auto& [name, data] : entries(now.at("models/gta3.img"))) {
      const bool old = beforeEntries.count(name) && beforeEntries.at(name) == data;
      const bool made = afterEntries.count(name) && afterEntries.at(name) == data;
      EXPECT_TRUE(old || made) << name;
    }
  }
}

// A run killed at any change, started again: it ends as one run does. An entry is not added
// twice, and data a replace already wrote is not appended again (once the kill came after the
// last archive change, the archive is as long as after one run).
TEST(JournalRerun, ARunKilledAtAnyChangeThenRunAgainEndsAsOneRun) {
  const char* const scripts[] = {
      "REPINIMG \\models\\gta3.img, car.dff, r.dff\r\nMAKEDIR later\r\n",
      "ADDINIMG \\models\\gta3.img, n.col\r\nREPINIMG \\models\\gta3.img, n.col, r.dff\r\n"
      "MAKEDIR later\r\n",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    auto prepare = [&](InstallRig& rig) {
      rig.writeMod("r.dff", std::string(5000, 'r'));
      rig.writeMod("n.col", std::string(100, 'n'));
      rig.writeScript(script);
    };
    InstallRig clean;
    prepare(clean);
    ASSERT_TRUE(clean.install().completed);
    const std::string once = readBytes(clean.archivePath());
    for (long k = 0;; ++k) {
      SCOPED_TRACE("killed at change " + std::to_string(k));
      FaultFileSystem faulty(realFileSystem());
      faulty.crashAfterChanges(k);
      InstallRig rig(InstallRig::defaultArchive(), faulty);
      prepare(rig);
      bool killed = false;
      try {
        rig.form.ImgInstall();
      } catch (const SimulatedCrash&) {
        killed = true;
      } catch (...) {
      }
      if (!killed) break;
      const bool archiveDone = entries(readBytes(rig.archivePath())) == entries(once);
      InstallRig again(InstallRig::defaultArchive(), realFileSystem());
      fs::remove_all(again.game);
      fs::copy(rig.game, again.game, fs::copy_options::recursive);
      prepare(again);
      const auto o = again.install();
      ASSERT_TRUE(o.completed) << o.detail;
      const std::string now = readBytes(again.archivePath());
      EXPECT_EQ(test::parseArchive(now).count, test::parseArchive(once).count);
      EXPECT_EQ(entries(now), entries(once));
      EXPECT_TRUE(!archiveDone || now.size() == once.size()) << "data appended again";
    }
  }
}

}  // namespace
}  // namespace tamberlin
