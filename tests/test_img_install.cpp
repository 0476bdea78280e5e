#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/runtime_error.h"
#include "support/flush_log.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;
using test::FlushLog;
using test::InstallOutcome;
using test::InstallRig;
using test::makeArchive;
using test::nameField;
using test::parseArchive;
using test::Parsed;
using test::readBytes;
using test::Rec;
using test::writeBytes;

constexpr std::size_t kSector = 2048;

std::string sectorData(const std::string& archive, const Rec& r, std::size_t n) {
  return archive.substr(std::size_t{r.offset} * kSector, n);
}

std::size_t count(const std::vector<std::string>& v, const std::string& s) {
  return static_cast<std::size_t>(std::count(v.begin(), v.end(), s));
}

class ImgInstallTest : public ::testing::Test {
 protected:
  InstallOutcome install(const std::string& script) {
    rig.writeScript(script);
    return rig.install();
  }
  Parsed archive() const { return parseArchive(readBytes(rig.archivePath())); }

  InstallRig rig;
};

// --- the installation as a whole -------------------------------------------------------------

TEST_F(ImgInstallTest, ReadsAndListsTheArchiveThenCompletes) {
  InstallOutcome o = install("");
  EXPECT_TRUE(o.completed);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(rig.form.forceCloseInt, 1);
  EXPECT_EQ(rig.status.history,
            (std::vector<std::string>{"Reading IMG...", "", "Installing", "Installing"}));
  EXPECT_EQ(rig.form.List1.count(), 3u);
  EXPECT_EQ(rig.form.List1.item(1), "car.dff");
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, "Installation Complete");
  EXPECT_EQ(rig.boxes.shown[0].title, "Tamberlin");
  EXPECT_EQ(rig.boxes.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(rig.boxes.shown[0].icon, MsgIcon::None);
}

TEST_F(ImgInstallTest, AnErrorTheCheckForeseesEndsItBeforeAnyChange) {
  rig.writeMod("a.txt", "A");
  // The line's own error, before the first change; one the check cannot foresee ends the
  // installation where it happens (DurableInstall below).
  InstallOutcome o = install("ADD a.txt, a.txt\r\nADD missing.txt, b.txt\r\nADD a.txt, c.txt\r\n");
  EXPECT_FALSE(o.ended);
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_NE(o.detail.find("ins.cfg line 2 (ADD): missing.txt"), std::string::npos) << o.detail;
  EXPECT_EQ(rig.form.forceCloseInt, 0);
  EXPECT_TRUE(rig.boxes.shown.empty());
  EXPECT_FALSE(fs::exists(rig.gameFile("a.txt")));
  EXPECT_FALSE(fs::exists(rig.modFile("installing.tmp")));
}

TEST_F(ImgInstallTest, MissingScriptRunsNoCommand) {
  InstallOutcome o = rig.install();
  EXPECT_EQ(o.error, err::kBadFileNameOrNumber);
  EXPECT_EQ(rig.form.List1.count(), 3u) << "the archive is read and listed first";
}

// --- replacing ---------------------------------------------------------------------------------

TEST_F(ImgInstallTest, ReplacingTheFirstEntryShowsNoSearchText) {
  rig.writeMod("new.dff", "NEWDATA");
  ASSERT_TRUE(install("REPINIMG \\models\\gta3.img, a.dff, new.dff\r\n").completed);
  const std::string bytes = readBytes(rig.archivePath());
  Parsed p = parseArchive(bytes);
  EXPECT_EQ(p.records[0].offset, 8u) << "appended at the archive's end";
  EXPECT_EQ(p.records[0].size, 1u);
  EXPECT_EQ(sectorData(bytes, p.records[0], 7), "NEWDATA");
  for (const std::string& s : rig.status.history)
    EXPECT_EQ(s.find("Replacing File File:"), std::string::npos) << s;
}

TEST_F(ImgInstallTest, SearchTextShowsThePositionOfTheMatchOnly) {
  rig.writeMod("b.txd", "B2");
  ASSERT_TRUE(install("REPINIMG \\models\\gta3.img, b.txd, b.txd\r\n").completed);
  const auto& h = rig.status.history;
  auto at = std::find(h.begin(), h.end(), "Replacing File File: b.txd - 2");
  ASSERT_NE(at, h.end());
  EXPECT_EQ(count(h, "Replacing File File: b.txd - 1"), 0u) << "no write per entry passed";
  EXPECT_EQ(*(at + 1), "Replacing IMG File (b.txd)...") << "the engine writes its own text after";
  EXPECT_EQ(archive().records[2].offset, 8u);
}

