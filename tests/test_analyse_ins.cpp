#include <gtest/gtest.h>

#include "journal/installation.h"
#include "journal/uninstall.h"
#include "platform/file_system.h"

#include <filesystem>

#include "installscript/containment.h"
#include "installscript/file_commands.h"
#include "platform/runtime_error.h"
#include "platform/wildcard.h"
#include "support/fault_file_system.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;
using test::InstallOutcome;
using test::InstallRig;
using test::readBytes;
using test::sameBytes;
using test::snapshotGame;
using test::snapshotTree;
using test::writeBytes;

bool exists(const std::string& p) {
  return fs::exists(p);
}

class AnalyseTest : public ::testing::Test {
 protected:
  InstallOutcome run(const std::string& script) {
    rig.writeScript(script);
    return rig.analyse();
  }
  InstallRig rig;
};

// --- copying ---------------------------------------------------------------------------------

TEST_F(AnalyseTest, AddCopiesAndReplacesAndTheLaterOfTwoWins) {
  rig.writeMod("one.txt", "first");
  rig.writeMod("two.txt", "second");
  writeBytes(rig.gameFile("old.txt"), "old content");
  InstallOutcome o =
      run("ADD one.txt, old.txt\r\nADD one.txt, new.txt\r\nADD two.txt, new.txt\r\n");
  EXPECT_EQ(o.error, 0) << o.detail;
  EXPECT_EQ(readBytes(rig.gameFile("old.txt")), "first");
  EXPECT_EQ(readBytes(rig.gameFile("new.txt")), "second");
  EXPECT_FALSE(exists(partFileFor(rig.gameFile("new.txt"))));
}

TEST_F(AnalyseTest, AddResolvesGamePathsWithBackslashesAndLetterCase) {
  fs::create_directories(rig.gameFile("Data/Maps"));
  rig.writeMod("m.ipl", "ipl");
  EXPECT_EQ(run("add m.ipl,DATA\\maps\\m.ipl").error, 0);
  EXPECT_EQ(readBytes(rig.gameFile("Data/Maps/m.ipl")), "ipl");
}

TEST_F(AnalyseTest, AddWithOneFieldFailsAndEarlierCopiesStay) {
  rig.writeMod("a.txt", "A");
  InstallOutcome o = run("ADD a.txt, a.txt\r\nADD a.txt\r\nADD a.txt, b.txt\r\n");
  EXPECT_EQ(o.error, err::kInputPastEnd);
  EXPECT_NE(o.detail.find("line 2"), std::string::npos) << o.detail;
  EXPECT_TRUE(exists(rig.gameFile("a.txt")));
  EXPECT_FALSE(exists(rig.gameFile("b.txt")));
}

TEST_F(AnalyseTest, AddOfAMissingSourceIsFileNotFound) {
  EXPECT_EQ(run("ADD nothere.txt, x.txt\r\n").error, err::kFileNotFound);
  EXPECT_EQ(run("ADD nodir\\nothere.txt, x.txt\r\n").error, err::kFileNotFound);
  EXPECT_FALSE(exists(rig.gameFile("x.txt")));
}

TEST_F(AnalyseTest, AddIntoAMissingFolderIsPathNotFound) {
  rig.writeMod("a.txt", "A");
  InstallOutcome o = run("ADD a.txt, nofolder\\a.txt\r\n");
  EXPECT_EQ(o.error, err::kPathNotFound);
  EXPECT_NE(o.detail.find("line 1"), std::string::npos);
}

TEST_F(AnalyseTest, AddReportsCopyProgress) {
  rig.writeMod("big.bin", std::string(3 << 20, 'x'));
  ASSERT_EQ(run("ADD big.bin, big.bin\r\n").error, 0);
  EXPECT_GE(rig.status.progressCalls, 1);
  EXPECT_EQ(rig.status.lastDone, 3u << 20);
  EXPECT_EQ(rig.status.lastTotal, 3u << 20);
}

