// The check before an installation's first change: a line that would end the installation
// ends it before anything changes, with the error the line itself gives when it runs.
#include <gtest/gtest.h>

#include "platform/win_path.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

using test::InstallOutcome;
using test::InstallRig;
using test::snapshotTree;

struct Case {
  const char* name;
  const char* script;  ///< lines 1 and 2 change the game; the failing line comes after
};

// The game has models\gta3.img (a.dff, car.dff, b.txd); the mod has new.dff.
const Case kCases[] = {
    {"EntryNameInTheWrongCase", "REPINIMG \\models\\gta3.img, CAR.DFF, new.dff\r\n"},
    {"ArchiveMissing", "REPINIMG \\models\\none.img, car.dff, new.dff\r\n"},
    {"ReplacementMissing", "REPINIMG \\models\\gta3.img, car.dff, none.dff\r\n"},
    {"EntryBeforeReplacement", "REPINIMG \\models\\gta3.img, none.dff, none.dff\r\n"},
    {"ArchiveOutside", "REPINIMG ..\\gta3.img, car.dff, new.dff\r\n"},
    {"SourceMissing", "ADD none.txt, data\\none.txt\r\n"},
    {"DestinationFolderMissing", "ADD new.dff, nowhere\\new.dff\r\n"},
    {"DestinationFolderBeforeSource", "ADD none.txt, nowhere\\none.txt\r\n"},
    {"DestinationIsAFolder", "ADD new.dff, data\r\n"},
    {"DestinationWithDotDot", "ADD new.dff, data\\..\\data\\x.dff\r\n"},
    {"DestinationInOurOwnFolder", "ADD new.dff, TAMBER~1\\x.dff\r\n"},
    {"DeleteInOurOwnFolder", "DELETE .\\tamberlin. \\installs\\*\r\n"},
    {"TooFewFields", "ADD new.dff\r\n"},
    {"DeleteEmpty", "DELETE \r\n"},
    {"DeleteAFolder", "DELETE data\r\n"},
    {"MakeDirParentMissing", "MAKEDIR no\\such\r\n"},
    {"MakeDirOverAFile", "MAKEDIR data\\made.txt\r\n"},
    {"ReplaceAfterAnAddIntoAnotherCase",
     "ADDINIMG \\models\\gta3.img, new.dff\r\n"
     "REPINIMG \\models\\gta3.img, NEW.DFF, new.dff\r\n"},
};

class InstallCheck : public ::testing::TestWithParam<Case> {};

std::string prefix() {
  return "MAKEDIR data\r\nADD new.dff, data\\made.txt\r\n";
}

/// `text` with the game folder's path, which differs from rig to rig, as "<game>".
std::string withoutGame(std::string text, const InstallRig& rig) {
  const std::string game = displayPath(rig.game);
  for (std::size_t at; (at = text.find(game)) != std::string::npos;)
    text.replace(at, game.size(), "<game>");
  return text;
}

TEST_P(InstallCheck, EndsBeforeAnyChangeWithTheLinesOwnError) {
  InstallOutcome running;  // the lines run one by one, without the check
  {
    InstallRig rig;
    rig.writeMod("new.dff", std::string(3000, 'n'));
    rig.writeScript(prefix() + GetParam().script);
    running = rig.analyse();
    running.detail = withoutGame(running.detail, rig);
    ASSERT_NE(running.error, 0) << "the line fails when it runs";
    EXPECT_TRUE(snapshotTree(rig.game).count("data/made.txt")) << "lines 1 and 2 ran";
  }
  InstallRig rig;
  rig.writeMod("new.dff", std::string(3000, 'n'));
  rig.writeScript(prefix() + GetParam().script);
  const auto gameBefore = snapshotTree(rig.game);
  const auto modBefore = snapshotTree(rig.mod.path());
  InstallOutcome checked = rig.install();
  EXPECT_EQ(checked.error, running.error);
  EXPECT_EQ(withoutGame(checked.detail, rig), running.detail);
  EXPECT_FALSE(checked.completed);
  EXPECT_TRUE(snapshotTree(rig.game) == gameBefore) << "the game changed";
  EXPECT_TRUE(snapshotTree(rig.mod.path()) == modBefore) << "not even installing.tmp";
  EXPECT_EQ(rig.form.commandsDone(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Lines, InstallCheck, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstallCheckPasses, WhatEarlierLinesMakeAndWhatTheCheckCannotSee) {
  InstallRig rig;
  rig.writeMod("new.dff", "N");
  // Folders, files and entries that earlier lines make count; an ADDINIMG of a missing file
  // is the engine's question at its time, answered here with Yes.
  rig.boxes.answers = {MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Yes};
  rig.writeScript(
      "MAKEDIR data\r\nMAKEDIR data\\sub\r\nADD new.dff, data\\sub\\x.dff\r\n"
      "ADDINIMG \\models\\gta3.img, new.dff\r\nREPINIMG \\models\\gta3.img, new.dff, new.dff\r\n"
      "DELETE data\\sub\\x.dff\r\nADDINIMG \\models\\gta3.img, none.dff\r\n");
  InstallOutcome o = rig.install();
  EXPECT_EQ(o.error, 0) << o.detail;
  EXPECT_TRUE(snapshotTree(rig.game).count("data/sub"));
}

}  // namespace
}  // namespace tamberlin
