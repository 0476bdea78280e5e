#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "imgarchive/check.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"

namespace tamberlin {
namespace {

using test::makeArchive;
using test::putLE32;
using test::Rec;
using test::TempDir;
using test::writeBytes;

class CheckTest : public ::testing::Test {
 protected:
  ArchiveReport check(const std::string& bytes) {
    writeBytes(dir_.file("a.img"), bytes);
    return checkArchive(realFileSystem(), dir_.file("a.img"));
  }
  ArchiveReport check(const std::vector<Rec>& recs, std::size_t length) {
    return check(makeArchive(recs, length));
  }
  TempDir dir_;
};

bool mentions(const std::vector<std::string>& lines, const std::string& text) {
  for (const auto& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

TEST_F(CheckTest, ContiguousArchiveIsClean) {
  // Last entry unpadded: the file ends 100 bytes into its second sector.
  auto r = check({{1, 2, "a.dff"}, {3, 1, "b.txd"}, {4, 2, "c.col"}}, 5 * 2048 + 100);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.errors.empty());
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ(r.entryCount, 3u);
  EXPECT_EQ(r.recordsChecked, 3u);
  EXPECT_EQ(r.contiguityBreaks(), 0u);
  EXPECT_EQ(r.deadBytes, 0u);
  EXPECT_EQ(r.holes, 0u);
  EXPECT_EQ(r.dataEnd, 6 * 2048);
}

TEST_F(CheckTest, EmptyArchiveOfZeroEntriesIsClean) {
  auto r = check(makeArchive({}, 8));
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.headerOk);
  EXPECT_EQ(r.entryCount, 0u);
}

TEST_F(CheckTest, BadHeaders) {
  for (const std::string& bytes : {std::string(), std::string("VER2\1"),
                                   std::string("VER1\0\0\0\0", 8), std::string("PK\3\4xxxxxxxx")}) {
    auto r = check(bytes);
    EXPECT_FALSE(r.ok()) << bytes.size();
    EXPECT_FALSE(r.headerOk);
    EXPECT_EQ(r.count(Finding::BadHeader), 1u);
    EXPECT_EQ(r.errors.size(), 1u);
  }
  EXPECT_TRUE(mentions(check("PK\3\4xxxxxxxx").errors, "50 4B 03 04"));
}

TEST_F(CheckTest, MissingFileIsARuntimeError) {
  try {
    checkArchive(realFileSystem(), dir_.file("none.img"));
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kFileNotFound);
  }
}

TEST_F(CheckTest, CountBeyondTheFileChecksOnlyTheRecordsPresent) {
  std::string a = makeArchive({{1, 1, "a.dff"}, {2, 1, "b.dff"}}, 3 * 2048);
  a.resize(8 + 32 * 2 + 10);  // two records and a torn third; no data at all
  putLE32(a, 4, 0xFFFFFFFFu);
  auto r = check(a);
  EXPECT_EQ(r.count(Finding::DirectoryPastEnd), 1u);
  EXPECT_EQ(r.recordsChecked, 2u);
  EXPECT_EQ(r.count(Finding::DataPastEnd), 2u);
  EXPECT_EQ(r.directoryEnd, 8 + 32 * std::int64_t{0xFFFFFFFFu});
  EXPECT_TRUE(mentions(r.errors, "claims 4294967295 records"));
}

TEST_F(CheckTest, DataPastTheEnd) {
  // Entry 2's second sector starts exactly at the end of the file: nothing of it exists.
  auto r = check({{1, 1, "a.dff"}, {2, 2, "b.dff"}}, 3 * 2048);
  EXPECT_EQ(r.count(Finding::DataPastEnd), 1u);
  EXPECT_TRUE(mentions(r.errors, "entry 2 (b.dff): data at sectors 2..3"));
  // One byte into that sector is an unpadded last sector: fine.
  EXPECT_TRUE(check({{1, 1, "a.dff"}, {2, 2, "b.dff"}}, 3 * 2048 + 1).ok());
}

TEST_F(CheckTest, DataOverTheDirectory) {
  std::vector<Rec> recs(70, Rec{3, 1, "x.dff"});  // directory of 70 records ends at byte 2248
  for (std::size_t k = 0; k < recs.size(); ++k) {
    recs[k].offset = static_cast<std::uint32_t>(2 + k);
    recs[k].name = "e" + std::to_string(k) + ".dff";
  }
  recs[5].offset = 1;  // inside the directory's second sector
  recs[5].size = 1;
  auto r = check(recs, 80 * 2048);
  EXPECT_EQ(r.count(Finding::DataOverDirectory), 1u);
  EXPECT_TRUE(mentions(r.errors, "entry 6 (e5.dff)"));
}

TEST_F(CheckTest, OverlapsBetweenEntries) {
  auto r = check({{1, 4, "a.dff"}, {3, 1, "b.dff"}, {5, 1, "c.dff"}, {5, 1, "d.dff"}}, 6 * 2048);
  EXPECT_EQ(r.count(Finding::DataOverlap), 2u);
  EXPECT_TRUE(mentions(r.errors, "entry 2 (b.dff): data at sector 3 overlaps entry 1 (a.dff)"));
  EXPECT_TRUE(mentions(r.errors, "entry 4 (d.dff): data at sector 5 overlaps entry 3 (c.dff)"));
  // Touching is not overlapping, and an entry of no sectors overlaps nothing.
  EXPECT_TRUE(check({{1, 2, "a.dff"}, {2, 0, "b.dff"}, {3, 1, "c.dff"}}, 4 * 2048).ok());
}

TEST_F(CheckTest, OverlapFoundBehindALongEntry) {
  // c starts after b ends but inside a, which reaches furthest.
  auto r = check({{1, 10, "a.dff"}, {2, 1, "b.dff"}, {5, 1, "c.dff"}}, 11 * 2048);
  EXPECT_EQ(r.count(Finding::DataOverlap), 2u);
  EXPECT_TRUE(mentions(r.errors, "entry 3 (c.dff): data at sector 5 overlaps entry 1 (a.dff)"));
}

TEST_F(CheckTest, NameWarnings) {
  auto r = check({{1, 1, "abcdefghijklmnopqrstuvwx"},   // 24 characters, no NUL
                  {2, 1, "abcdefghijklmnopqrst.dff"},   // dot is character 21: fine, but 24 long
                  {3, 1, "car.dff                \0"},  // blank padding is not part of the name
                  {4, 1, "abcdefghijklmnopqrstu.df"},   // dot is character 22
                  {5, 1, "noext"},
                  {6, 1, ""}},
                 7 * 2048);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.count(Finding::LongName), 3u);
  EXPECT_EQ(r.count(Finding::NameDot), 4u);
  EXPECT_TRUE(mentions(r.warnings,
                       "entry 4 (abcdefghijklmnopqrstu.df): the name's dot is its character 22"));
  EXPECT_TRUE(mentions(r.warnings, "entry 5 (noext): a name without a dot"));
  EXPECT_TRUE(mentions(r.warnings, "entry 6 (): an empty name"));
  EXPECT_FALSE(mentions(r.warnings, "entry 3"));
  EXPECT_FALSE(mentions(r.warnings, "entry 2 (abcdefghijklmnopqrst.dff): the name's dot"));
}

