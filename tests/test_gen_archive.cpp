// The archive generator that tests, demos and benchmarks build on: what it writes must be a sound
// archive whose every offset points at the entry's own bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "imgarchive/check.h"
#include "platform/file_system.h"
#include "support/archive_fixture.h"
#include "support/run_program.h"

namespace tamberlin {
namespace {

using test::parseArchive;
using test::ProgramRun;
using test::readBytes;
using test::TempDir;

std::string nameOf(const test::Rec& r) {
  return r.name.substr(0, r.name.find('\0'));
}

class GenArchive : public ::testing::Test {
 protected:
  ProgramRun gen(std::vector<std::string> args) {
    return test::runProgram(TAMBERLIN_GEN_ARCHIVE, args, dir.path());
  }
  TempDir dir;
};

TEST_F(GenArchive, SoundContiguousAndEachEntryStartsWithItsName) {
  ProgramRun r = gen({"a.img", "--entries", "300", "--seed", "5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string bytes = readBytes(dir.file("a.img"));
  EXPECT_EQ(r.out, "wrote a.img: 300 entries, " + std::to_string(bytes.size()) + " bytes\n");

  ArchiveReport report = checkArchive(realFileSystem(), dir.file("a.img"));
  EXPECT_TRUE(report.ok());
  EXPECT_EQ(report.warningCount(), 0u) << report.warnings[0];
  EXPECT_EQ(report.deadBytes, 0u);
  EXPECT_EQ(report.dataEnd, static_cast<std::int64_t>(bytes.size()));

  auto p = parseArchive(bytes);
  ASSERT_EQ(p.count, 300u);
  EXPECT_EQ(p.records[0].offset, 5u);  // 8 + 300 * 32 bytes of directory fill 5 sectors
  std::set<std::string> lowerNames;
  for (const auto& rec : p.records) {
    std::string name = nameOf(rec);
    EXPECT_EQ(bytes.compare(std::size_t{rec.offset} * 2048, name.size() + 1, name + '\0'), 0)
        << name;
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(lowerNames.insert(lower).second) << "duplicate " << name;
    EXPECT_GE(rec.size, 1u);
  }
}

TEST_F(GenArchive, TheSameSeedGivesTheSameBytes) {
  ASSERT_EQ(gen({"a.img", "--entries", "50", "--seed", "9"}).exitCode, 0);
  ASSERT_EQ(gen({"b.img", "--entries", "50", "--seed", "9"}).exitCode, 0);
  ASSERT_EQ(gen({"c.img", "--entries", "50", "--seed", "10"}).exitCode, 0);
  EXPECT_EQ(readBytes(dir.file("a.img")), readBytes(dir.file("b.img")));
  EXPECT_NE(readBytes(dir.file("a.img")), readBytes(dir.file("c.img")));
}

TEST_F(GenArchive, SmallEntriesAndIncludedNames) {
  ASSERT_EQ(
      gen({"s.img", "--entries", "200", "--small", "--include", "car.dff", "Bus.TXD"}).exitCode, 0);
  auto p = parseArchive(readBytes(dir.file("s.img")));
  ASSERT_EQ(p.count, 200u);
  int found = 0;
  for (const auto& rec : p.records) {
    EXPECT_TRUE(rec.size == 1 || rec.size == 2) << rec.size;
    std::string name = nameOf(rec);
    if (name == "car.dff" || name == "Bus.TXD") ++found;
    EXPECT_NE(name, "bus.txd");  // no other entry differs from an included one only in case
  }
  EXPECT_EQ(found, 2);
}

TEST_F(GenArchive, UsageErrors) {
  EXPECT_EQ(gen({}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "--entries", "0"}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "--entries", "x"}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "--include", "a.dff", "A.DFF"}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "--include", "abcdefghijklmnopqrstuvwxyz.dff"}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "--entries", "1", "--include", "a.dff", "b.dff"}).exitCode, 2);
  EXPECT_EQ(gen({"a.img", "b.img"}).exitCode, 2);
}

}  // namespace
}  // namespace tamberlin
