#include <gtest/gtest.h>

#include <set>

#include "installscript/lint.h"
#include "installscript/script_file.h"
#include "platform/text_writer.h"
#include "support/archive_fixture.h"
#include "support/run_program.h"

namespace tamberlin {
namespace {

using test::runProgram;
using test::TempDir;
using test::writeBytes;

/// Lints `script` with the mod's files being `files`.
LintReport lint(const std::string& script, std::set<std::string> files = {}) {
  return lintScript(script, [files](const std::string& p) { return files.count(p) > 0; });
}

/// The texts of line `n` at `level`.
std::vector<std::string> at(const LintReport& r, std::size_t n, LintLevel level) {
  std::vector<std::string> out;
  for (const LintMessage& m : r.messages)
    if (m.line == n && m.level == level) out.push_back(m.text);
  return out;
}

bool has(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& t : texts)
    if (t.find(part) != std::string::npos) return true;
  return false;
}

TEST(Lint, EachLineHasItsMeaningAndACleanScriptHasNoFindings) {
  LintReport r = lint(
      "; My mod\r\n\r\nMAKEDIR data\\mymod\r\nADD car.dff, data\\mymod\\car.dff\r\n"
      "REPINIMG \\models\\gta3.img, car.dff, car.dff\r\nADDINIMG \\models\\gta3.img, "
      "\"my files\\car2.dff\"\r\nDELETE data\\*.bak\r\n",
      {"car.dff", "my files\\car2.dff"});
  EXPECT_EQ(r.errors, 0u);
  EXPECT_EQ(r.warnings, 0u);
  EXPECT_EQ(r.lines, 7u);
  EXPECT_EQ(r.commands, 5u);
  EXPECT_EQ(at(r, 1, LintLevel::Meaning), std::vector<std::string>{"note"});
  EXPECT_EQ(at(r, 2, LintLevel::Meaning), std::vector<std::string>{"empty line"});
  EXPECT_TRUE(has(at(r, 4, LintLevel::Meaning), "ADD: copy \"car.dff\" to the game's"));
  EXPECT_TRUE(has(at(r, 6, LintLevel::Meaning), "as entry \"car2.dff\""));
}

TEST(Lint, CommandsThatWouldNotRunAsMeant) {
  LintReport r =
      lint(" ADD car.dff, car.dff\r\nMAKDIR x\r\nADDIMG x\r\nCopy all files\r\n", {"car.dff"});
  EXPECT_TRUE(has(at(r, 1, LintLevel::Error), "indented ADD"));
  EXPECT_TRUE(has(at(r, 2, LintLevel::Warning), "misspelt MAKEDIR"));
  EXPECT_TRUE(has(at(r, 3, LintLevel::Warning), "runs on"));
  EXPECT_TRUE(at(r, 4, LintLevel::Warning).empty()) << "an ordinary note";
}

TEST(Lint, FieldProblems) {
  LintReport r = lint(
      "ADD car.dff\r\nADD \"car.dff, x\r\nADD \"car.dff\"x, x\r\nADD car.dff, x, y\r\n"
      "ADD ca\"r.dff, x\r\n",
      {"car.dff", "ca\"r.dff"});
  EXPECT_TRUE(has(at(r, 1, LintLevel::Error), "needs 2 comma-separated fields"));
  EXPECT_TRUE(has(at(r, 2, LintLevel::Error), "does not close"));
  EXPECT_TRUE(has(at(r, 3, LintLevel::Warning), "after the closing quote"));
  EXPECT_TRUE(has(at(r, 4, LintLevel::Warning), "are ignored"));
  EXPECT_TRUE(has(at(r, 5, LintLevel::Warning), "inside an unquoted field"));
}

TEST(Lint, MissingSourcesAndPathsLeavingTheGame) {
  LintReport r = lint(
      "ADD gone.dff, x\r\nADD car.dff, ..\\x\r\nDELETE\r\nMAKEDIR C:\\x\r\n"
      "REPINIMG ..\\gta3.img, a.dff, car.dff\r\nMAKEDIR Tamberlin\\x\r\n",
      {"car.dff"});
  EXPECT_TRUE(has(at(r, 1, LintLevel::Error), "\"gone.dff\" does not exist"));
  EXPECT_TRUE(has(at(r, 2, LintLevel::Error), "leave the game folder"));
  EXPECT_TRUE(has(at(r, 3, LintLevel::Error), "names the game folder itself"));
  EXPECT_TRUE(has(at(r, 4, LintLevel::Error), "leave the game folder"));
  EXPECT_TRUE(has(at(r, 5, LintLevel::Error), "leave the game folder"));
  EXPECT_TRUE(has(at(r, 6, LintLevel::Error), "names Tamberlin's own folder"));
  EXPECT_EQ(r.errors, 6u);
}

TEST(Lint, EntryNamesTheGameWillNotLoad) {
  const std::string name23 = "abcdefghijklmnopqrs.dff";  // 23 characters
  LintReport r = lint("REPINIMG \\models\\gta3.img, " + name23 + ", a.dff\r\n" +
                          "REPINIMG \\models\\gta3.img, x" + name23 + ", a.dff\r\n" +
                          "ADDINIMG \\models\\gta3.img, mods\\nodot\r\n",
                      {"a.dff", "mods\\nodot"});
  EXPECT_TRUE(at(r, 1, LintLevel::Error).empty());
  EXPECT_TRUE(has(at(r, 2, LintLevel::Error), "24 characters"));
  EXPECT_TRUE(has(at(r, 3, LintLevel::Error), "\"nodot\" has no dot"));
}

TEST(Lint, LoneLineFeedsAreWarnedAbout) {
  LintReport r = lint("MAKEDIR a\nMAKEDIR a\\b\r\n");
  EXPECT_EQ(r.lines, 2u);
  EXPECT_TRUE(has(at(r, 1, LintLevel::Warning), "lone LF"));
  EXPECT_TRUE(at(r, 2, LintLevel::Warning).empty());
  EXPECT_EQ(r.errors, 0u);
}

TEST(Lint, WholeFileProblems) {
  LintReport bom = lint("\xEF\xBB\xBFMAKEDIR x\r\n");
  EXPECT_EQ(bom.errors, 1u);
  EXPECT_TRUE(has(at(bom, 0, LintLevel::Error), "byte order mark"));
  EXPECT_EQ(at(bom, 1, LintLevel::Meaning), std::vector<std::string>{"note"})
      << "the mark hides the command word";

  std::string many;
  for (std::size_t i = 0; i <= kMaxScriptLines; ++i) many += "\r\n";
  EXPECT_TRUE(has(at(lint(many), 0, LintLevel::Error), "50002 lines"));
  EXPECT_EQ(lint(many.substr(2)).errors, 0u);
}

TEST(Lint, ModFilesAsTheWizardLoadsThem) {
  const std::string jpeg = test::readBytes(TAMBERLIN_SOURCE_DIR "/examples/sample-mod/image.jpg");
  struct Case {
    std::string textCfg, banner;
    std::size_t errors;
    std::string finding;  ///< part of the one finding expected; empty for none
  } cases[] = {
      {"1\r\n2\r\n3\r\n4\r\n5", jpeg, 0, ""},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", jpeg, 1, "group from line 6 is cut short"},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n\r\n", jpeg, 1, "an empty line after the fifth"},
      {"", jpeg, 0, "the file is empty"},
      {"1\r\n2\r\n3\r\n4\r\n5", jpeg.substr(0, jpeg.size() / 3), 1, "cut short"},
      {"1\r\n2\r\n3\r\n4\r\n5", "GIF89a", 1, "no size"},
      {"1\r\n2\r\n3\r\n4\r\n5", "hello, world", 1, "not a picture"},
  };
  for (const Case& c : cases) {
    LintReport r;
    lintTextCfg(c.textCfg, r);
    lintBanner(c.banner, r);
    EXPECT_EQ(r.errors, c.errors) << c.textCfg;
    ASSERT_EQ(r.messages.size(), c.finding.empty() ? 0u : 1u) << c.textCfg;
    if (!c.finding.empty()) {
      EXPECT_TRUE(has({r.messages[0].text}, c.finding)) << c.textCfg;
    }
  }
}