TEST_F(AnalyseTest, AddOfAFileOntoItselfKeepsIt) {
  writeBytes(rig.gameFile("same.txt"), "keep me");
  EXPECT_EQ(run("ADD " + rig.gameFile("same.txt") + ", same.txt\r\n").error, 0);
  EXPECT_EQ(readBytes(rig.gameFile("same.txt")), "keep me");
}

// --- folders and deleting --------------------------------------------------------------------

TEST_F(AnalyseTest, MakeDirNeedsItsParentFirst) {
  EXPECT_EQ(run("MAKEDIR a\\b\r\n").error, err::kPathNotFound);
  EXPECT_FALSE(exists(rig.gameFile("a")));
  rig.form.numNumHH = 0;
  EXPECT_EQ(run("MAKEDIR a\r\nMAKEDIR a\\b\r\n").error, 0);
  EXPECT_TRUE(fs::is_directory(rig.gameFile("a/b")));
}

TEST_F(AnalyseTest, MakeDirOfAnExistingFolderSucceedsUnchanged) {
  fs::create_directories(rig.gameFile("mods"));
  writeBytes(rig.gameFile("mods/keep.txt"), "k");
  EXPECT_EQ(run("MAKEDIR mods\r\nMAKEDIR MODS\r\n").error, 0);
  EXPECT_EQ(readBytes(rig.gameFile("mods/keep.txt")), "k");
}

TEST_F(AnalyseTest, MakeDirOverAFileIsAnError) {
  writeBytes(rig.gameFile("thing"), "file");
  EXPECT_EQ(run("MAKEDIR thing\r\n").error, err::kPathFileAccess);
  EXPECT_EQ(readBytes(rig.gameFile("thing")), "file");
}

TEST_F(AnalyseTest, DeletePatternDeletesMatchingFilesOnly) {
  fs::create_directories(rig.gameFile("data/sub.bak"));
  for (const char* n : {"data/a.bak", "data/B.BAK", "data/c.txt", "data/a.bak2"})
    writeBytes(rig.gameFile(n), n);
  EXPECT_EQ(run("DELETE data\\*.bak\r\n").error, 0);
  EXPECT_FALSE(exists(rig.gameFile("data/a.bak")));
  EXPECT_FALSE(exists(rig.gameFile("data/B.BAK")));
  EXPECT_TRUE(exists(rig.gameFile("data/c.txt")));
  EXPECT_TRUE(exists(rig.gameFile("data/a.bak2")));
  EXPECT_TRUE(fs::is_directory(rig.gameFile("data/sub.bak"))) << "folders are never deleted";
}

TEST_F(AnalyseTest, DeleteOfOneNamedFileIgnoresLetterCase) {
  writeBytes(rig.gameFile("Readme.TXT"), "x");
  EXPECT_EQ(run("DELETE readme.txt\r\n").error, 0);
  EXPECT_FALSE(exists(rig.gameFile("Readme.TXT")));
}

TEST_F(AnalyseTest, DeleteMatchingNothingSucceedsUnchanged) {
  auto before = snapshotGame(rig.game);
  EXPECT_EQ(run("DELETE *.bak\r\nDELETE nofolder\\x.txt\r\nDELETE gone.txt\r\n").error, 0);
  EXPECT_EQ(snapshotGame(rig.game), before);
}

TEST_F(AnalyseTest, EmptyDeleteOrMakeDirNamesTheGameFolderAndFails) {
  auto before = snapshotGame(rig.game);
  EXPECT_EQ(run("DELETE\r\n").error, err::kPathFileAccess);
  rig.form.numNumHH = 0;
  EXPECT_EQ(run("MAKEDIR \r\n").error, err::kPathFileAccess);
  EXPECT_EQ(snapshotGame(rig.game), before);
}

TEST_F(AnalyseTest, RunningTheScriptAgainFinishesTheJob) {
  rig.writeMod("a.txt", "A");
  const std::string script = "MAKEDIR mymod\r\nADD a.txt, mymod\\a.txt\r\nDELETE mymod\\*.old\r\n";
  ASSERT_EQ(run(script).error, 0);
  auto once = snapshotGame(rig.game);
  rig.form.numNumHH = 0;
  EXPECT_EQ(run(script).error, 0);
  EXPECT_EQ(snapshotGame(rig.game), once);
}

