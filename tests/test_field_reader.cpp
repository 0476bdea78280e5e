#include <gtest/gtest.h>

#include <random>

#include "installscript/field_reader.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

std::vector<std::string> texts(const std::string& text, std::size_t n) {
  std::vector<std::string> out;
  for (const Field& f : readFields(text, n)) out.push_back(f.text);
  return out;
}

using Strings = std::vector<std::string>;

TEST(FieldReader, BlanksBeforeAFieldAreSkipped) {
  EXPECT_EQ(texts(" \\models\\gta3.img, car.dff,\t new car.dff\r\n", 3),
            (Strings{"\\models\\gta3.img", "car.dff", "new car.dff"}));
}

TEST(FieldReader, BlanksAtTheEndOfAnUnquotedFieldAreDropped) {
  EXPECT_EQ(texts("a.txt   , b.txt  \r\n", 2), (Strings{"a.txt", "b.txt"}));
}

TEST(FieldReader, QuotedFieldsKeepCommasAndBlanksAndLoseTheirQuotes) {
  EXPECT_EQ(texts("\"my mod, v2\\car one.dff\" , \" data\\x y.txt \"\r\n", 2),
            (Strings{"my mod, v2\\car one.dff", " data\\x y.txt "}));
}

TEST(FieldReader, TextAfterAClosingQuoteIsSkippedUpToTheComma) {
  auto f = readFields("\"a.dff\"junk, b\r\n", 2);
  EXPECT_EQ(f[0].text, "a.dff");
  EXPECT_TRUE(f[0].junkAfterQuote);
  EXPECT_EQ(f[1].text, "b");
}

TEST(FieldReader, AnUnclosedQuoteRunsToTheLineEnd) {
  auto f = readFields("\"a, b\r\n", 1);
  EXPECT_EQ(f[0].text, "a, b");
  EXPECT_TRUE(f[0].unclosed);
  EXPECT_THROW(readFields("\"a, b\r\n", 2), RuntimeError) << "the quote swallowed the second field";
}

TEST(FieldReader, AQuoteInsideAnUnquotedFieldIsAnOrdinaryCharacter) {
  auto f = readFields("my\"car.dff\r\n", 1);
  EXPECT_EQ(f[0].text, "my\"car.dff");
  EXPECT_TRUE(f[0].innerQuote);
}

TEST(FieldReader, EmptyTextGivesOneEmptyFieldThenInputPastEnd) {
  EXPECT_EQ(texts("\r\n", 1), (Strings{""}));
  try {
    readFields("\r\n", 2, "installing.tmp");
    FAIL() << "a second field was read from an empty line";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kInputPastEnd);
    EXPECT_NE(e.detail().find("installing.tmp"), std::string::npos);
  }
}

TEST(FieldReader, ACommaBeforeTheLineEndGivesAnEmptyLastField) {
  EXPECT_EQ(texts("a.txt,\r\n", 2), (Strings{"a.txt", ""}));
  EXPECT_EQ(texts("a,,c\r\n", 3), (Strings{"a", "", "c"}));
}

TEST(FieldReader, ExtraFieldsAreLeftUnread) {
  EXPECT_EQ(texts("a, b, c, d\r\n", 2), (Strings{"a", "b"}));
}

TEST(FieldReader, TooFewFieldsIsInputPastEnd) {
  try {
    readFields("car.dff\r\n", 2);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kInputPastEnd);
    EXPECT_EQ(e.description(), "Input past end of file");
  }
}

TEST(FieldReader, LineEndsOfEveryKindEndARecord) {
  EXPECT_EQ(texts("a\nb\rc\r\nd", 4), (Strings{"a", "b", "c", "d"}));
  FieldReader r("a\r\n");
  EXPECT_FALSE(r.atEnd());
  r.next();
  EXPECT_TRUE(r.atEnd()) << "the CR LF after the last field belongs to it";
}

/// Random fields written as a script author would (quoted when they hold a comma or edge
/// blanks, any blanks after a comma) come back whole and in order.
TEST(FieldReader, WrittenFieldsReadBackWhole) {
  std::mt19937 rng(20261207);
  const std::string alphabet = "ab.\\ ,_-\xE9";
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> want;
    std::string line;
    const int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) {
      std::string f;
      for (std::size_t len = rng() % 8; len > 0; --len) f += alphabet[rng() % alphabet.size()];
      const bool needsQuotes =
          f.find(',') != std::string::npos || (!f.empty() && (f.front() == ' ' || f.back() == ' '));
      if (i > 0) line += "," + std::string(rng() % 3, ' ');
      line += needsQuotes || rng() % 4 == 0 ? "\"" + f + "\"" : f;
      want.push_back(f);
    }
    EXPECT_EQ(texts(line + "\r\n", want.size()), want) << line;
  }
}

}  // namespace
}  // namespace tamberlin
