// Hostile archives against the operations that change them: counts far beyond the file,
// offsets and sizes past the end or into the directory, overlapping entries, names without a
// NUL, size fields with bytes 6-7 set, sparse archives past 2 GiB. Every case: no crash, a
// clear error box where the archive cannot take the change (and then the file byte for byte as
// it was), and otherwise no byte of the old file changed but those the operation means.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "imgarchive/check.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/run_program.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

using test::dataOf;
using test::EngineRig;
using test::makeArchive;
using test::nameField;
using test::parseArchive;
using test::pattern;
using test::putLE32;
using test::readBytes;
using test::Rec;
using test::sameBytes;
using test::TempDir;
using test::writeBytes;

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

/// Success when every byte inside `before`'s length that differs in `after` lies in one of the
/// [from, to) ranges of `allowed`, and `after` is no shorter.
::testing::AssertionResult changedOnlyWithin(const std::string& before, const std::string& after,
                                             const Ranges& allowed) {
  if (after.size() < before.size()) return ::testing::AssertionFailure() << "the file shrank";
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    bool ok = false;
    for (const auto& r : allowed) ok = ok || (i >= r.first && i < r.second);
    if (!ok) return ::testing::AssertionFailure() << "byte " << i << " of the old file changed";
  }
  return ::testing::AssertionSuccess();
}

class HostileArchiveTest : public ::testing::Test {
 protected:
  std::string archive() const { return dir_.file("gta3.img"); }

  /// Writes `bytes` as the archive, reads its directory answering Yes to any box, and points
  /// the engine at it.
  void load(const std::string& bytes) {
    writeBytes(archive(), bytes);
    original_ = bytes;
    rig_.boxes.answers.assign(8, MsgAnswer::Yes);
    rig_.engine.ReadIMG(archive());
    rig_.engine.imgPath = archive();
  }

  /// Adds a 3000-byte file named new.dff; returns the error number its box showed (0: none).
  int add() {
    writeBytes(dir_.file("new.dff"), pattern(99, 3000));
    return boxAfter([&] { rig_.engine.UseFileNameToIMG(dir_.file("new.dff"), 0, 0, ""); });
  }

  /// Gives entry `k` the bytes of a 3000-byte file; returns the error number its box showed.
  int replace(std::int32_t k) {
    writeBytes(dir_.file("new.dff"), pattern(99, 3000));
    std::int32_t count = 0;
    return boxAfter([&] { rig_.engine.ReplaceFileInIMG(k, dir_.file("new.dff"), 0, count); });
  }

  template <class Fn>
  int boxAfter(Fn fn) {
    const std::size_t shown = rig_.boxes.shown.size();
    fn();
    if (rig_.boxes.shown.size() == shown) return 0;
    const std::string& text = rig_.boxes.shown.back().text;
    return std::stoi(text.substr(text.find("# ") + 2));
  }

  /// The box text of the last box: the detail names the archive.
  std::string lastBox() const {
    return rig_.boxes.shown.empty() ? std::string() : rig_.boxes.shown.back().text;
  }

  TempDir dir_;
  EngineRig rig_;
  std::string original_;
};

TEST_F(HostileArchiveTest, CountFarBeyondTheFileRefusesEveryChange) {
  std::string bytes =
      makeArchive({{1, 1, nameField("a.dff")}, {2, 1, nameField("b.dff")}}, 3 * 2048);
  putLE32(bytes, 4, 1000000);
  load(bytes);
  EXPECT_EQ(rig_.engine.IMGDir.size(), 1u + (3 * 2048 - 8) / 32)
      << "only the records the file holds are read";
  EXPECT_FALSE(rig_.engine.tableComplete());
  EXPECT_NE(add(), 0);
  EXPECT_NE(lastBox().find(archive()), std::string::npos) << lastBox();
  EXPECT_NE(replace(1), 0);
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
}

TEST_F(HostileArchiveTest, CountOfTwoToTheThirtyTwoLessOneIsOverflowAndNoNewArchive) {
  std::string bytes = makeArchive({{1, 1, nameField("a.dff")}}, 2 * 2048);
  putLE32(bytes, 4, 0xFFFFFFFFu);
  load(bytes);
  EXPECT_TRUE(rig_.engine.IMGDir.empty());
  EXPECT_EQ(add(), err::kSubscript) << "an unread directory never becomes a new archive";
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
}

TEST_F(HostileArchiveTest, DataPastTheEndIsReplacedAndAddedAroundWithoutWritingToIt) {
  load(makeArchive({{1, 1, nameField("a.dff")}, {90, 3, nameField("far.dff")}}, 2 * 2048));
  EXPECT_EQ(replace(2), 0);
  EXPECT_TRUE(changedOnlyWithin(original_, readBytes(archive()), {{40, 48}}));
  original_ = readBytes(archive());
  EXPECT_EQ(add(), 0);
  EXPECT_TRUE(changedOnlyWithin(original_, readBytes(archive()), {{4, 8}, {72, 104}}));
  EXPECT_LT(readBytes(archive()).size(), 8u * 2048) << "nothing is written out at sector 90";
}

TEST_F(HostileArchiveTest, MovedEntryClaimingSectorsPastTheEndIsRefused) {
  // Found by fuzzing: the move reserved the claimed sectors, up to a 2 GiB file of nothing.
  std::vector<Rec> recs;
  for (std::uint32_t k = 0; k < 63; ++k)
    recs.push_back({1 + k, 1, nameField("e" + std::to_string(k))});
  std::string bytes = makeArchive(recs, 64 * 2048);
  putLE32(bytes, 12, 65535);
  load(bytes);
  EXPECT_EQ(add(), err::kInvalidFormat);
  EXPECT_NE(lastBox().find("entry 1 claims 65535 sectors"), std::string::npos) << lastBox();
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
  EXPECT_EQ(rig_.engine.IMGDir.size(), 64u);
}