// --- containment -----------------------------------------------------------------------------

TEST_F(AnalyseTest, GamePathsMayNotLeaveTheGameFolder) {
  rig.writeMod("a.txt", "A");
  writeBytes(rig.root.file("outside.txt"), "precious");
  const char* lines[] = {"ADD a.txt, ..\\outside.txt",
                         "ADD a.txt, models\\..\\..\\outside.txt",
                         "DELETE ..\\*.txt",
                         "MAKEDIR ..\\escape",
                         "ADD a.txt, C:\\outside.txt",
                         "ADD a.txt, \\\\server\\share\\x.txt",
                         "DELETE .. \\outside.txt",
                         "ADD a.txt, gta_sa.exe:stream",
                         "REPINIMG ..\\x.img, a.dff, a.txt",
                         "ADDINIMG ..\\x.img, a.txt"};
  auto before = snapshotTree(rig.root.path());
  for (const char* line : lines) {
    rig.form.numNumHH = 0;
    InstallOutcome o = run(std::string(line) + "\r\n");
    EXPECT_EQ(o.error, err::kPathFileAccess) << line;
    EXPECT_NE(o.detail.find("leave the game folder"), std::string::npos) << o.detail;
    EXPECT_NE(o.detail.find("line 1"), std::string::npos) << o.detail;
  }
  EXPECT_EQ(snapshotTree(rig.root.path()), before);
  EXPECT_TRUE(rig.boxes.shown.empty()) << "the ADDINIMG box comes after the check";
}

TEST(Containment, InsidePathsPass) {
  for (const char* ok :
       {"models\\gta3.img", "\\models\\gta3.img", "/data/x", "a\\.\\b", "..a\\b..", "x...y", ""})
    EXPECT_EQ(gamePathProblem(ok), "") << ok;
  EXPECT_EQ(gamePath("C:\\Games\\SA", "\\models\\gta3.img"), "C:\\Games\\SA\\\\models\\gta3.img");
}

TEST_F(AnalyseTest, SourcesAsWrittenMayBeAnywhere) {
  writeBytes(rig.root.file("shared.txt"), "shared");
  fs::create_directories(rig.modFile("files"));
  rig.writeMod("files/inner.txt", "inner");
  EXPECT_EQ(run("ADD " + rig.root.file("shared.txt") + ", shared.txt\r\n" +
                "ADD files\\..\\files\\inner.txt, inner.txt\r\n")
                .error,
            0);
  EXPECT_EQ(readBytes(rig.gameFile("shared.txt")), "shared");
  EXPECT_EQ(readBytes(rig.gameFile("inner.txt")), "inner");
}

// --- the scratch file and the window -----------------------------------------------------------

TEST_F(AnalyseTest, ScratchFileHoldsTheLastCommandsOperands) {
  rig.writeMod("a.txt", "A");
  ASSERT_EQ(run("MAKEDIR x\r\n; note\r\nADD  a.txt , \"x\\my file.txt\"\r\n\r\n").error, 0);
  EXPECT_EQ(readBytes(rig.modFile("installing.tmp")), "  a.txt , \"x\\my file.txt\"\r\n");
  EXPECT_EQ(rig.form.Label6, "  a.txt , \"x\\my file.txt\"");
  EXPECT_EQ(readBytes(rig.gameFile("x/my file.txt")), "A");
}

TEST_F(AnalyseTest, NotesAndEmptyLinesChangeNothingAndMakeNoScratchFile) {
  auto before = snapshotTree(rig.game);
  EXPECT_EQ(run("; a note\r\n\r\n ADD a, b\r\nCopy files\r\n").error, 0);
  EXPECT_EQ(snapshotTree(rig.game), before);
  EXPECT_FALSE(exists(rig.modFile("installing.tmp")));
  EXPECT_EQ(rig.form.Label6, "Label6");
}

