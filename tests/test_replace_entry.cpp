#include <gtest/gtest.h>

#include <filesystem>

#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/fault_file_system.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

using test::dataOf;
using test::enginePrompt;
using test::EngineRig;
using test::makeArchive;
using test::parseArchive;
using test::pattern;
using test::readBytes;
using test::Rec;
using test::sameBytes;
using test::TempDir;
using test::writeBytes;

const char* const kSub = "Sub ReplaceFileInIMG";

class ReplaceEntryTest : public ::testing::Test {
 protected:
  void openArchive(const std::string& bytes, FileSystem& fs = realFileSystem()) {
    writeBytes(archive, bytes);
    rig = std::make_unique<EngineRig>(fs);
    rig->engine.ReadIMG(archive);
    ASSERT_TRUE(rig->engine.tableComplete());
    rig->engine.imgPath = archive;
  }
  std::string modFile(const std::string& name, std::size_t n, std::uint32_t tag = 77) {
    std::string p = dir.file(name);
    writeBytes(p, pattern(tag, n));
    return p;
  }
  /// Replaces slot `k`; returns the byte count the routine hands back.
  std::int32_t replace(std::int32_t k, const std::string& file) {
    std::int32_t count = 0;
    rig->engine.ReplaceFileInIMG(k, file, 0, count);
    return count;
  }

  TempDir dir;
  std::unique_ptr<EngineRig> rig;
  std::string archive = dir.file("gta3.img");
};

// Two entries in an archive of 10 sectors.
std::string tenSectors(std::size_t extra = 0) {
  return makeArchive({{1, 4, "infernus.dff"}, {5, 5, "infernus.txd"}}, 10 * 2048 + extra);
}

TEST_F(ReplaceEntryTest, AppendsDataAndPointsRecordThere) {
  openArchive(tenSectors());
  const std::string before = readBytes(archive);
  EXPECT_EQ(replace(2, modFile("new.txd", 100)), 100);
  EXPECT_TRUE(rig->boxes.shown.empty()) << rig->onlyBox();

  const std::string after = readBytes(archive);
  ASSERT_EQ(after.size(), 20580u);
  EXPECT_EQ(after.substr(40, 8), std::string("\x0A\0\0\0\x01\0\0\0", 8));
  EXPECT_TRUE(sameBytes(after.substr(20480), pattern(77, 100)));
  EXPECT_TRUE(sameBytes(after.substr(0, 40), before.substr(0, 40)));
  EXPECT_TRUE(sameBytes(after.substr(48, 20480 - 48), before.substr(48)))
      << "name bytes and old data stay";
  EXPECT_EQ(rig->engine.IMGDir[2].offset, 10);
  EXPECT_EQ(rig->engine.IMGDir[2].size, 1);
  EXPECT_EQ(
      rig->status.history,
      (std::vector<std::string>{"Reading IMG...", "", "Replacing IMG File (infernus.txd)...", ""}));
  EXPECT_EQ(rig->status.lastDone, 100u);
}

TEST_F(ReplaceEntryTest, UnalignedArchiveEndRoundsUpToNextSector) {
  openArchive(tenSectors(1));
  replace(1, modFile("new.dff", 10));
  auto p = parseArchive(readBytes(archive));
  EXPECT_EQ(p.records[0].offset, 11u);
  EXPECT_EQ(readBytes(archive).size(), 11u * 2048 + 10);
}

TEST_F(ReplaceEntryTest, SizeRoundsUpAtSectorBoundary) {
  openArchive(tenSectors());
  replace(1, modFile("a.dff", 2048));
  EXPECT_EQ(rig->engine.IMGDir[1].size, 1);
  replace(1, modFile("b.dff", 2049));
  EXPECT_EQ(rig->engine.IMGDir[1].size, 2);
  auto p = parseArchive(readBytes(archive));
  EXPECT_EQ(p.records[0].offset, 11u) << "the second replace follows the first";
  EXPECT_EQ(p.records[0].size, 2u);
}

TEST_F(ReplaceEntryTest, SameSizeStillAppendsAndTwiceAppendsTwice) {
  openArchive(tenSectors());
  const std::string before = readBytes(archive);
  const std::string file = modFile("same.dff", 4 * 2048);
  replace(1, file);
  replace(1, file);
  const std::string after = readBytes(archive);
  auto p = parseArchive(after);
  EXPECT_EQ(p.records[0].offset, 14u);
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[0], 4 * 2048), pattern(77, 4 * 2048)));
  EXPECT_TRUE(sameBytes(after.substr(2048, 4 * 2048), before.substr(2048, 4 * 2048)))
      << "old data remains";
  EXPECT_EQ(after.size(), 18u * 2048);
}