TEST_F(ImgInstallTest, TheFirstOfTwoEqualNamesIsReplaced) {
  writeBytes(rig.archivePath(),
             makeArchive({{4, 1, "x.dff"}, {5, 1, "dup.dff"}, {6, 1, "dup.dff"}}, 7 * kSector));
  rig.writeMod("dup.dff", "D");
  ASSERT_TRUE(install("REPINIMG \\models\\gta3.img, dup.dff, dup.dff\r\n").completed);
  Parsed p = archive();
  EXPECT_EQ(p.records[1].offset, 7u);
  EXPECT_EQ(p.records[2].offset, 6u);
}

TEST_F(ImgInstallTest, AnUnknownNameEndsWithAnErrorAndASuggestionAndChangesNothing) {
  rig.writeMod("car.dff", "C");
  const std::string before = readBytes(rig.archivePath());
  InstallOutcome o = install("REPINIMG \\models\\gta3.img, CAR.DFF, car.dff\r\n");
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_NE(o.detail.find("\"CAR.DFF\""), std::string::npos) << o.detail;
  EXPECT_NE(o.detail.find("gta3.img"), std::string::npos) << o.detail;
  EXPECT_NE(o.detail.find("did you mean \"car.dff\""), std::string::npos) << o.detail;
  EXPECT_NE(o.detail.find("line 1"), std::string::npos) << o.detail;
  EXPECT_EQ(readBytes(rig.archivePath()), before);

  rig.form.numNumHH = 0;
  o = install("REPINIMG \\models\\gta3.img, nothing.dff, car.dff\r\n");
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_EQ(o.detail.find("did you mean"), std::string::npos) << o.detail;
}

TEST_F(ImgInstallTest, AMissingReplacementFileIsAnErrorNotASilentSuccess) {
  const std::string before = readBytes(rig.archivePath());
  InstallOutcome o = install("REPINIMG \\models\\gta3.img, car.dff, gone.dff\r\n");
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_NE(o.detail.find("gone.dff"), std::string::npos) << o.detail;
  EXPECT_EQ(readBytes(rig.archivePath()), before);
}

TEST_F(ImgInstallTest, BlankPaddingAfterANameIsNotPartOfIt) {
  std::string padded = "pad.col" + std::string(16, ' ') + '\0';
  writeBytes(rig.archivePath(), makeArchive({{4, 1, "a.dff"}, {5, 1, padded}}, 6 * kSector));
  rig.writeMod("pad.col", "P");
  ASSERT_TRUE(install("REPINIMG \\models\\gta3.img, pad.col, pad.col\r\n").completed);
  EXPECT_EQ(archive().records[1].offset, 6u);
}

// --- adding ------------------------------------------------------------------------------------

TEST_F(ImgInstallTest, EachAddShowsItsPathAsWrittenThenAddsTheFile) {
  fs::create_directories(rig.modFile("cols"));
  rig.writeMod("cols/one.col", "ONE");
  rig.writeMod("two.col", "TWO");
  ASSERT_TRUE(install("ADDINIMG \\models\\gta3.img, cols\\one.col\r\n"
                      "ADDINIMG \\models\\gta3.img,   two.col\r\n")
                  .completed);
  ASSERT_EQ(rig.boxes.shown.size(), 3u);
  EXPECT_EQ(rig.boxes.shown[0].text, "cols\\one.col");
  EXPECT_EQ(rig.boxes.shown[1].text, "two.col");
  EXPECT_EQ(rig.boxes.shown[1].title, "Tamberlin");
  EXPECT_EQ(rig.boxes.shown[2].text, "Installation Complete");
  Parsed p = archive();
  ASSERT_EQ(p.count, 5u);
  EXPECT_EQ(p.records[3].name, "one.col" + std::string(17, '\0'));
  EXPECT_EQ(p.records[4].name.substr(0, 7), "two.col");
  EXPECT_EQ(rig.form.List1.count(), 3u) << "the list shows the archive as it was read";
}

