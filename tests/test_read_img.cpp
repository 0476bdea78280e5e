#include <gtest/gtest.h>

#include <random>

#include "imgarchive/bitstring.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

using test::enginePrompt;
using test::EngineRig;
using test::makeArchive;
using test::readBytes;
using test::Rec;
using test::TempDir;
using test::writeBytes;

std::string nameOf(const IMGEntry& e) {
  return std::string(e.fileName.data(), kNameSize);
}

class ReadImgTest : public ::testing::Test {
 protected:
  TempDir dir;
  EngineRig rig;
  std::string path = dir.file("gta3.img");
};

TEST_F(ReadImgTest, ReadsRecordsInFileOrder) {
  std::string junk = std::string("a.dff") + '\0' + "XXXXXXXXXXXXXXXXXX";
  writeBytes(path,
             makeArchive({{1, 2, "infernus.dff"}, {3, 1, junk}, {4, 0, "abcdefghijklmnopqrst.txd"}},
                         5 * 2048));
  rig.engine.ReadIMG(path);
  ASSERT_EQ(rig.engine.IMGDir.size(), 4u);
  const auto& d = rig.engine.IMGDir;
  EXPECT_EQ(d[0].dirPos, 0);
  EXPECT_EQ(nameOf(d[0]), std::string(24, '\0'));
  EXPECT_EQ(d[1].dirPos, 9);
  EXPECT_EQ(d[2].dirPos, 41);
  EXPECT_EQ(d[3].dirPos, 73);
  EXPECT_EQ(d[1].offset, 1);
  EXPECT_EQ(d[1].size, 2);
  EXPECT_EQ(d[2].offset, 3);
  EXPECT_EQ(nameOf(d[2]), junk.substr(0, 24)) << "bytes after the NUL are kept";
  EXPECT_EQ(rig.status.history, (std::vector<std::string>{"Reading IMG...", ""}));
  EXPECT_TRUE(rig.boxes.shown.empty());
  EXPECT_TRUE(rig.engine.tableHolds(path));

  rig.list.items = {"already there"};
  rig.engine.ListIMGEntries();
  EXPECT_EQ(rig.list.items, (std::vector<std::string>{"already there", "infernus.dff", "a.dff",
                                                      "abcdefghijklmnopqrst.txd"}));
}

TEST_F(ReadImgTest, SizeIsReadAsTheGameReadsIt) {
  // Bytes 6-7 when they are not zero, else bytes 4-5: tools that fill both halves, or only
  // the first, are read right.
  struct Case {
    std::uint32_t field;
    std::int32_t sectors;
  };
  for (Case c : {Case{1, 1}, Case{1 + 65536, 1}, Case{3 + (2u << 16), 2}, Case{2u << 16, 2},
                 Case{65535, 65535}}) {
    std::string bytes = makeArchive({{1, c.field, "a.dff"}}, 2 * 2048);
    writeBytes(path, bytes);
    rig.engine.ReadIMG(path);
    EXPECT_EQ(rig.engine.IMGDir.at(1).size, c.sectors) << c.field;
  }
}

TEST_F(ReadImgTest, EmptyAndMissingFilesAreArchivesWithoutEntries) {
  writeBytes(path, "");
  rig.engine.ReadIMG(path);
  EXPECT_EQ(rig.engine.IMGDir.size(), 1u);
  EXPECT_EQ(rig.status.current, "");

  EngineRig fresh;
  std::string missing = dir.file("new.img");
  fresh.engine.ReadIMG(missing);
  EXPECT_EQ(fresh.engine.IMGDir.size(), 1u);
  EXPECT_EQ(readBytes(missing), "") << "the missing file is created empty";
  fresh.engine.ListIMGEntries();
  EXPECT_TRUE(fresh.list.items.empty());

  EngineRig zero;
  writeBytes(path, makeArchive({}, 8));
  zero.engine.ReadIMG(path);
  EXPECT_EQ(zero.engine.IMGDir.size(), 1u);
  EXPECT_TRUE(zero.boxes.shown.empty());
}

TEST_F(ReadImgTest, MissingFolderShowsBoxAndYesReturns) {
  std::string bad = dir.file("no/such/gta3.img");
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(bad);
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  const MessageBoxRequest& box = rig.boxes.shown[0];
  EXPECT_EQ(box.text, enginePrompt(" Error # ", 76, "Path not found: " + displayPath(bad), "Sub ReadIMG"));
  EXPECT_EQ(box.title, "Veldra");
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_EQ(box.icon, MsgIcon::Warning);
  EXPECT_EQ(rig.status.current, "Reading IMG...") << "left as it was when the read failed";
  EXPECT_TRUE(rig.engine.IMGDir.empty()) << "no table before a read got that far";
  EXPECT_FALSE(rig.engine.tableHolds(bad));
  EXPECT_THROW(rig.engine.ListIMGEntries(), RuntimeError);
}

TEST_F(ReadImgTest, NoEndsTheProgram) {
  rig.boxes.answers = {MsgAnswer::No};
  try {
    rig.engine.ReadIMG(dir.file("missing/x.img"));
    FAIL() << "No must end the program";
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exitCode, 1);
  }
}

