// Whole installs through `tamberlin install`, run as a child process in a mod folder against a
// generated game folder; the resulting tree and archive are compared byte for byte with what
// the script must produce, worked out here independently of the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/elevation.h"
#include "platform/win_path.h"
#include "support/archive_fixture.h"
#include "support/fault_file_system.h"
#include "support/install_rig.h"
#include "support/run_program.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;
using test::makeArchive;
using test::pattern;
using test::ProgramRun;
using test::putLE32;
using test::readBytes;
using test::Rec;
using test::runProgram;
using test::snapshotGame;
using test::snapshotTree;
using test::TempDir;
using test::writeBytes;

using Tree = std::map<std::string, std::string>;
constexpr std::size_t kSector = 2048;

std::size_t endSector(const std::string& archive) {
  return (archive.size() + kSector - 1) / kSector;
}

/// What replacing entry k (from 1) with `data` makes of `archive`: the data at the next sector
/// boundary, unpadded, and the record pointing there.
void expectReplace(std::string& archive, std::size_t k, const std::string& data) {
  const std::size_t at = endSector(archive);
  archive.resize(at * kSector, '\0');
  archive += data;
  putLE32(archive, 8 + 32 * (k - 1), static_cast<std::uint32_t>(at));
  putLE32(archive, 12 + 32 * (k - 1), static_cast<std::uint32_t>(endSector(data)));
}

/// What adding `data` as `name` makes of `archive` when its directory has room: the record after
/// the last (name NUL-padded), the data at the end, the count one up.
void expectAdd(std::string& archive, const std::string& name, const std::string& data) {
  const std::uint32_t n = test::getLE32(archive, 4);
  const std::size_t rec = 8 + 32 * n;
  const std::size_t at = endSector(archive);
  archive.resize(at * kSector, '\0');
  archive += data;
  putLE32(archive, rec, static_cast<std::uint32_t>(at));
  putLE32(archive, rec + 4, static_cast<std::uint32_t>(endSector(data)));
  std::string field = name + std::string(24 - name.size(), '\0');
  archive.replace(rec + 8, 24, field);
  putLE32(archive, 4, n + 1);
}

/// 200 entries e000.dff .. e199.dff of 1 or 2 sectors, data from sector 8 on (room for 248
/// records), contiguous.
std::string gameArchive() {
  std::vector<Rec> recs;
  std::uint32_t at = 8;
  for (std::uint32_t i = 0; i < 200; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "e%03u.dff", i);
    recs.push_back({at, 1 + i % 2, name});
    at += 1 + i % 2;
  }
  return makeArchive(recs, at * kSector);
}

class GoldenInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(game + "/models");
    fs::create_directories(game + "/data");
    writeBytes(game + "/gta_sa.exe", "MZ placeholder");
    writeBytes(game + "/models/gta3.img", gameArchive());
    writeBytes(game + "/data/old.bak", "old");
    writeBytes(game + "/data/OTHER.BAK", "other");
    writeBytes(game + "/data/keep.txt", "keep");
    writeBytes(mod.file("e123.dff"), pattern(900, 3000));
    writeBytes(mod.file("ramp.col"), pattern(901, 100));
    writeBytes(mod.file("readme.txt"), "Read me\r\n");
  }
  ProgramRun install(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"install", game};
    args.insert(args.end(), extra.begin(), extra.end());
    return runProgram(TAMBERLIN_BINARY, args, mod.path());
  }

  TempDir root;
  TempDir mod;
  std::string game = root.file("Game Folder");
};

const char kScript[] =
    "; Sample: a new ramp and a better e123\r\n"
    "\r\n"
    "MAKEDIR data\\mymod\r\n"
    "ADD readme.txt, Data\\MyMod\\readme.txt\r\n"
    "DELETE data\\*.bak\r\n"
    "REPINIMG \\models\\gta3.img, e123.dff, e123.dff\r\n"
    "ADDINIMG \\models\\gta3.img, ramp.col\r\n"
    "REPINIMG \\models\\gta3.img, ramp.col, readme.txt\r\n"
    "MAKEDIR data\\mymod\r\n";

