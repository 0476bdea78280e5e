#include <gtest/gtest.h>

#include <filesystem>

#include "imgarchive/add_plan.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"
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

const std::int32_t kZero = 0;
const char* const kSub = "Sub UseFileNameToIMG";

class AddEntryTest : public ::testing::Test {
 protected:
  /// Writes `bytes` as the archive and reads its directory.
  void openArchive(const std::string& bytes) {
    writeBytes(archive, bytes);
    rig.engine.ReadIMG(archive);
    ASSERT_TRUE(rig.engine.tableComplete());
    rig.engine.imgPath = archive;
  }
  /// A file of `n` recognisable bytes to add.
  std::string modFile(const std::string& name, std::size_t n, std::uint32_t tag = 99) {
    std::string p = dir.file(name);
    writeBytes(p, pattern(tag, n));
    return p;
  }
  void add(const std::string& file, const std::string& name = "") {
    rig.engine.UseFileNameToIMG(file, kZero, kZero, name);
  }

  TempDir dir;
  EngineRig rig;
  std::string archive = dir.file("gta3.img");
};

// 3 entries, 20,480 bytes, the lowest at sector 1.
std::string threeEntries() {
  return makeArchive({{1, 4, "a.dff"}, {5, 3, "b.txd"}, {8, 2, "c.col"}}, 20480);
}

TEST_F(AddEntryTest, AddsToExistingArchive) {
  openArchive(threeEntries());
  const std::string before = readBytes(archive);
  add(modFile("car.dff", 5000));
  EXPECT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();

  const std::string after = readBytes(archive);
  ASSERT_EQ(after.size(), 25480u);
  EXPECT_EQ(after.substr(4, 4), std::string("\x04\0\0\0", 4));
  EXPECT_EQ(after.substr(104, 8), std::string("\x0A\0\0\0\x03\0\0\0", 8));
  EXPECT_EQ(after.substr(112, 24), "car.dff" + std::string(17, '\0'));
  EXPECT_TRUE(sameBytes(after.substr(20480), pattern(99, 5000)));
  EXPECT_TRUE(after.substr(0, 4) == "VER2" && after.substr(8, 96) == before.substr(8, 96))
      << "old magic and records kept";
  EXPECT_TRUE(after.substr(136, 20480 - 136) == before.substr(136)) << "old data untouched";

  ASSERT_EQ(rig.engine.IMGDir.size(), 5u);
  const IMGEntry& e = rig.engine.IMGDir[4];
  EXPECT_EQ(e.dirPos, 105) << "an added slot knows its record, so it can be replaced";
  EXPECT_EQ(e.offset, 10);
  EXPECT_EQ(e.size, 3);
  EXPECT_TRUE(rig.engine.tableHolds(archive));
  EXPECT_GT(rig.status.progressCalls, 0);
  EXPECT_EQ(rig.status.lastDone, 5000u);
}

TEST_F(AddEntryTest, StartsNewArchiveInEmptyFile) {
  for (const std::string& start : {std::string(), makeArchive({}, 8)}) {
    EngineRig fresh;
    writeBytes(archive, start);
    fresh.engine.ReadIMG(archive);
    fresh.engine.imgPath = archive;
    fresh.engine.UseFileNameToIMG(modFile("car.dff", 5000), kZero, kZero, "");
    EXPECT_TRUE(fresh.boxes.shown.empty()) << fresh.onlyBox();

    const std::string after = readBytes(archive);
    ASSERT_EQ(after.size(), 2048u + 5000u);
    EXPECT_EQ(after.substr(0, 8), std::string("VER2\x01\0\0\0", 8));
    EXPECT_EQ(after.substr(8, 8), std::string("\x01\0\0\0\x03\0\0\0", 8));
    EXPECT_EQ(after.substr(16, 24), "car.dff" + std::string(17, '\0'));
    EXPECT_TRUE(sameBytes(after.substr(2048), pattern(99, 5000)));
    ASSERT_EQ(fresh.engine.IMGDir.size(), 2u);
    EXPECT_EQ(fresh.engine.IMGDir[1].dirPos, 9);
    EXPECT_EQ(fresh.engine.IMGDir[1].offset, 1);
  }
}

std::vector<Rec> manyEntries(int n) {
  std::vector<Rec> recs;
  for (int k = 0; k < n; ++k)
    recs.push_back({static_cast<std::uint32_t>(1 + k), 1, "e" + std::to_string(k) + ".dff"});
  return recs;
}