TEST(Lint, AWarningOnManyLinesIsSaidOnceWithItsLines) {
  std::string script;
  for (int i = 0; i < 14; ++i) script += "MAKEDIR x\n";
  script += "Delete the old backups first\r\nDELETE data\\old files\\*.bak\r\n";
  LintReport r = lint(script);
  EXPECT_TRUE(has(at(r, 15, LintLevel::Warning), "reads like a sentence"));
  EXPECT_TRUE(at(r, 16, LintLevel::Warning).empty()) << "a path with blanks is no sentence";
  std::string text;
  TextWriter out(text);
  printLint(r, out);
  EXPECT_NE(text.find("ins.cfg: warning: 14 lines end with LF alone: 1-14; save"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("ins.cfg:3: warning"), std::string::npos) << text;
  EXPECT_NE(text.find("ins.cfg:15: warning: this reads like a sentence"), std::string::npos);
}

TEST(LintCommand, ChecksAModFolderAndExitsOneOnErrors) {
  TempDir mod;
  writeBytes(mod.file("car.dff"), "c");
  writeBytes(mod.file("text.cfg"), "1\r\n2\r\n3\r\n4\r\n5\r\n");
  writeBytes(mod.file("image.jpg"),
             test::readBytes(TAMBERLIN_SOURCE_DIR "/examples/sample-mod/image.jpg"));
  writeBytes(mod.file("ins.cfg"), "ADD car.dff, models\\car.dff\r\n");
  auto ok = runProgram(TAMBERLIN_BINARY, {"lint", mod.path()});
  EXPECT_EQ(ok.exitCode, 0) << ok.out << ok.err;
  EXPECT_NE(ok.out.find("ins.cfg:1: ADD: copy"), std::string::npos) << ok.out;

  writeBytes(mod.file("ins.cfg"), "ADD gone.dff, models\\car.dff\r\n");
  auto bad = runProgram(TAMBERLIN_BINARY, {"lint"}, mod.path());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.out.find("ins.cfg:1: error:"), std::string::npos) << bad.out;

  TempDir empty;
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"lint", empty.path()}).exitCode, 1) << "no ins.cfg";
  EXPECT_EQ(runProgram(TAMBERLIN_BINARY, {"lint", "a", "b"}).exitCode, 2);
}

}  // namespace
}  // namespace tamberlin