TEST_F(GoldenInstall, TheWholeScriptGivesExactlyTheExpectedTree) {
  writeBytes(mod.file("ins.cfg"), kScript);
  Tree expected = snapshotTree(game);
  expected["data/mymod"] = "<dir>";
  expected["data/mymod/readme.txt"] = "Read me\r\n";
  expected.erase("data/old.bak");
  expected.erase("data/OTHER.BAK");
  std::string archive = expected["models/gta3.img"];
  expectReplace(archive, 124, pattern(900, 3000));
  expectAdd(archive, "ramp.col", pattern(901, 100));
  expectReplace(archive, 201, "Read me\r\n");
  expected["models/gta3.img"] = archive;

  ProgramRun run = install();
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  Tree got = snapshotGame(game);
  EXPECT_EQ(got.size(), expected.size());
  for (const auto& [path, bytes] : expected) {
    ASSERT_TRUE(got.count(path)) << path;
    EXPECT_TRUE(got[path] == bytes) << path << " differs";
  }
  EXPECT_EQ(readBytes(mod.file("installing.tmp")), " data\\mymod\r\n");
  EXPECT_EQ(run.out, "[Tamberlin] ramp.col\n[Tamberlin] Installation Complete\n");
  EXPECT_NE(run.err.find("[6/9] REPINIMG \\models\\gta3.img, e123.dff, e123.dff\n"),
            std::string::npos)
      << run.err;
}

TEST_F(GoldenInstall, AnErrorSeenInAdvanceStopsAtItsLineWithExitOneBeforeAnyChange) {
  writeBytes(
      mod.file("ins.cfg"),
      "MAKEDIR data\\mymod\r\nADD missing.dff, data\\mymod\\x.dff\r\nDELETE data\\*.bak\r\n");
  const Tree before = snapshotTree(game);
  ProgramRun run = install();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("error 53: File not found"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ins.cfg line 2"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("nothing was changed"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Installation Complete"), std::string::npos);
  EXPECT_TRUE(snapshotTree(game) == before) << "the game changed";
  EXPECT_FALSE(fs::exists(mod.file("installing.tmp")));
  EXPECT_EQ(run.err.find("write access"), std::string::npos) << "the folder is writable";
}