TEST_F(HostileArchiveTest, EntryInsideTheDirectoryMovesAsTheBytesItNamed) {
  // Entry 1 claims sector 0, the header and directory themselves: moved, it keeps exactly those
  // bytes as they were before the add; entry 2 is untouched.
  load(makeArchive({{0, 1, nameField("hdr.dff")}, {1, 1, nameField("b.dff")}}, 2 * 2048));
  EXPECT_EQ(add(), 0);
  const std::string after = readBytes(archive());
  const auto p = parseArchive(after);
  ASSERT_EQ(p.count, 3u);
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[0], 2048), original_.substr(0, 2048)));
  EXPECT_TRUE(sameBytes(dataOf(after, p.records[1], 2048), original_.substr(2048, 2048)));
  EXPECT_TRUE(checkArchive(realFileSystem(), archive()).ok());
}

TEST_F(HostileArchiveTest, OverlappingEntriesKeepTheirBytesWhenOneMoves) {
  std::vector<Rec> recs;
  for (std::uint32_t k = 0; k < 63; ++k)
    recs.push_back({3 + k, 1, nameField("e" + std::to_string(k))});
  recs[0] = {1, 2, nameField("a.dff")};
  recs[1] = {2, 2, nameField("b.dff")};  // shares sector 2 with a.dff
  load(makeArchive(recs, 70 * 2048));
  const auto before = parseArchive(original_);
  EXPECT_EQ(add(), 0);
  const std::string after = readBytes(archive());
  const auto p = parseArchive(after);
  for (std::size_t k = 0; k < before.records.size(); ++k)
    EXPECT_TRUE(
        sameBytes(dataOf(after, p.records[k], 4096), dataOf(original_, before.records[k], 4096)))
        << "entry " << k + 1;
  EXPECT_TRUE(checkArchive(realFileSystem(), archive()).count(Finding::DataOverlap) == 0);
}

TEST_F(HostileArchiveTest, NameWithoutNulIsShownWholeAndWrittenBackUnchanged) {
  load(makeArchive({{1, 1, "abcdefghijklmnopqrstuvwx"}}, 2 * 2048));
  ASSERT_EQ(rig_.list.items.size(), 0u);
  rig_.engine.ListIMGEntries();
  EXPECT_EQ(rig_.list.items.at(0), "abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(replace(1), 0);
  EXPECT_EQ(readBytes(archive()).substr(16, 24), "abcdefghijklmnopqrstuvwx");
  EXPECT_TRUE(changedOnlyWithin(original_, readBytes(archive()), {{8, 16}}));
  EXPECT_EQ(rig_.status.history.at(rig_.status.history.size() - 2),
            "Replacing IMG File (abcdefghijklmnopqrstuvwx)...");
}

TEST_F(HostileArchiveTest, SizeBytesSixAndSevenAreReadAsTheGameReadsThemAndClearedByAReplace) {
  std::string bytes = makeArchive({{1, 1, nameField("big.dff")}}, 2 * 2048);
  putLE32(bytes, 12, 3 + 65536);  // bytes 4-5 say 3 sectors, bytes 6-7 say 1
  load(bytes);
  ASSERT_EQ(rig_.engine.IMGDir.size(), 2u);
  EXPECT_EQ(rig_.engine.IMGDir[1].size, 1);
  EXPECT_EQ(replace(1), 0);
  const auto p = parseArchive(readBytes(archive()));
  EXPECT_EQ(p.records[0].size, 2u);
  EXPECT_EQ(p.records[0].offset, 2u);
}

TEST_F(HostileArchiveTest, SparseArchivePastTwoGiBRefusesChangesAndKeepsItsLength) {
  const std::uint64_t length = (std::uint64_t{1} << 31) + 100;
  std::string head =
      makeArchive({{1, 1, nameField("a.dff")}, {1048570, 2, nameField("far.dff")}}, 2 * 2048);
  writeBytes(archive(), head);
  std::filesystem::resize_file(archive(), length);
  rig_.boxes.answers.assign(8, MsgAnswer::Yes);
  rig_.engine.ReadIMG(archive());
  rig_.engine.imgPath = archive();
  ASSERT_TRUE(rig_.engine.tableComplete());
  EXPECT_EQ(replace(1), err::kOverflow);
  EXPECT_NE(lastBox().find("2 GiB"), std::string::npos) << lastBox();
  EXPECT_EQ(add(), err::kOverflow);
  EXPECT_EQ(std::filesystem::file_size(archive()), length);
  EXPECT_TRUE(sameBytes(test::readHead(archive(), head.size()), head));
  EXPECT_TRUE(checkArchive(realFileSystem(), archive()).ok());
}

TEST_F(HostileArchiveTest, CommandLineNamesTheDamagedArchiveAndChangesNothing) {
  std::string bytes = makeArchive({{1, 1, nameField("a.dff")}}, 2 * 2048);
  putLE32(bytes, 4, 5000);
  writeBytes(archive(), bytes);
  writeBytes(dir_.file("new.dff"), "new");
  auto run = test::runProgram(TAMBERLIN_BINARY, {"img", "add", archive(), dir_.file("new.dff")});
  EXPECT_EQ(run.exitCode, 1);
  const std::string shown = run.out + run.err;
  EXPECT_EQ(shown.rfind("tamberlin img: ", 0), 0u) << shown;
  EXPECT_NE(shown.find(archive() + ": "), std::string::npos) << shown;
  EXPECT_TRUE(sameBytes(readBytes(archive()), bytes));
}

}  // namespace
}  // namespace tamberlin