TEST_F(AddEntryTest, SixtyTwoEntriesLeaveRoomSixtyThreeMoveTheLowest) {
  openArchive(makeArchive(manyEntries(62), 63 * 2048));
  add(modFile("car.dff", 10));
  {
    auto p = parseArchive(readBytes(archive));
    EXPECT_EQ(p.count, 63u);
    EXPECT_EQ(p.records[0].offset, 1u) << "nothing moves: the directory ends at byte 2024";
    EXPECT_EQ(p.records[62].offset, 63u);
  }

  EngineRig other;
  std::string archive63 = dir.file("63.img");
  writeBytes(archive63, makeArchive(manyEntries(63), 64 * 2048));
  other.engine.ReadIMG(archive63);
  other.engine.imgPath = archive63;
  other.engine.UseFileNameToIMG(modFile("car.dff", 10), kZero, kZero, "");
  const std::string after = readBytes(archive63);
  auto p = parseArchive(after);
  ASSERT_EQ(p.count, 64u);
  EXPECT_EQ(p.records[0].offset, 64u) << "the lowest entry moves to the end";
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[0], 2048), pattern(1, 2048)));
  EXPECT_EQ(p.records[63].offset, 65u);
  EXPECT_EQ(p.records[1].offset, 2u) << "only the entry in the way moves";
  EXPECT_EQ(other.engine.IMGDir[1].offset, 64);
}

TEST_F(AddEntryTest, MoveInArchiveOf40960Bytes) {
  std::vector<Rec> recs = manyEntries(63);
  recs[0].size = 2;  // sector 1, 2 sectors
  for (std::size_t k = 1; k < recs.size(); ++k) recs[k].offset = static_cast<std::uint32_t>(3 + k);
  for (std::size_t k = 17; k < recs.size(); ++k) recs[k].size = 0;  // keep the file 40,960 bytes
  openArchive(makeArchive(recs, 40960));
  const std::string before = readBytes(archive);
  add(modFile("car.dff", 100));
  const std::string after = readBytes(archive);
  auto p = parseArchive(after);
  EXPECT_TRUE(sameBytes(after.substr(40960, 4096), before.substr(2048, 4096)))
      << "4,096 bytes copied";
  EXPECT_EQ(p.records[0].offset, 20u);
  EXPECT_EQ(p.records[0].size, 2u);
  EXPECT_EQ(p.records[0].name, before.substr(16, 24)) << "its name bytes stay as they were";
  EXPECT_EQ(p.records[63].offset, 22u);
  EXPECT_TRUE(sameBytes(after.substr(45056), pattern(99, 100)));
  EXPECT_EQ(after.size(), 45056u + 100u);
}

// A lowest entry of 0 sectors frees nothing; the entry after it is in the way too and moves.
TEST_F(AddEntryTest, MovesEveryEntryTheGrownDirectoryReaches) {
  std::vector<Rec> recs = manyEntries(127);  // the grown directory ends at byte 4,104
  recs[0] = {2, 3, "big.dff"};               // starts at byte 4,096: in the way
  recs[1] = {1, 0, "empty.dff"};             // lowest, 0 sectors
  for (std::size_t k = 2; k < recs.size(); ++k) recs[k].offset = static_cast<std::uint32_t>(3 + k);
  openArchive(makeArchive(recs, (3 + 127) * 2048));
  const std::string before = readBytes(archive);
  add(modFile("car.dff", 3000));
  const std::string after = readBytes(archive);
  auto p = parseArchive(after);
  ASSERT_EQ(p.count, 128u);
  EXPECT_EQ(p.records[1].offset, 130u) << "the 0-sector entry moves first, to the end sector";
  EXPECT_EQ(p.records[0].offset, 130u) << "then the entry still in the way, right after it";
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[0], 3 * 2048), before.substr(4096, 3 * 2048)));
  EXPECT_EQ(p.records[127].offset, 133u);
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[127], 3000), pattern(99, 3000)));
  EXPECT_EQ(p.records[2].offset, 5u);
}