TEST_F(AnalyseTest, ScratchFileIsWrittenInWindows1252) {
  rig.writeMod("caf\xC3\xA9.txt", "c");
  ASSERT_EQ(run("ADD caf\xE9.txt, caf\xE9.txt\r\n").error, 0);
  EXPECT_EQ(readBytes(rig.modFile("installing.tmp")), " caf\xE9.txt, caf\xE9.txt\r\n");
  EXPECT_TRUE(exists(rig.gameFile("caf\xC3\xA9.txt")));
}

TEST_F(AnalyseTest, WindowIsFocusedForEveryLineAndShownAfterEachCommand) {
  rig.writeMod("a.txt", "A");
  ASSERT_EQ(run("; note\r\nADD a.txt, a.txt\r\nMAKEDIR d\r\n").error, 0);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"start 0/3", "focus", "done 0", "start 1/3",
                                                        "focus", "visible", "done 1", "start 2/3",
                                                        "focus", "visible", "done 2"}));
}

TEST_F(AnalyseTest, ScratchFileThatCannotBeWrittenStopsAtTheFirstCommand) {
  fs::create_directories(rig.modFile("installing.tmp"));  // a folder where the file would go
  InstallOutcome o = run("; fine\r\nMAKEDIR never\r\n");
  EXPECT_NE(o.error, 0);
  EXPECT_FALSE(exists(rig.gameFile("never")));
}

// --- no half-written files -------------------------------------------------------------------

TEST(AddCrashSafety, ACrashAtAnyChangeLeavesTheOldOrTheNewFileWhole) {
  const std::string oldBytes(5000, 'o');
  const std::string newBytes(3 * (1 << 20) + 17, 'n');  // several copy chunks
  for (long k = 0;; ++k) {
    test::TempDir dir;
    writeBytes(dir.file("src.bin"), newBytes);
    writeBytes(dir.file("dest.bin"), oldBytes);
    FaultFileSystem faulty(realFileSystem());
    faulty.crashAfterChanges(k);
    bool crashed = false;
    try {
      copyIntoPlace(faulty, dir.file("src.bin"), dir.file("dest.bin"), nullptr);
    } catch (const SimulatedCrash&) {
      crashed = true;
    }
    std::string dest = readBytes(dir.file("dest.bin"));
    EXPECT_TRUE(dest == oldBytes || dest == newBytes) << "crash after " << k << " changes";
    if (!crashed) {
      EXPECT_EQ(dest, newBytes);
      EXPECT_GT(k, 1) << "the copy made too few changes to be tested";
      break;
    }
  }
}

TEST(AddCrashSafety, AFailedCopyLeavesTheDestinationAndNoPartFile) {
  test::TempDir dir;
  writeBytes(dir.file("src.bin"), std::string(100, 's'));
  writeBytes(dir.file("dest.bin"), "old");
  FaultFileSystem faulty(realFileSystem());
  faulty.failCall(FsCall::Write, 1, err::kDiskFull);
  try {
    copyIntoPlace(faulty, dir.file("src.bin"), dir.file("dest.bin"), nullptr);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kDiskFull);
  }
  EXPECT_EQ(readBytes(dir.file("dest.bin")), "old");
  EXPECT_FALSE(exists(partFileFor(dir.file("dest.bin"))));
}

// --- patterns --------------------------------------------------------------------------------

TEST(Wildcard, StarQuestionMarkAndLetterCase) {
  EXPECT_TRUE(matchesPattern("car.DFF", "*.dff"));
  EXPECT_TRUE(matchesPattern("car1.dff", "car?.dff"));
  EXPECT_FALSE(matchesPattern("car12.dff", "car?.dff"));
  EXPECT_TRUE(matchesPattern("a.b.c", "*.c"));
  EXPECT_FALSE(matchesPattern("a.dff.bak", "*.dff"));
  EXPECT_TRUE(matchesPattern("readme", "*.*"));
  EXPECT_TRUE(matchesPattern("readme", "readme.*"));
  EXPECT_FALSE(matchesPattern("readme2", "readme.*"));
  EXPECT_TRUE(matchesPattern("\xC3\x89t\xC3\xA9.txt", "\xC3\xA9T\xC3\x89.TXT"));
  EXPECT_FALSE(matchesPattern(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*b*"));
}

}  // namespace
}  // namespace tamberlin