TEST_F(ReplaceEntryTest, ClearsHighSizeBytesKeepsNameBytesAfterNul) {
  std::string name = std::string("a.dff") + '\0' + "leftover-bytes-here";
  std::string bytes = makeArchive({{1, 1, name}}, 2 * 2048);
  bytes[8 + 6] = 1;  // both size halves 1, as some tools write them
  openArchive(bytes);
  ASSERT_EQ(rig->engine.IMGDir[1].size, 1) << "bytes 6-7, as the game reads them";
  replace(1, modFile("a.dff", 10));
  const std::string after = readBytes(archive);
  EXPECT_EQ(after.substr(8, 8), std::string("\x02\0\0\0\x01\0\0\0", 8));
  EXPECT_EQ(after.substr(16, 24), test::nameField(name));
}

TEST_F(ReplaceEntryTest, MissingHiddenOrEmptyFileChangesNothingSilently) {
  openArchive(tenSectors());
  const std::string before = readBytes(archive);
  std::filesystem::create_directory(dir.file("folder"));
  for (const std::string& file : {dir.file("missing.dff"), modFile(".hidden.dff", 10),
                                  modFile("empty.dff", 0), dir.file("folder")}) {
    std::int32_t count = -5;
    rig->engine.ReplaceFileInIMG(1, file, 0, count);
    EXPECT_EQ(count, -5) << file;
    EXPECT_TRUE(rig->boxes.shown.empty()) << file;
    EXPECT_EQ(rig->status.current, "");
  }
  EXPECT_TRUE(sameBytes(readBytes(archive), before));
  EXPECT_EQ(rig->engine.IMGDir[1].offset, 1);
}

TEST_F(ReplaceEntryTest, SlotOutOfRangeIsErrorNineToCaller) {
  openArchive(tenSectors());
  const std::string before = readBytes(archive);
  const std::string file = modFile("x.dff", 10);
  for (std::int32_t k : {0, 3, -1}) {
    try {
      replace(k, file);
      FAIL() << "slot " << k;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), 9);
      EXPECT_NE(e.text().find("there is no entry " + std::to_string(k)), std::string::npos);
    }
  }
  EXPECT_TRUE(sameBytes(readBytes(archive), before));
  EXPECT_EQ(rig->status.history.back(), "") << "no status before the slot is known";

  rig->engine.IMGDir[1].dirPos = 0;
  try {
    replace(1, file);
    FAIL() << "a slot without a record position";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 9);
    EXPECT_NE(e.text().find("entry 1 has no record position"), std::string::npos);
  }
  EXPECT_TRUE(sameBytes(readBytes(archive), before));

  EngineRig neverRead;
  std::int32_t count = 0;
  EXPECT_THROW(neverRead.engine.ReplaceFileInIMG(1, file, 0, count), RuntimeError);
}

TEST_F(ReplaceEntryTest, NameWithoutNulShowsAll24Characters) {
  openArchive(makeArchive({{1, 1, "abcdefghijklmnopqrst.dff"}}, 2 * 2048));
  replace(1, modFile("x.dff", 10));
  EXPECT_EQ(rig->status.history.at(2), "Replacing IMG File (abcdefghijklmnopqrst.dff)...");
}

TEST_F(ReplaceEntryTest, EntryAddedInSameRunCanBeReplaced) {
  openArchive(tenSectors());
  const std::int32_t zero = 0;
  rig->engine.UseFileNameToIMG(modFile("car.dff", 100, 1), zero, zero, "");
  replace(3, modFile("car2.dff", 300, 2));
  EXPECT_TRUE(rig->boxes.shown.empty()) << rig->onlyBox();
  const std::string after = readBytes(archive);
  auto p = parseArchive(after);
  ASSERT_EQ(p.count, 3u);
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[2], 300), pattern(2, 300)));
  EXPECT_EQ(p.records[2].name, "car.dff" + std::string(17, '\0'));
}