TEST(AddPlan, MovesLowestOffsetFirstLowerSlotAmongEqual) {
  std::vector<IMGEntry> dir(4);
  dir[1].offset = 1;
  dir[1].size = 2;
  dir[2].offset = 0;
  dir[2].size = 0;
  dir[3].offset = 1;
  dir[3].size = 1;
  // 3 entries: the grown directory ends at byte 136, so sectors 0 and 1 are not in the way
  // unless the data starts before it.
  AddPlan plan = planAdd(dir, 10 * 2048, 1, "x");
  ASSERT_EQ(plan.moves.size(), 1u);
  EXPECT_EQ(plan.moves[0].slot, 2);

  std::vector<IMGEntry> big(65);
  for (std::size_t k = 1; k < big.size(); ++k) big[k].offset = 9;
  big[40].offset = 0;
  big[7].offset = 0;
  big[7].size = 3;
  plan = planAdd(big, 10 * 2048, 1, "x");
  ASSERT_EQ(plan.moves.size(), 2u);
  EXPECT_EQ(plan.moves[0].slot, 7);
  EXPECT_EQ(plan.moves[0].to, 10);
  EXPECT_EQ(plan.moves[1].slot, 40);
  EXPECT_EQ(plan.moves[1].to, 13);
  EXPECT_EQ(plan.entry.offset, 13);
  EXPECT_EQ(plan.entry.dirPos, 9 + 32 * 64);
}

TEST(AddPlan, AnEntryHoldsWhatItsSixteenBitSizeCanSay) {
  std::vector<IMGEntry> dir(2);
  dir[1].offset = 1;
  const std::int64_t most = std::int64_t{65535} * 2048;
  EXPECT_EQ(planAdd(dir, 2048, most, "x").entry.size, 65535);
  try {
    planAdd(dir, 2048, most + 1, "x");
    FAIL() << "65,536 sectors do not fit the game's size field";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 6);
    EXPECT_NE(e.detail().find("65,535 sectors"), std::string::npos) << e.detail();
  }
}