namespace tamberlin {
namespace {

// With the journal: an installation taken back leaves the game folder byte for byte as it was,
// and a rerun of a complete installation does not repeat it.
TEST(JournalInstall, UninstallRestoresTheGameAndARerunDoesNotRepeat) {
  InstallRig rig;
  rig.form.keepJournal = true;
  rig.writeMod("a.txt", "new A");
  rig.writeMod("b.txt", "new B");
  writeBytes(rig.game + "/old.txt", "the player's old file");
  writeBytes(rig.game + "/x.bak", "to be deleted");
  const std::string script =
      "MAKEDIR mymod\r\nADD a.txt, mymod\\a.txt\r\nADD b.txt, old.txt\r\nDELETE *.bak\r\n";
  const auto before = snapshotGame(rig.game);
  rig.writeScript(script);
  ASSERT_EQ(rig.analyse().error, 0);
  const auto once = snapshotGame(rig.game);
  ASSERT_NE(once, before);
  EXPECT_EQ(readBytes(rig.game + "/old.txt"), "new B");
  rig.form.numNumHH = 0;
  rig.writeScript(script);
  ASSERT_EQ(rig.analyse().error, 0);
  EXPECT_EQ(snapshotGame(rig.game), once);
  auto all = journal::loadInstallations(realFileSystem(), rig.form.saPath);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].state, journal::InstallState::Uninstalled) << journal::describeState(all[0]);
  const auto report = journal::uninstall(realFileSystem(), rig.form.saPath, all, 2, {});
  EXPECT_EQ(report.conflicts, 0u);
  EXPECT_TRUE(report.finished);
  EXPECT_EQ(snapshotGame(rig.game), before);
}

TEST(JournalInstall, ArchiveChangesAreTakenBackByteForByte) {
  InstallRig rig;
  rig.form.keepJournal = true;
  rig.writeMod("r.dff", std::string(3000, 'r'));
  rig.writeMod("n.col", std::string(100, 'n'));
  const std::string archive = readBytes(rig.archivePath());
  rig.writeScript(
      "REPINIMG \\models\\gta3.img, car.dff, r.dff\r\nADDINIMG \\models\\gta3.img, "
      "n.col\r\nREPINIMG \\models\\gta3.img, n.col, r.dff\r\n");
  ASSERT_TRUE(rig.install().completed);
  const std::string once = readBytes(rig.archivePath());
  ASSERT_NE(once, archive);
  // The same script again: taken back first (before the archive is read), then installed.
  rig.form.numNumHH = 0;
  ASSERT_TRUE(rig.install().completed);
  EXPECT_TRUE(sameBytes(readBytes(rig.archivePath()), once));
  auto all = journal::loadInstallations(realFileSystem(), rig.form.saPath);
  ASSERT_EQ(all.size(), 2u);
  all.erase(all.begin());
  EXPECT_EQ(all[0].state, journal::InstallState::Complete) << journal::describeState(all[0]);
  EXPECT_EQ(all[0].entries.size(), 1u);
  EXPECT_EQ(all[0].added.size(), 1u);
  const auto report = journal::uninstall(realFileSystem(), rig.form.saPath, all, 2, {});
  EXPECT_EQ(report.conflicts, 0u);
  // The removed record stays, hidden past the count: everything else is as before.
  std::string after = readBytes(rig.archivePath());
  ASSERT_EQ(after.size(), archive.size());
  after.replace(104, 32, archive.substr(104, 32));
  EXPECT_TRUE(sameBytes(after, archive));
}

}  // namespace
}  // namespace tamberlin
