// What lint says about the code page a mod is read in: files saved as UTF-8, characters the code
// page lacks, bytes that are no character of it.
#include <gtest/gtest.h>

#include <algorithm>

#include "installscript/lint.h"
#include "platform/text_writer.h"
#include "support/scoped_code_page.h"

namespace tamberlin {
namespace {

struct CodePageLintCase {
  unsigned codePage;
  bool textCfg;  ///< the bytes are a "text.cfg", not an "ins.cfg"
  std::string bytes;
  std::size_t findings;  ///< about the code page (their text names it)
  std::size_t line;      ///< of the one whose text holds `part`
  LintLevel level;
  std::string part;
};

TEST(LintCodePage, UnicodeScriptsAndCharactersTheCodePageLacks) {
  const LintLevel W = LintLevel::Warning, E = LintLevel::Error;
  const CodePageLintCase cases[] = {
      // Saved as UTF-8: every line with Cyrillic reads as other characters, none is lost.
      {1251, false, "; Мой мод\r\nMAKEDIR Моды\r\nADD Привет.txt, Моды\\Привет.txt\r\n", 3, 1, W,
       "the line is UTF-8: \"Мой\" reads as \"РњРѕР№\" in code page 1251"},
      {1251, false, "MAKEDIR x\r\nMAKEDIR Café\r\n", 2, 2, W, "\"Café\" reads as"},
      {1251, false, "MAKEDIR Café\r\n", 2, 1, E,
       "field 1 \"Café\" holds \"é\" (U+00E9), which code page 1251 cannot hold; saving the script "
       "as ANSI would lose it"},
      {1250, false, "ADD a.txt, Zażółć\r\n", 1, 1, W, "code page 1250"},
      // Saved as ANSI, the same words are clean.
      {1251, false, "MAKEDIR \xcc\xee\xe4\xfb\r\nADD a.txt, \xcc\xee\xe4\xfb\\a.txt\r\n", 0, 0, W,
       ""},
      {1252, false, "MAKEDIR a\x81z\r\n", 0, 0, W, ""},  // a hole of 1252 stands for itself
      {65001, false, "MAKEDIR Моды\r\n", 0, 0, W, ""},
      // Bytes that are no character: the installation stops with error 52.
      {932, false, "MAKEDIR \x83\x5c\xff\r\n", 1, 1, E,
       "field 1 \"ソ\xef\xbf\xbd\" holds bytes that are no character of code page 932; the "
       "installation stops at this line (error 52)"},
      {932, false, "MAKEDIR x, \xff\r\n", 1, 1, E, "the operands holds bytes"},
      {1251, false, "\xEF\xBB\xBFMAKEDIR x\r\n", 1, 0, E, "save it as ANSI, code page 1251"},
      // text.cfg: shown, not run.
      {1251, true, "Привет\r\n2\r\n3\r\n4\r\n5", 1, 1, W, "\"Привет\" reads as \"РџСЂРёРІРµС‚\""},
      {1251, true, "1\r\n2\r\nCafé\r\n4\r\n5", 2, 3, W, "holds \"é\" (U+00E9)"},
      {1251, true, "\xcf\xf0\xe8\xe2\xe5\xf2\r\n2\r\n3\r\n4\r\n5", 0, 0, W, ""},
  };
  for (const CodePageLintCase& c : cases) {
    test::ScopedCodePage cp(c.codePage);
    LintReport r;
    if (c.textCfg)
      lintTextCfg(c.bytes, r);
    else
      r = lintScript(c.bytes, [](const std::string&) { return true; });
    std::vector<const LintMessage*> found;
    for (const LintMessage& m : r.messages)
      if (m.text.find("code page") != std::string::npos) found.push_back(&m);
    ASSERT_EQ(found.size(), c.findings) << c.bytes;
    if (found.empty()) continue;
    auto it = std::find_if(found.begin(), found.end(), [&c](const LintMessage* m) {
      return m->text.find(c.part) != std::string::npos;
    });
    ASSERT_NE(it, found.end()) << found[0]->text;
    EXPECT_EQ((*it)->line, c.line) << (*it)->text;
    EXPECT_EQ((*it)->level, c.level) << (*it)->text;
    EXPECT_EQ((*it)->file, c.textCfg ? "text.cfg" : "ins.cfg");
  }
}

TEST(LintCodePage, AUnicodeScriptIsSaidOnceWithItsLines) {
  test::ScopedCodePage cp(1251);
  std::string script = "; Мой мод\r\nMAKEDIR Моды\r\nMAKEDIR x\r\n";
  for (int i = 0; i < 5; ++i) script += "ADD a.txt, Моды\\a.txt\r\n";
  LintReport r = lintScript(script, [](const std::string&) { return true; });
  std::string text;
  TextWriter out(text);
  printLint(r, out);
  EXPECT_NE(text.find("ins.cfg: warning: 7 lines are UTF-8, which code page 1251 reads as other "
                      "characters: 1-2, 4-8; save the script as ANSI, code page 1251"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("ins.cfg:2: warning"), std::string::npos) << text;
  EXPECT_EQ(r.errors, 0u) << text;
}

}  // namespace
}  // namespace tamberlin
