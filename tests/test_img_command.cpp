// End-to-end runs of `tamberlin img` on tiny archives made in temporary folders.
#include <gtest/gtest.h>

#include <fstream>

#include "support/archive_fixture.h"
#include "support/run_program.h"

namespace tamberlin {
namespace {

using test::dataOf;
using test::makeArchive;
using test::nameField;
using test::parseArchive;
using test::pattern;
using test::ProgramRun;
using test::readBytes;
using test::Rec;
using test::TempDir;
using test::writeBytes;

class ImgCommand : public ::testing::Test {
 protected:
  ProgramRun img(const std::vector<std::string>& args) {
    std::vector<std::string> all{"img"};
    all.insert(all.end(), args.begin(), args.end());
    return test::runProgram(TAMBERLIN_BINARY, all, dir_.path());
  }
  std::string path(const std::string& name) const { return dir_.file(name); }
  void put(const std::string& name, const std::string& bytes) { writeBytes(path(name), bytes); }
  std::string get(const std::string& name) const { return readBytes(path(name)); }

  /// Three entries, contiguous; the second is blank-padded as the engine pads added names, the
  /// third uses all 24 name bytes.
  std::string threeEntries() const {
    return makeArchive({{1, 2, "car.dff"},
                        {3, 1, "bus.txd                \0"},
                        {4, 1, "abcdefghijklmnopqrst.dff"}},
                       5 * 2048);
  }