TEST_F(GoldenInstall, AUserWhoMayNotChangeTheGameIsToldWhatRightsItNeeds) {
  writeBytes(mod.file("ins.cfg"), kScript);
  const Tree gameBefore = snapshotTree(game), modBefore = snapshotTree(mod.path());
  ProgramRun run = runProgram(
      "env", {std::string(kLimitedUserVariable) + "=1", TAMBERLIN_BINARY, "install", game},
      mod.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("error 70: Permission denied"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("The game folder needs write access: run this command as the folder's "
                         "owner or as root."),
            std::string::npos)
      << run.err;
  EXPECT_EQ(snapshotTree(game), gameBefore);
  EXPECT_EQ(snapshotTree(mod.path()), modBefore);
}

TEST_F(GoldenInstall, EngineQuestionsAreAnsweredNoUnlessToldToContinue) {
  writeBytes(mod.file("ins.cfg"),
             "ADDINIMG \\models\\gta3.img, nothere.col\r\nADD readme.txt, after.txt\r\n");
  const Tree before = snapshotGame(game);
  ProgramRun no = install();
  EXPECT_EQ(no.exitCode, 1);
  EXPECT_NE(no.out.find("[Veldra]"), std::string::npos) << no.out;
  EXPECT_NE(no.out.find("-> No"), std::string::npos) << no.out;
  EXPECT_EQ(snapshotGame(game), before);

  ProgramRun yes = install({"--continue-on-error"});
  EXPECT_EQ(yes.exitCode, 0) << yes.out << yes.err;
  EXPECT_NE(yes.out.find("-> Yes"), std::string::npos) << yes.out;
  EXPECT_EQ(readBytes(game + "/after.txt"), "Read me\r\n");
  EXPECT_EQ(readBytes(game + "/models/gta3.img"), before.at("models/gta3.img"));
}

TEST_F(GoldenInstall, DryRunChangesNothingAtAll) {
  writeBytes(mod.file("ins.cfg"), kScript);
  const Tree gameBefore = snapshotTree(game), modBefore = snapshotTree(mod.path());
  ProgramRun run = install({"--dry-run"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(snapshotTree(game), gameBefore);
  EXPECT_EQ(snapshotTree(mod.path()), modBefore) << "not even installing.tmp";
  EXPECT_NE(run.out.find("replace entry 124 \"e123.dff\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("replace entry 201 \"ramp.col\""), std::string::npos)
      << "an entry added earlier is found: " << run.out;
  EXPECT_NE(run.out.find("0 problems"), std::string::npos) << run.out;
}

TEST_F(GoldenInstall, DryRunFindsWhatWouldFail) {
  writeBytes(mod.file("ins.cfg"),
             "ADD nothere.txt, x.txt\r\nREPINIMG \\models\\gta3.img, E123.dff, e123.dff\r\n"
             "ADD readme.txt, nofolder\\x.txt\r\nMAKEDIR ..\\out\r\n");
  const Tree gameBefore = snapshotTree(game);
  ProgramRun run = install({"--dry-run"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("\"nothere.txt\" does not exist"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("did you mean \"e123.dff\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("does not exist (error 76)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("leave the game folder"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("4 problems"), std::string::npos) << run.out;
  EXPECT_EQ(snapshotTree(game), gameBefore);
}

TEST_F(GoldenInstall, DryRunFollowsWhatEarlierLinesWouldDo) {
  writeBytes(mod.file("ins.cfg"),
             "ADD readme.txt, data\\new.bak\r\nDELETE data\\*.BAK\r\nDELETE data\\*.bak\r\n"
             "MAKEDIR data\\x\r\nMAKEDIR data\\x\r\nADD readme.txt, DATA\\X\\r.txt\r\n");
  ProgramRun run = install({"--dry-run"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  for (const char* deleted : {"data\\new.bak", "data\\old.bak", "data\\OTHER.BAK"})
    EXPECT_NE(run.out.find("delete " + displayPath(game + "\\" + deleted) + "\n"),
              std::string::npos)
        << deleted << "\n"
        << run.out;
  EXPECT_NE(run.out.find("*.bak: matches nothing"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("already there"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("r.txt (new file)"), std::string::npos) << run.out;
}

TEST_F(GoldenInstall, DryRunNamesAnAddedEntryAsTheInstallDoes) {
  // A name too long for its field is cut as the engine cuts it: a later replace line finds the
  // entry in the dry run exactly when it does in the install.
  writeBytes(mod.file("abcdefghijklmnopqrstuvwxyz.col"), "col");
  for (const char* lookup : {"abcdefghijklmnopqrstuvw", "abcdefghijklmnopqrstuvwx"}) {
    writeBytes(game + "/models/gta3.img", gameArchive());
    writeBytes(mod.file("ins.cfg"),
               std::string("ADDINIMG \\models\\gta3.img, ") + "abcdefghijklmnopqrstuvwxyz.col\r\n" +
                   "REPINIMG \\models\\gta3.img, " + lookup + ", readme.txt\r\n");
    ProgramRun dry = install({"--dry-run"});
    ProgramRun real = install();
    EXPECT_EQ(dry.exitCode, real.exitCode) << lookup << "\n" << dry.out << real.out << real.err;
  }
}

TEST_F(GoldenInstall, TheGameFolderMustHoldGtaSaExeExactly) {
  writeBytes(mod.file("ins.cfg"), "MAKEDIR newdir\r\n");
  fs::rename(game + "/gta_sa.exe", game + "/GTA_SA.EXE");
  ProgramRun wrongCase = install();
  EXPECT_EQ(wrongCase.exitCode, 1);
  EXPECT_NE(wrongCase.err.find("gta_sa.exe"), std::string::npos);
  EXPECT_FALSE(fs::exists(game + "/newdir"));
  EXPECT_FALSE(fs::exists(mod.file("installing.tmp")));
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"install", mod.path()}, mod.path()).exitCode, 1);
}

TEST_F(GoldenInstall, UsageErrorsExitTwo) {
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"install"}, mod.path()).exitCode, 2);
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"install", game, "--bogus"}, mod.path()).exitCode, 2);
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"install", game, game}, mod.path()).exitCode, 2);
}

