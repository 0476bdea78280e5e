// The code page on the command line: "--codepage N", or the locale when there is none.
#include <gtest/gtest.h>

#include "support/archive_fixture.h"
#include "support/run_program.h"

namespace tamberlin::test {
namespace {

const std::string kPrivet = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.dff";  // Привет.dff
const std::string kPrivet1251 = "\xcf\xf0\xe8\xe2\xe5\xf2.dff";

TEST(CodePageOption, ACodePageTheConverterLacksIsAUsageError) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"install", "game", "--codepage", "99999"},
       "tamberlin install: --codepage 99999: not an ANSI code page this system can convert\n"},
      {{"lint", "--codepage=37"},
       "tamberlin lint: --codepage 37: not an ANSI code page this system can convert\n"},
      {{"img", "list", "a.img", "--codepage", "x"},
       "tamberlin img: --codepage x: not an ANSI code page this system can convert\n"},
      {{"img", "list", "a.img", "--codepage"}, "tamberlin img: --codepage needs a number\n"},
  };
  for (const Case& c : cases) {
    ProgramRun r = runProgram(TAMBERLIN_BINARY, c.args, dir.path());
    EXPECT_EQ(r.exitCode, 2) << c.args[0];
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(CodePageOption, NamesGoIntoTheArchiveInTheChosenCodePage) {
  struct Case {
    const char* how;
    std::vector<std::string> option, env;
  } cases[] = {
      {"--codepage", {"--codepage", "1251"}, {}},
      {"the locale", {}, {"LANG=ru_RU.UTF-8"}},
      {"LC_ALL over LANG", {}, {"LANG=ja_JP.UTF-8", "LC_ALL=uk_UA.UTF-8"}},
      {"--codepage over the locale", {"--codepage=1251"}, {"LANG=pl_PL.UTF-8"}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeBytes(dir.file("a.img"), makeArchive({{1, 1, "a.dff"}}, 2 * 2048));
    writeBytes(dir.file("new.dff"), "new");
    std::vector<std::string> add{"img", "add", "a.img", "new.dff", kPrivet};
    add.insert(add.end(), c.option.begin(), c.option.end());
    ProgramRun r = runProgram(TAMBERLIN_BINARY, add, dir.path(), c.env);
    ASSERT_EQ(r.exitCode, 0) << c.how << ": " << r.err;
    Parsed p = parseArchive(readBytes(dir.file("a.img")));
    ASSERT_EQ(p.count, 2u) << c.how;
    EXPECT_EQ(p.records[1].name, nameField(kPrivet1251)) << c.how;
    std::vector<std::string> list{"img", "list", "a.img"};
    list.insert(list.end(), c.option.begin(), c.option.end());
    r = runProgram(TAMBERLIN_BINARY, list, dir.path(), c.env);
    EXPECT_NE(r.out.find(kPrivet), std::string::npos) << c.how << ": " << r.out;
  }
}

TEST(CodePageOption, ANameTheCodePageCannotHoldIsRefused) {
  TempDir dir;
  const std::string archive = makeArchive({{1, 1, "a.dff"}}, 2 * 2048);
  writeBytes(dir.file("a.img"), archive);
  writeBytes(dir.file("new.dff"), "new");
  ProgramRun r = runProgram(TAMBERLIN_BINARY, {"img", "add", "a.img", "new.dff", "caf\xc3\xa9.dff"},
                            dir.path(), {"LANG=ru_RU.UTF-8"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "tamberlin img: Bad file name or number: the entry name \"caf\xc3\xa9.dff\" holds "
            "\"\xc3\xa9\" (U+00E9), which code page 1251 cannot hold\n");
  EXPECT_EQ(readBytes(dir.file("a.img")), archive);
}

}  // namespace
}  // namespace tamberlin::test