TEST_F(ImgInstallTest, AnEntryAddedEarlierInTheRunCanBeReplaced) {
  rig.writeMod("new.col", "FIRST");
  rig.writeMod("newer.col", "SECOND");
  ASSERT_TRUE(install("ADDINIMG \\models\\gta3.img, new.col\r\n"
                      "REPINIMG \\models\\gta3.img, new.col, newer.col\r\n")
                  .completed);
  const std::string bytes = readBytes(rig.archivePath());
  Parsed p = parseArchive(bytes);
  ASSERT_EQ(p.count, 4u);
  EXPECT_EQ(sectorData(bytes, p.records[3], 6), "SECOND");
  EXPECT_EQ(sectorData(bytes, p.records[1], 7), test::pattern(2, 7)) << "car.dff untouched";
}

TEST_F(ImgInstallTest, AnEntryAddedByAnEarlierRunCanBeReplaced) {
  rig.writeMod("new.col", "FIRST");
  ASSERT_TRUE(install("ADDINIMG \\models\\gta3.img, new.col\r\n").completed);
  InstallRig second(readBytes(rig.archivePath()));
  second.writeMod("newer.col", "SECOND");
  second.writeScript("REPINIMG \\models\\gta3.img, new.col, newer.col\r\n");
  ASSERT_TRUE(second.install().completed);
  const std::string bytes = readBytes(second.archivePath());
  EXPECT_EQ(sectorData(bytes, parseArchive(bytes).records[3], 6), "SECOND");
}

// --- other archives ----------------------------------------------------------------------------

class OtherArchiveTest : public ImgInstallTest {
 protected:
  void SetUp() override {
    writeBytes(other(), makeArchive({{2, 1, "x.dff"}, {3, 1, "car.dff"}}, 4 * kSector));
  }
  std::string other() const { return rig.gameFile("models/other.img"); }
};

TEST_F(OtherArchiveTest, ReplaceUsesTheNamedArchivesOwnDirectory) {
  rig.writeMod("car.dff", "CAR2");
  const std::string gta3 = readBytes(rig.archivePath());
  ASSERT_TRUE(install("REPINIMG models\\other.img, car.dff, car.dff\r\n").completed);
  EXPECT_EQ(readBytes(rig.archivePath()), gta3);
  const std::string bytes = readBytes(other());
  Parsed p = parseArchive(bytes);
  ASSERT_EQ(p.count, 2u);
  EXPECT_EQ(p.records[1].offset, 4u);
  EXPECT_EQ(sectorData(bytes, p.records[1], 4), "CAR2");
  EXPECT_EQ(p.records[0].offset, 2u);
}

TEST_F(OtherArchiveTest, AddGrowsTheNamedArchiveOnlyAndItIsReadOnce) {
  rig.writeMod("y.col", "Y");
  rig.writeMod("y2.col", "Y2");
  const std::string gta3 = readBytes(rig.archivePath());
  ASSERT_TRUE(install("ADDINIMG models\\other.img, y.col\r\n"
                      "REPINIMG models\\OTHER.IMG, y.col, y2.col\r\n"
                      "REPINIMG \\models\\other.img, x.dff, y2.col\r\n")
                  .completed);
  EXPECT_EQ(readBytes(rig.archivePath()), gta3);
  Parsed p = archive();
  EXPECT_EQ(p.count, 3u);
  Parsed o = parseArchive(readBytes(other()));
  ASSERT_EQ(o.count, 3u);
  EXPECT_EQ(o.records[2].name.substr(0, 5), "y.col");
  EXPECT_EQ(count(rig.status.history, "Reading IMG..."), 2u) << "gta3.img and other.img, once each";
}

TEST_F(OtherArchiveTest, ANameOnlyInTheGameArchiveIsNotFoundInAnother) {
  rig.writeMod("b.txd", "B");
  const std::string before = readBytes(other());
  InstallOutcome o = install("REPINIMG models\\other.img, b.txd, b.txd\r\n");
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_NE(o.detail.find("other.img"), std::string::npos) << o.detail;
  EXPECT_EQ(readBytes(other()), before);
}

TEST_F(OtherArchiveTest, ReplacingInAMissingArchiveMakesNoFile) {
  rig.writeMod("car.dff", "C");
  InstallOutcome o = install("REPINIMG models\\none.img, car.dff, car.dff\r\n");
  EXPECT_EQ(o.error, err::kFileNotFound);
  EXPECT_NE(o.detail.find("none.img"), std::string::npos) << o.detail;
  EXPECT_FALSE(fs::exists(rig.gameFile("models/none.img")));
}