TEST_F(ReadImgTest, CountOfTwoToTheThirtyFirstOverflowsBeforeTableIsReplaced) {
  writeBytes(path, makeArchive({{1, 1, "a.dff"}}, 2 * 2048));
  rig.engine.ReadIMG(path);
  const auto before = rig.engine.IMGDir;

  std::string bytes = makeArchive({}, 8);
  bytes[7] = static_cast<char>(128);
  writeBytes(path, bytes);
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(path);
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text.rfind(" Error # 6\rOverflow: ", 0), 0u)
      << rig.boxes.shown[0].text;
  ASSERT_EQ(rig.engine.IMGDir.size(), before.size());
  EXPECT_EQ(rig.engine.IMGDir[1].offset, before[1].offset);
  EXPECT_FALSE(rig.engine.tableComplete()) << "a failed read is never trusted";
}

TEST_F(ReadImgTest, OverflowInRecordKeepsWhatWasRead) {
  std::string bytes = makeArchive({{1, 1, "a.dff"}, {2, 1, "b.dff"}, {3, 1, "c.dff"}}, 4 * 2048);
  bytes[8 + 32 + 3] = static_cast<char>(0x80);  // offset of record 2 is 2^31 + 2
  writeBytes(path, bytes);
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(path);
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  ASSERT_EQ(rig.engine.IMGDir.size(), 4u);
  EXPECT_EQ(rig.engine.IMGDir[1].offset, 1);
  EXPECT_EQ(rig.engine.IMGDir[2].dirPos, 0);
  EXPECT_EQ(rig.engine.IMGDir[2].offset, 0);
  EXPECT_EQ(rig.engine.IMGDir[3].dirPos, 0);
  EXPECT_EQ(nameOf(rig.engine.IMGDir[3]), std::string(24, '\0'));
  rig.engine.ListIMGEntries();
  EXPECT_EQ(rig.list.items, (std::vector<std::string>{"a.dff", "", ""}));
  EXPECT_FALSE(rig.engine.tableComplete());
}

TEST_F(ReadImgTest, FileThatIsNotAnArchiveIsReported) {
  writeBytes(path, "MZ this is a program, not an archive");
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(path);
  EXPECT_EQ(rig.onlyBox(),
            enginePrompt(" Error # ", 321,
                         "Invalid file format: " + path + " does not begin with \"VER2\"",
                         "Sub ReadIMG"));
  EXPECT_FALSE(rig.engine.tableHolds(path));

  EngineRig shortHeader;
  writeBytes(path, "VER2\x01");
  shortHeader.boxes.answers = {MsgAnswer::Yes};
  shortHeader.engine.ReadIMG(path);
  EXPECT_EQ(shortHeader.boxes.shown.size(), 1u);
  EXPECT_FALSE(shortHeader.engine.tableHolds(path));
}

TEST_F(ReadImgTest, ShortDirectoryIsErrorSixtyTwoAndKeepsCompleteRecords) {
  std::string bytes = makeArchive({{1, 1, "a.dff"}, {2, 1, "b.dff"}}, 8 + 64 + 20);
  test::putLE32(bytes, 4, 5);  // claims 5 records, holds 2 and 20 bytes of a third
  writeBytes(path, bytes);
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(path);
  EXPECT_EQ(rig.onlyBox(), enginePrompt(" Error # ", 62,
                                        "Input past end of file: " + path +
                                            ": the directory claims 5 entries, the file holds 2",
                                        "Sub ReadIMG"));
  ASSERT_EQ(rig.engine.IMGDir.size(), 3u);
  EXPECT_EQ(rig.engine.IMGDir[2].offset, 2);
  EXPECT_FALSE(rig.engine.tableComplete());
  EXPECT_FALSE(rig.engine.tableHolds(path));
}

TEST_F(ReadImgTest, HostileCountAllocatesOnlyWhatTheFileHolds) {
  std::string bytes = makeArchive({{1, 1, "a.dff"}}, 2048);
  test::putLE32(bytes, 4, 0x7FFFFFFF);
  writeBytes(path, bytes);
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.engine.ReadIMG(path);
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.engine.IMGDir.size(), std::size_t{(2048 - 8) / 32 + 1});
}

// The directory read in bulk gives what decoding every field through the bit strings, byte by
// byte, gives.
TEST_F(ReadImgTest, BulkReadMatchesBitStringDecoding) {
  std::mt19937 rng(7);
  const int n = 300;
  std::string bytes = makeArchive(std::vector<Rec>(n), 8 + 32 * n);
  for (int k = 0; k < n; ++k) {
    for (int i = 0; i < 32; ++i) bytes[8 + 32 * k + i] = static_cast<char>(rng() & 0xFF);
    bytes[8 + 32 * k + 3] &= 0x7F;  // offsets below 2^31
  }
  writeBytes(path, bytes);
  rig.engine.ReadIMG(path);
  ASSERT_EQ(rig.engine.IMGDir.size(), std::size_t{n} + 1);
  for (int k = 0; k < n; ++k) {
    const auto* rec = reinterpret_cast<const unsigned char*>(bytes.data() + 8 + 32 * k);
    auto viaBits = [](const unsigned char* b) {
      std::string s;
      for (int i = 0; i < 4; ++i) s = NumToBin(b[i]) + s;
      return static_cast<std::int32_t>(BinToNum(s));
    };
    const IMGEntry& e = rig.engine.IMGDir[static_cast<std::size_t>(k) + 1];
    EXPECT_EQ(e.offset, viaBits(rec));
    const unsigned char high[4] = {rec[6], rec[7], 0, 0}, low[4] = {rec[4], rec[5], 0, 0};
    EXPECT_EQ(e.size, viaBits(high) != 0 ? viaBits(high) : viaBits(low));
    EXPECT_EQ(nameOf(e), bytes.substr(static_cast<std::size_t>(8 + 32 * k + 8), 24));
  }
}

}  // namespace
}  // namespace tamberlin