TEST(AddPlan, DataStartsPastTwoGiBOverflow) {
  std::vector<IMGEntry> dir(2);
  dir[1].offset = 1;
  const std::int64_t lastSector = kFirstUnreachableSector - 1;
  EXPECT_EQ(planAdd(dir, lastSector * 2048, 10, "x").entry.offset, lastSector);
  try {
    planAdd(dir, lastSector * 2048 + 1, 10, "x");
    FAIL() << "sector 1,048,576 must overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  // A moved entry that pushes the new data past the limit.
  dir[1].offset = 0;
  dir[1].size = 1;
  EXPECT_THROW(planAdd(dir, lastSector * 2048, 10, "x"), RuntimeError);
  EXPECT_THROW(planAdd(std::vector<IMGEntry>(2), 4096, std::int64_t{1} << 31, "x"), RuntimeError);
}

TEST(AddPlan, SectorRoundingAndNameField) {
  std::vector<IMGEntry> dir(2);
  dir[1].offset = 1;
  EXPECT_EQ(planAdd(dir, 4096, 2048, "x").entry.size, 1);
  EXPECT_EQ(planAdd(dir, 4096, 2049, "x").entry.size, 2);
  EXPECT_EQ(planAdd(dir, 4096, 0, "x").entry.size, 0);
  EXPECT_EQ(planAdd(dir, 2048 * 5, 1, "x").entry.offset, 5);
  EXPECT_EQ(planAdd(dir, 2048 * 5 + 1, 1, "x").entry.offset, 6);

  const std::string thirty = "abcdefghijklmnopqrstuvwxyz.dff";
  auto existing = planAdd(dir, 4096, 1, thirty).entry.fileName;
  EXPECT_EQ(std::string(existing.data(), 24), thirty.substr(0, 23) + '\0');
  auto fresh = planAdd(std::vector<IMGEntry>(1), 0, 1, thirty).entry.fileName;
  EXPECT_EQ(std::string(fresh.data(), 24), thirty.substr(0, 24));
}

TEST(AddedEntryName, LastPartAfterEitherSlash) {
  EXPECT_EQ(addedEntryName("textures\\new.txd"), "new.txd");
  EXPECT_EQ(addedEntryName("mods/car.dff"), "car.dff");
  EXPECT_EQ(addedEntryName("a\\b/c.dff"), "c.dff");
  EXPECT_EQ(addedEntryName("car.dff"), "car.dff");
  EXPECT_EQ(addedEntryName("folder\\"), "");
}

TEST_F(AddEntryTest, NameComesFromEntryNameDataFromFile) {
  openArchive(threeEntries());
  std::filesystem::create_directory(dir.file("x"));
  std::string file = modFile("x/a.bin", 3000, 5);
  add(dir.path() + "\\x\\a.bin", "textures\\new.txd");
  add(file, "mods/car.dff");
  add(file);
  ASSERT_EQ(rig.engine.IMGDir.size(), 7u);
  EXPECT_EQ(displayName(rig.engine.IMGDir[4]), "new.txd");
  EXPECT_EQ(displayName(rig.engine.IMGDir[5]), "car.dff");
  EXPECT_EQ(displayName(rig.engine.IMGDir[6]), "a.bin");
  const std::string after = readBytes(archive);
  auto p = parseArchive(after);
  for (std::size_t k = 3; k < 6; ++k) {
    EXPECT_TRUE(sameBytes(dataOf(after, p.records[k], 3000), pattern(5, 3000)))
        << "entry " << k + 1;
    EXPECT_EQ(p.records[k].size, 2u);
  }
  EXPECT_NE(p.records[4].offset, p.records[5].offset) << "each add has its own copy";
}

TEST_F(AddEntryTest, NameIsStoredInAnsiCodePage) {
  openArchive(threeEntries());
  add(modFile("x.dff", 1), "caf\xC3\xA9.dff");
  EXPECT_EQ(rig.engine.IMGDir[4].fileName[3], '\xE9');
  EXPECT_EQ(displayName(rig.engine.IMGDir[4]).substr(0, 9), "caf\xC3\xA9.dff");
}

TEST_F(AddEntryTest, ZeroByteFileGivesEmptyEntry) {
  openArchive(threeEntries());
  add(modFile("empty.dff", 0));
  EXPECT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();
  const std::string after = readBytes(archive);
  EXPECT_EQ(after.size(), 20480u) << "no data written";
  auto p = parseArchive(after);
  ASSERT_EQ(p.count, 4u);
  EXPECT_EQ(p.records[3].offset, 10u);
  EXPECT_EQ(p.records[3].size, 0u);
}

TEST_F(AddEntryTest, MissingFileIsErrorAndChangesNothing) {
  openArchive(threeEntries());
  const std::string before = readBytes(archive);
  const auto table = rig.engine.IMGDir.size();
  std::string missing = dir.file("nope.dff");
  rig.boxes.answers = {MsgAnswer::Yes};
  add(missing);
  EXPECT_EQ(rig.onlyBox(), enginePrompt("8Error # ", 53, "File not found: " + displayPath(missing), kSub));
  EXPECT_EQ(rig.boxes.shown[0].title, "Veldra");
  EXPECT_TRUE(sameBytes(readBytes(archive), before));
  EXPECT_EQ(rig.engine.IMGDir.size(), table);
  EXPECT_FALSE(std::filesystem::exists(missing)) << "no empty file made where a path was wrong";
}

TEST_F(AddEntryTest, MissingArchiveFolderIsStepTwo) {
  openArchive(threeEntries());
  rig.engine.imgPath = dir.file("none/gta3.img");
  rig.boxes.answers = {MsgAnswer::Yes};
  add(modFile("car.dff", 10));
  EXPECT_EQ(rig.onlyBox(),
            enginePrompt("2Error # ", 76, "Path not found: " + displayPath(rig.engine.imgPath), kSub));
}

TEST_F(AddEntryTest, NoEndsTheProgramYesAbandonsTheWholeAdd) {
  std::vector<Rec> recs = manyEntries(63);  // an add that moves the lowest entry
  openArchive(makeArchive(recs, 64 * 2048));
  const std::string before = readBytes(archive);
  const std::string file = modFile("car.dff", 5000);

  // Fail each write in turn: Yes leaves archive and table exactly as they were.
  for (long nth = 1;; ++nth) {
    FaultFileSystem faults(realFileSystem());
    EngineRig r(faults);
    r.engine.ReadIMG(archive);
    r.engine.imgPath = archive;
    const auto table = r.engine.IMGDir;
    faults.failCall(FsCall::Write, nth, err::kDiskFull);
    r.boxes.answers = {MsgAnswer::Yes};
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    if (r.boxes.shown.empty()) {
      EXPECT_GT(nth, 4) << "the add writes at least the move, the data, the record, the count";
      break;
    }
    EXPECT_EQ(r.onlyBox(), enginePrompt("8Error # ", 61, "Disk full: " + archive, kSub));
    ASSERT_TRUE(sameBytes(readBytes(archive), before)) << "write " << nth;
    ASSERT_EQ(r.engine.IMGDir.size(), table.size());
    EXPECT_EQ(r.engine.IMGDir[1].offset, table[1].offset);
    EXPECT_TRUE(r.engine.tableHolds(archive));
  }

  writeBytes(archive, before);
  FaultFileSystem faults(realFileSystem());
  EngineRig r(faults);
  r.engine.ReadIMG(archive);
  r.engine.imgPath = archive;
  faults.failCall(FsCall::Sync, 1, err::kDeviceIO);
  r.boxes.answers = {MsgAnswer::No};
  EXPECT_THROW(r.engine.UseFileNameToIMG(file, kZero, kZero, ""), ProgramEnd);
}

// The table must describe the file at imgPath, as it is now.
TEST_F(AddEntryTest, RefusesTableThatDoesNotHoldTheArchive) {
  const std::string file = modFile("car.dff", 10);
  openArchive(threeEntries());
  const std::string before = readBytes(archive);

  {  // never read in this run
    EngineRig r;
    r.engine.imgPath = archive;
    r.boxes.answers = {MsgAnswer::Yes};
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    EXPECT_EQ(r.onlyBox().substr(0, 11), "8Error # 9\r");
    EXPECT_TRUE(r.engine.IMGDir.empty()) << "no new archive built over the file";
  }
  {  // read from another archive
    std::string other = dir.file("other.img");
    writeBytes(other, makeArchive({{1, 1, "x.dff"}}, 4096));
    EngineRig r;
    r.engine.ReadIMG(other);
    r.engine.imgPath = archive;
    r.boxes.answers = {MsgAnswer::Yes};
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    EXPECT_NE(r.onlyBox().find(archive + " is not the archive whose directory was read"),
              std::string::npos)
        << r.onlyBox();
    EXPECT_TRUE(sameBytes(readBytes(other), makeArchive({{1, 1, "x.dff"}}, 4096)));
  }
  {  // the count in the file changed since the read
    std::string changed = before;
    changed[4] = 2;
    writeBytes(archive, changed);
    rig.boxes.answers = {MsgAnswer::Yes};
    add(file);
    EXPECT_NE(rig.onlyBox().find("the header counts 2 entries, the directory read holds 3"),
              std::string::npos)
        << rig.onlyBox();
    EXPECT_TRUE(sameBytes(readBytes(archive), changed));
  }
  {  // a short read
    std::string shortDir = threeEntries();
    test::putLE32(shortDir, 4, 1000);
    shortDir.resize(8 + 32 * 3 + 5);
    writeBytes(archive, shortDir);
    EngineRig r;
    r.boxes.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    r.engine.ReadIMG(archive);
    r.engine.imgPath = archive;
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    ASSERT_EQ(r.boxes.shown.size(), 2u);
    EXPECT_EQ(r.boxes.shown[1].text.substr(0, 11), "8Error # 5\r");
    EXPECT_TRUE(sameBytes(readBytes(archive), shortDir));
  }
  {  // a file that is not an archive: never given a header
    writeBytes(archive, "not an archive at all");
    EngineRig r;
    r.boxes.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    r.engine.ReadIMG(archive);
    r.engine.imgPath = archive;
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    EXPECT_EQ(r.boxes.shown.size(), 2u);
    EXPECT_TRUE(sameBytes(readBytes(archive), "not an archive at all"));
  }
  {  // a file made anew at the same path after the read
    writeBytes(archive, before);
    EngineRig r;
    r.engine.ReadIMG(archive);
    r.engine.imgPath = archive;
    std::filesystem::rename(archive, archive + ".old");  // kept, so the new file is another one
    writeBytes(archive, before);
    r.boxes.answers = {MsgAnswer::Yes};
    r.engine.UseFileNameToIMG(file, kZero, kZero, "");
    EXPECT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_TRUE(sameBytes(readBytes(archive), before));
  }
}

TEST_F(AddEntryTest, ArchivePathMatchedWithoutLetterCase) {
  openArchive(threeEntries());
  rig.engine.imgPath = dir.path() + "\\GTA3.IMG";
  add(modFile("car.dff", 10));
  EXPECT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();
  EXPECT_EQ(parseArchive(readBytes(archive)).count, 4u);
}

TEST_F(AddEntryTest, OverflowPastTwoGiBChangesNothing) {
  openArchive(threeEntries());
  std::filesystem::resize_file(archive, std::uintmax_t{1} << 31);  // sparse
  rig.boxes.answers = {MsgAnswer::Yes};
  add(modFile("car.dff", 10));
  EXPECT_EQ(rig.onlyBox().substr(0, 20), "8Error # 6\rOverflow:");
  EXPECT_EQ(std::filesystem::file_size(archive), std::uintmax_t{1} << 31);
  EXPECT_EQ(parseArchive(test::readHead(archive, 4096)).count, 3u);
}

}  // namespace
}  // namespace tamberlin