TEST_F(OtherArchiveTest, AddingToAMissingArchiveStartsANewOne) {
  rig.writeMod("first.col", "FIRST");
  ASSERT_TRUE(install("ADDINIMG models\\new.img, first.col\r\n").completed);
  const std::string bytes = readBytes(rig.gameFile("models/new.img"));
  Parsed p = parseArchive(bytes);
  EXPECT_EQ(p.magic, "VER2");
  ASSERT_EQ(p.count, 1u);
  EXPECT_EQ(p.records[0].name.substr(0, 9), "first.col");
  EXPECT_EQ(sectorData(bytes, p.records[0], 5), "FIRST");
}

TEST_F(ImgInstallTest, TwoSpellingsOfTheGameArchiveShareOneTable) {
  rig.writeMod("n.col", "N");
  rig.writeMod("m.col", "M");
  const InstallOutcome o = install(
      "ADDINIMG models\\GTA3.IMG, n.col\r\n"
      "ADDINIMG \\models\\.\\gta3.img, m.col\r\n"
      "REPINIMG models/gta3.img, n.col, m.col\r\n");
  ASSERT_TRUE(o.completed) << o.detail;
  Parsed p = archive();
  ASSERT_EQ(p.count, 5u);
  EXPECT_EQ(count(rig.status.history, "Reading IMG..."), 1u);
  EXPECT_EQ(p.records[3].name.substr(0, 5), "n.col");
  EXPECT_EQ(p.records[4].name.substr(0, 5), "m.col");
}

// --- durable before complete -------------------------------------------------------------------

std::size_t flushes(const std::string& log) {
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), 's'));
}

TEST(DurableInstall, EveryArchiveIsFlushedAfterItsLastChangeAndOncePerChangeLess) {
  FlushLog log;
  InstallRig rig(InstallRig::defaultArchive(), log);
  const std::string other = rig.gameFile("models/other.img");
  writeBytes(other, makeArchive({{2, 1, "x.dff"}}, 3 * kSector));
  rig.writeMod("n.col", "N");
  rig.writeMod("m.col", "M");
  rig.writeScript(
      "ADDINIMG \\models\\gta3.img, n.col\r\n"
      "ADDINIMG models\\other.img, n.col\r\n"
      "REPINIMG \\models\\gta3.img, car.dff, m.col\r\n"
      "ADDINIMG \\models\\gta3.img, m.col\r\n");
  ASSERT_TRUE(rig.install().completed);
  EXPECT_EQ(rig.boxes.shown.back().text, "Installation Complete");
  const std::string gta3 = log.kinds(rig.archivePath());
  ASSERT_FALSE(gta3.empty());
  EXPECT_EQ(gta3.back(), 's') << gta3;
  // Three changes without moves, each with one flush where it had two, and one at the end.
  EXPECT_EQ(flushes(gta3), 3u + 1u) << gta3;
  EXPECT_EQ(log.kinds(other).back(), 's') << log.kinds(other);
  EXPECT_EQ(parseArchive(readBytes(rig.archivePath())).count, 5u);
}

TEST(DurableInstall, ALineThatFailsStillLeavesTheArchiveFlushed) {
  FlushLog log;
  InstallRig rig(InstallRig::defaultArchive(), log);
  rig.writeMod("n.col", "N");
  // A name the system refuses, which no check before the first change can foresee.
  const std::string refused(300, 'x');
  rig.writeScript("ADDINIMG \\models\\gta3.img, n.col\r\nADD n.col, " + refused + "\r\n");
  InstallOutcome o = rig.install();
  // Linux says 75; Windows names the refusal in its own words and number.
  EXPECT_NE(o.error, 0) << "the line's own error is reported";
  EXPECT_NE(o.detail.find(refused), std::string::npos) << o.detail;
  const std::string gta3 = log.kinds(rig.archivePath());
  ASSERT_FALSE(gta3.empty());
  EXPECT_EQ(gta3.back(), 's') << gta3;
  EXPECT_EQ(parseArchive(readBytes(rig.archivePath())).count, 4u);
}

}  // namespace
}  // namespace tamberlin