TEST_F(CheckTest, ControlBytesInNamesAreShownEscaped) {
  EXPECT_EQ(printableName("a\x01\x1b.dff\0junk", 24), "a\\x01\\x1B.dff");
  EXPECT_EQ(printableName("caf\xe9.txd", 8), "caf\xc3\xa9.txd");  // ANSI é to UTF-8
}

TEST_F(CheckTest, ContiguityBreaksHolesAndDeadBytes) {
  // Directory sector 0; a at 1, b appended at 6 after a replace (old sectors 2..3 dead), c at 4.
  auto r = check({{1, 1, "a.dff"}, {6, 1, "b.dff"}, {4, 1, "c.dff"}}, 7 * 2048);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.contiguityBreaks(), 2u);
  EXPECT_EQ(r.holes, 2u);  // sectors 2..3 and sector 5
  EXPECT_EQ(r.deadBytes, 3u * 2048);
  EXPECT_TRUE(mentions(r.warnings, "records 1 and 2 (b.dff)"));
}

TEST_F(CheckTest, TrailingBytesAfterTheLastEntryAreDead) {
  auto r = check({{1, 1, "a.dff"}}, 2 * 2048 + 500);
  EXPECT_EQ(r.deadBytes, 500u);
  EXPECT_EQ(r.holes, 1u);
}

TEST_F(CheckTest, ManyFindingsKeepTenLinesAndCountTheRest) {
  std::vector<Rec> recs;
  for (std::uint32_t k = 0; k < 25; ++k) recs.push_back({1 + 2 * k, 1, "n" + std::to_string(k)});
  auto r = check(recs, 60 * 2048);
  EXPECT_EQ(r.count(Finding::NameDot), 25u);
  EXPECT_EQ(r.count(Finding::NotContiguous), 24u);
  EXPECT_EQ(r.warnings.size(), 22u);
  EXPECT_EQ(r.warnings[10], "... and 15 more names without a usable dot");
  EXPECT_EQ(r.warnings.back(), "... and 14 more directory neighbours whose data is not contiguous");
}

TEST_F(CheckTest, SizeHalvesThatDisagreeAndDataPast4GiBInASparseFile) {
  // A sparse file of a little over 4 GiB: the check reads only the directory. Entry 1's size
  // halves say 3 and 2 sectors: the game reads bytes 6-7.
  std::string head = makeArchive({{1, 3 + (2u << 16), "big.dff"}, {2097151, 2, "far.dff"}}, 2048);
  writeBytes(dir_.file("big.img"), head);
  std::filesystem::resize_file(dir_.file("big.img"), (std::uint64_t{1} << 32) + 4096);
  auto r = checkArchive(realFileSystem(), dir_.file("big.img"));
  EXPECT_TRUE(r.ok()) << (r.errors.empty() ? "" : r.errors[0]);
  EXPECT_EQ(r.count(Finding::SizeHalves), 1u);
  EXPECT_TRUE(mentions(r.warnings, "the game reads 2, as this check does"));
  EXPECT_EQ(r.count(Finding::DataPast4GiB), 1u);
  EXPECT_TRUE(mentions(r.warnings, "entry 2 (far.dff): data at sectors 2097151..2097152"));
}

TEST_F(CheckTest, RandomDirectoriesGiveBoundedReports) {
  // Hostile records: random counts, offsets near the 32-bit limit, names without NULs.
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(8 + rng() % 4000, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    bytes.replace(0, 4, "VER2");
    if (round % 2) putLE32(bytes, 4, static_cast<std::uint32_t>(rng() % 200));
    auto r = check(bytes);
    ASSERT_TRUE(r.headerOk);
    EXPECT_LE(r.recordsChecked, (bytes.size() - 8) / 32);
    EXPECT_LE(r.recordsChecked, r.entryCount);
    EXPECT_EQ(r.ok(), r.errorCount() == 0);
    EXPECT_LE(r.errors.size(), 6 * (kMaxLinesPerFinding + 1));
    EXPECT_LE(r.warnings.size(), 5 * (kMaxLinesPerFinding + 1));
    EXPECT_LE(r.deadBytes, bytes.size());
  }
}

}  // namespace
}  // namespace tamberlin