/// The entries of an archive as the game would load them: name -> the bytes of its sectors.
std::map<std::string, std::string> entryData(const std::string& archive) {
  std::map<std::string, std::string> out;
  for (const Rec& r : test::parseArchive(archive).records)
    out[r.name] = archive.substr(std::size_t{r.offset} * kSector, std::size_t{r.size} * kSector);
  return out;
}

/// Runs ImgInstall in the rig's folders through `fs`; true when it completed.
bool installThrough(test::InstallRig& rig, FileSystem& fs) {
  test::RecordingStatus status;
  test::ScriptedBoxes boxes;
  InstallWindow window;
  Form1Install form(fs, boxes, status, window);
  form.saPath = rig.game;
  try {
    form.ImgInstall();
  } catch (const ProgramEnd& end) {
    return end.exitCode == 0 && form.forceCloseInt == 1;
  }
  return false;
}

TEST(CrashThenRunAgain, ACrashAtAnyChangeThenASecondRunGivesTheFinishedInstallation) {
  const std::string script =
      "MAKEDIR mymod\r\nADD big.bin, mymod\\big.bin\r\nADD small.txt, gta_sa.exe\r\n"
      "DELETE mymod\\*.old\r\nREPINIMG \\models\\gta3.img, car.dff, big.bin\r\n"
      "REPINIMG \\models\\gta3.img, b.txd, small.txt\r\n";
  const std::string big = pattern(77, (2 << 20) + 5), small = "small file";
  auto prepare = [&](test::InstallRig& rig) {
    rig.writeScript(script);
    rig.writeMod("big.bin", big);
    rig.writeMod("small.txt", small);
  };
  test::InstallRig clean;
  prepare(clean);
  ASSERT_TRUE(installThrough(clean, realFileSystem()));
  Tree want = snapshotGame(clean.game);
  const auto wantEntries = entryData(want["models/gta3.img"]);
  want.erase("models/gta3.img");

  for (long k = 0;; ++k) {
    test::InstallRig rig;
    prepare(rig);
    FaultFileSystem faulty(realFileSystem());
    faulty.crashAfterChanges(k);
    bool crashed = false;
    try {
      installThrough(rig, faulty);
    } catch (const SimulatedCrash&) {
      crashed = true;
    }
    // Whatever the crash left, no game file is half-written.
    Tree left = snapshotGame(rig.game);
    if (left.count("mymod/big.bin")) {
      EXPECT_EQ(left["mymod/big.bin"], big) << "crash at " << k;
    }
    EXPECT_TRUE(left["gta_sa.exe"] == "MZ" || left["gta_sa.exe"] == small) << "crash at " << k;
    // Running again finishes the job.
    ASSERT_TRUE(installThrough(rig, realFileSystem())) << "second run after a crash at " << k;
    Tree got = snapshotGame(rig.game);
    EXPECT_EQ(entryData(got["models/gta3.img"]), wantEntries) << "crash at " << k;
    got.erase("models/gta3.img");
    EXPECT_EQ(got, want) << "crash at " << k;
    if (!crashed) break;
  }
}

}  // namespace
}  // namespace tamberlin
