#include <gtest/gtest.h>

#include "installscript/command_word.h"
#include "platform/runtime_error.h"
#include "support/install_rig.h"

namespace tamberlin {
namespace {

using test::InstallRig;

class ReadInsTest : public ::testing::Test {
 protected:
  std::vector<std::string> read(const std::string& bytes) {
    rig.writeScript(bytes);
    rig.form.ReadINS();
    auto n = static_cast<std::size_t>(rig.form.numNumHH);
    return {rig.form.insLines.begin(), rig.form.insLines.begin() + static_cast<long>(n)};
  }
  InstallRig rig;
};

using Strings = std::vector<std::string>;

TEST_F(ReadInsTest, EmptyScriptReadsNothing) {
  EXPECT_TRUE(read("").empty());
  EXPECT_EQ(rig.form.numNumHH, 0.0f);
  EXPECT_EQ(rig.form.insLines.size(), Form1Install::kMaxLines);
}

TEST_F(ReadInsTest, LastLineNeedsNoEndAndAFinalEndAddsNoLine) {
  EXPECT_EQ(read("ADD a, b\r\nMAKEDIR x"), (Strings{"ADD a, b", "MAKEDIR x"}));
  rig.form.numNumHH = 0;
  EXPECT_EQ(read("ADD a, b\r\nMAKEDIR x\r\n"), (Strings{"ADD a, b", "MAKEDIR x"}));
}

TEST_F(ReadInsTest, EmptyLinesInTheMiddleStay) {
  EXPECT_EQ(read("a\r\n\r\n\rb\r\n"), (Strings{"a", "", "", "b"}));
}

TEST_F(ReadInsTest, LoneLineFeedsEndLinesToo) {
  EXPECT_EQ(read("MAKEDIR a\nMAKEDIR a\\b\n"), (Strings{"MAKEDIR a", "MAKEDIR a\\b"}));
}

TEST_F(ReadInsTest, ScriptIsDecodedFromWindows1252) {
  EXPECT_EQ(read("ADD caf\xE9.txt, x\x80.txt\r\n"),
            (Strings{"ADD caf\xC3\xA9.txt, x\xE2\x82\xAC.txt"}));
}

TEST_F(ReadInsTest, ASecondCallAppends) {
  read("a\r\nb\r\n");
  EXPECT_EQ(read("c\r\n"), (Strings{"a", "b", "c"}));
}

TEST_F(ReadInsTest, ExactlyTheMostLinesAreRead) {
  std::string bytes;
  for (std::size_t i = 0; i < Form1Install::kMaxLines; ++i) bytes += "x\r\n";
  EXPECT_EQ(read(bytes).size(), Form1Install::kMaxLines);
}

TEST_F(ReadInsTest, OneLineMoreIsSubscriptOutOfRange) {
  std::string bytes;
  for (std::size_t i = 0; i < Form1Install::kMaxLines; ++i) bytes += "x\r\n";
  rig.writeScript(bytes + "MAKEDIR never\r\n");
  try {
    rig.form.ReadINS();
    FAIL() << "a 50002nd line was accepted";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kSubscript);
  }
  EXPECT_EQ(rig.form.numNumHH, static_cast<float>(Form1Install::kMaxLines));
}

TEST_F(ReadInsTest, MissingScriptIsBadFileNameNamingIt) {
  try {
    rig.form.ReadINS();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kBadFileNameOrNumber);
    EXPECT_NE(e.detail().find("ins.cfg"), std::string::npos) << e.detail();
  }
}

TEST(CommandWord, FirstCharactersInAnyCaseInTheFixedOrder) {
  struct Case {
    const char* line;
    ScriptCommand command;
    const char* operand;
  };
  const Case cases[] = {
      {"REPINIMG \\models\\gta3.img, a.dff, a.dff", ScriptCommand::RepInImg,
       " \\models\\gta3.img, a.dff, a.dff"},
      {"addinimg x.img, y.col", ScriptCommand::AddInImg, " x.img, y.col"},
      {"AddInImg,y", ScriptCommand::AddInImg, ",y"},
      {"Delete data\\*.bak", ScriptCommand::Delete, " data\\*.bak"},
      {"ADDX", ScriptCommand::Add, "X"},
      {"Add the car to the game", ScriptCommand::Add, " the car to the game"},
      {"MAKEDIR", ScriptCommand::MakeDir, ""},
      {" ADD a, b", ScriptCommand::None, ""},
      {"; ADD a, b", ScriptCommand::None, ""},
      {"", ScriptCommand::None, ""},
      {"AD", ScriptCommand::None, ""},
      {"REPLIMG a, b, c", ScriptCommand::None, ""},
      {"MAKE DIR x", ScriptCommand::None, ""},
  };
  for (const Case& c : cases) {
    RecognisedLine r = recogniseLine(c.line);
    EXPECT_EQ(r.command, c.command) << c.line;
    EXPECT_EQ(r.operand, c.operand) << c.line;
  }
}

}  // namespace
}  // namespace tamberlin