  TempDir dir_;
};

TEST_F(ImgCommand, ListGolden) {
  put("a.img", threeEntries());
  ProgramRun r = img({"list", "a.img"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "    1          1        2  car.dff\n"
            "    2          3        1  bus.txd\n"
            "    3          4        1  abcdefghijklmnopqrst.dff\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(ImgCommand, ListOfAMissingArchiveFailsAndCreatesNothing) {
  ProgramRun r = img({"list", "none.img"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "tamberlin img: File not found: none.img\n");
  EXPECT_FALSE(std::ifstream(path("none.img")).good());
}

TEST_F(ImgCommand, CheckGoldenSound) {
  put("a.img", threeEntries());
  ProgramRun r = img({"check", "a.img"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "warning: entry 3 (abcdefghijklmnopqrst.dff): a name of 24 characters; the game "
            "reads only the first 23\n"
            "a.img: 3 entries, 10240 bytes; 0 errors, 1 warning; 0 contiguity breaks; 0 dead "
            "bytes in 0 holes\n"
            "a.img: sound, with warnings\n");
}

TEST_F(ImgCommand, CheckGoldenDamaged) {
  put("a.img", makeArchive({{1, 3, "a.dff"}, {2, 1, "b.dff"}, {9, 1, "c.dff"}}, 5 * 2048));
  ProgramRun r = img({"check", "a.img"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "error: entry 3 (c.dff): data at sector 9 (to byte 20480) runs past the end of the "
            "file (10240 bytes)\n"
            "error: entry 2 (b.dff): data at sector 2 overlaps entry 1 (a.dff) at sectors 1..3\n"
            "warning: records 1 and 2 (b.dff): data of 1 ends before sector 4, data of 2 starts "
            "at sector 2\n"
            "warning: records 2 and 3 (c.dff): data of 2 ends before sector 3, data of 3 starts "
            "at sector 9\n"
            "a.img: 3 entries, 10240 bytes; 2 errors, 2 warnings; 2 contiguity breaks; 2048 dead "
            "bytes in 1 hole\n"
            "a.img: damaged\n");
}

TEST_F(ImgCommand, AddThenExtractGivesTheFileBack) {
  put("a.img", threeEntries());
  std::string mod = pattern(77, 5000);
  put("mod.bin", mod);
  ProgramRun r = img({"add", "a.img", "mod.bin", "textures/new.txd"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "added entry 4 (new.txd) to a.img: 3 sectors at sector 5\n");
  auto p = parseArchive(get("a.img"));
  ASSERT_EQ(p.count, 4u);
  EXPECT_EQ(p.records[3].name, std::string("new.txd") + std::string(17, '\0'));

  r = img({"extract", "a.img", "new.txd", "out.bin"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(get("out.bin"), mod);  // the last entry: fewer bytes than 3 sectors where the file ends
  EXPECT_EQ(r.out, "extracted entry 4 (new.txd): 5000 bytes to out.bin\n");
}

TEST_F(ImgCommand, AddWithoutNameTakesTheFilesName) {
  put("a.img", threeEntries());
  put("car2.dff", "x");
  ProgramRun r = img({"add", "a.img", "car2.dff"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "added entry 4 (car2.dff) to a.img: 1 sector at sector 5\n");
}

TEST_F(ImgCommand, ExtractWholeSectorsOfAnInnerEntry) {
  std::string a = threeEntries();
  put("a.img", a);
  ProgramRun r = img({"extract", "a.img", "car.dff", "car.dff"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(get("car.dff"), a.substr(2048, 4096));
}

TEST_F(ImgCommand, ExtractOfDataPastTheEndFailsAndKeepsOut) {
  put("a.img", makeArchive({{1, 1, "a.dff"}, {7, 1, "far.dff"}}, 2 * 2048));
  put("out.bin", "keep me");
  ProgramRun r = img({"extract", "a.img", "far.dff", "out.bin"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("lies past the end of a.img"), std::string::npos) << r.err;
  EXPECT_EQ(get("out.bin"), "keep me");
}

TEST_F(ImgCommand, ExtractNeverOverwritesTheArchiveItself) {
  std::string a = threeEntries();
  put("a.img", a);
  ProgramRun r =
      img({"extract", "a.img", "car.dff", "A.IMG"});  // the same file, as Windows finds it
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "tamberlin img: Path/File access error: A.IMG is the archive itself; it was left "
            "alone\n");
  EXPECT_EQ(get("a.img"), a);
}

TEST_F(ImgCommand, ReplaceFindsTheLowestExactMatch) {
  put("a.img", makeArchive({{1, 1, "x.dff"}, {2, 1, "car.dff"}, {3, 1, "car.dff"}}, 4 * 2048));
  put("new.dff", pattern(5, 3000));
  ProgramRun r = img({"replace", "a.img", "car.dff", "new.dff"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "replaced entry 2 (car.dff) in a.img: 3000 bytes, 2 sectors at sector 4\n");
  std::string after = get("a.img");
  auto p = parseArchive(after);
  EXPECT_EQ(p.records[1].offset, 4u);
  EXPECT_EQ(p.records[2].offset, 3u);  // the later duplicate is untouched
  EXPECT_EQ(dataOf(after, p.records[1], 3000), pattern(5, 3000));
}

TEST_F(ImgCommand, ReplaceMatchesABlankPaddedName) {
  put("a.img", makeArchive({{1, 1, "bus.txd                \0"}}, 2 * 2048));
  put("n.txd", "abc");
  EXPECT_EQ(img({"replace", "a.img", "bus.txd", "n.txd"}).exitCode, 0);
}

TEST_F(ImgCommand, NamesInTheAnsiCodePageMeetUtf8OnTheCommandLine) {
  put("a.img", makeArchive({{1, 1, "caf\xe9.dff"}, {2, 1, "a\x01.dff"}}, 3 * 2048));  // café
  ProgramRun r = img({"list", "a.img"});
  EXPECT_EQ(r.out,
            "    1          1        1  caf\xc3\xa9.dff\n"
            "    2          2        1  a\\x01.dff\n");  // a control byte shown, not sent
  put("n.dff", "new");
  r = img({"replace", "a.img", "caf\xc3\xa9.dff", "n.dff"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = img({"replace", "a.img", "CAF\xc3\x89.DFF", "n.dff"});  // CAFÉ.DFF
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("did you mean \"caf\xc3\xa9.dff\"?"), std::string::npos) << r.err;
}

TEST_F(ImgCommand, ReplaceOfAMissingNameSuggestsTheCaseAndChangesNothing) {
  std::string a = threeEntries();
  put("a.img", a);
  put("n.dff", "abc");
  ProgramRun r = img({"replace", "a.img", "CAR.DFF", "n.dff"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "tamberlin img: File not found: there is no entry \"CAR.DFF\" in a.img (did you mean "
            "\"car.dff\"? names count letter case)\n");
  EXPECT_EQ(get("a.img"), a);
  r = img({"replace", "a.img", "nothere.dff", "n.dff"});
  EXPECT_EQ(r.err, "tamberlin img: File not found: there is no entry \"nothere.dff\" in a.img\n");
}

TEST_F(ImgCommand, ReplaceWithAMissingOrEmptyFileIsAnError) {
  std::string a = threeEntries();
  put("a.img", a);
  ProgramRun r = img({"replace", "a.img", "car.dff", "gone.dff"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "tamberlin img: File not found: gone.dff; a.img is unchanged\n");
  put("empty.dff", "");
  r = img({"replace", "a.img", "car.dff", "empty.dff"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(get("a.img"), a);
}

TEST_F(ImgCommand, AFileThatIsNoArchiveIsNamedAndLeftAlone) {
  put("x.img", "not an archive at all");
  put("m.dff", "abc");
  for (const char* opt : {"-v", "--continue-on-error"}) {
    ProgramRun r = img({opt, "add", "x.img", "m.dff"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tamberlin img: Invalid file format: x.img does not begin with \"VER2\"\n");
    EXPECT_EQ(get("x.img"), "not an archive at all");
  }
}

TEST_F(ImgCommand, AddOfAMissingFileChangesNothing) {
  std::string a = threeEntries();
  put("a.img", a);
  for (const char* opt : {"--verbose", "--continue-on-error"}) {
    ProgramRun r = img({opt, "add", "a.img", "missing.dff"});
    EXPECT_EQ(r.exitCode, 1) << opt;
    EXPECT_EQ(r.err, "tamberlin img: File not found: missing.dff\n");
    EXPECT_EQ(get("a.img"), a);
    EXPECT_FALSE(std::ifstream(path("missing.dff")).good());
  }
}

TEST_F(ImgCommand, UsageErrorsExit2) {
  EXPECT_EQ(img({}).exitCode, 2);
  EXPECT_EQ(img({"frob", "a.img"}).exitCode, 2);
  EXPECT_EQ(img({"list"}).exitCode, 2);
  EXPECT_EQ(img({"add", "a.img"}).exitCode, 2);
  EXPECT_EQ(img({"replace", "a.img", "x"}).exitCode, 2);
  ProgramRun r = img({"--bogus", "list", "a.img"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("unknown option '--bogus'"), std::string::npos);
  r = img({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("usage: tamberlin img list ARCHIVE\n", 0), 0u);
  EXPECT_EQ(img({"--version"}).exitCode, 0);
}

TEST_F(ImgCommand, DoubleDashEndsOptions) {
  put("-odd.img", threeEntries());
  EXPECT_EQ(img({"list", "--", "-odd.img"}).exitCode, 0);
}

}  // namespace
}  // namespace tamberlin