TEST_F(ReplaceEntryTest, YesAbandonsReplaceNoEndsProgram) {
  const std::string file = modFile("new.txd", 5000);
  for (long nth = 1;; ++nth) {
    FaultFileSystem faults(realFileSystem());
    openArchive(tenSectors(), faults);
    const std::string before = readBytes(archive);
    faults.failCall(FsCall::Write, nth, err::kDiskFull);
    rig->boxes.answers = {MsgAnswer::Yes};
    replace(2, file);
    if (rig->boxes.shown.empty()) {
      EXPECT_GT(nth, 2) << "the data and the record are separate writes";
      break;
    }
    EXPECT_EQ(rig->onlyBox(), enginePrompt("Error # ", 61, "Disk full: " + archive, kSub));
    ASSERT_TRUE(sameBytes(readBytes(archive), before)) << "write " << nth;
    EXPECT_EQ(rig->engine.IMGDir[2].offset, 5);
    EXPECT_EQ(rig->engine.IMGDir[2].size, 5);
    EXPECT_EQ(rig->status.current, "");
  }
  // A failure of the last flush, after the record was written, is taken back too.
  FaultFileSystem faults(realFileSystem());
  openArchive(tenSectors(), faults);
  const std::string before = readBytes(archive);
  faults.failCall(FsCall::Sync, 2, err::kDeviceIO);
  rig->boxes.answers = {MsgAnswer::Yes};
  replace(2, file);
  EXPECT_EQ(rig->boxes.shown.size(), 1u);
  EXPECT_TRUE(sameBytes(readBytes(archive), before));

  openArchive(tenSectors(), faults);
  faults.failCall(FsCall::Sync, 1, err::kDeviceIO);
  rig->boxes.answers = {MsgAnswer::No};
  EXPECT_THROW(replace(2, file), ProgramEnd);
}

// When even taking the change back fails, the table no longer describes the file: the box
// says so and no later write trusts the table.
TEST_F(ReplaceEntryTest, FailedRollbackDistrustsTable) {
  FaultFileSystem faults(realFileSystem());
  openArchive(tenSectors(), faults);
  const std::string file = modFile("new.txd", 5000);
  faults.failCall(FsCall::Write, 2, err::kDiskFull);     // the record
  faults.failCall(FsCall::Truncate, 1, err::kDeviceIO);  // cutting the new data off again
  rig->boxes.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
  replace(2, file);
  ASSERT_EQ(rig->boxes.shown.size(), 1u);
  EXPECT_NE(rig->boxes.shown[0].text.find("Error # 61\rDisk full: " + archive +
                                          "; the archive could not be put back as it was"),
            std::string::npos)
      << rig->boxes.shown[0].text;
  EXPECT_FALSE(rig->engine.tableComplete());
  EXPECT_EQ(rig->engine.IMGDir[2].offset, 5) << "the table keeps what the record still says";

  replace(2, file);
  ASSERT_EQ(rig->boxes.shown.size(), 2u);
  EXPECT_EQ(rig->boxes.shown[1].text.substr(0, 10), "Error # 5\r");
  EXPECT_EQ(parseArchive(readBytes(archive)).records[1].offset, 5u) << "the record never changed";
}

TEST_F(ReplaceEntryTest, RefusesTableOfAnotherOrChangedArchive) {
  const std::string file = modFile("x.dff", 10);
  openArchive(tenSectors());
  std::string other = dir.file("other.img");
  writeBytes(other, tenSectors());
  rig->engine.imgPath = other;
  rig->boxes.answers = {MsgAnswer::Yes};
  replace(1, file);
  EXPECT_EQ(rig->onlyBox().substr(0, 10), "Error # 5\r");
  EXPECT_TRUE(sameBytes(readBytes(other), tenSectors()));

  std::string grown =
      makeArchive({{1, 4, "infernus.dff"}, {5, 5, "infernus.txd"}, {10, 0, "c"}}, 10 * 2048);
  writeBytes(archive, grown);
  rig->engine.imgPath = archive;
  rig->boxes.answers = {MsgAnswer::Yes};
  replace(1, file);
  EXPECT_EQ(rig->boxes.shown.size(), 2u);
  EXPECT_NE(
      rig->boxes.shown[1].text.find("the header counts 3 entries, the directory read holds 2"),
      std::string::npos);
  EXPECT_TRUE(sameBytes(readBytes(archive), grown));
}

TEST_F(ReplaceEntryTest, OverflowPastTwoGiBChangesNothing) {
  openArchive(tenSectors());
  std::filesystem::resize_file(archive,
                               (std::uintmax_t{1} << 31) - 2047);  // ends in sector 1,048,575
  rig->boxes.answers = {MsgAnswer::Yes};
  replace(1, modFile("x.dff", 10));
  EXPECT_EQ(rig->onlyBox().substr(0, 19), "Error # 6\rOverflow:");
  EXPECT_EQ(std::filesystem::file_size(archive), (std::uintmax_t{1} << 31) - 2047);
  EXPECT_EQ(parseArchive(test::readHead(archive, 4096)).records[0].offset, 1u);
}

}  // namespace
}  // namespace tamberlin
