#include <gtest/gtest.h>

#include "platform/ansi.h"

namespace tamberlin {
namespace {

TEST(Ansi, EveryByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    std::string utf8 = ansiToUtf8(one);
    EXPECT_EQ(utf8ToAnsi(utf8), one) << "byte " << b;
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
}

TEST(Ansi, TheCodePagesOwnCharacters) {
  EXPECT_EQ(ansiToUtf8("\x80"), "\xe2\x82\xac");  // euro sign
  EXPECT_EQ(ansiToUtf8("\x9f"), "\xc5\xb8");      // Y with diaeresis
  EXPECT_EQ(ansiToUtf8("\xe9"), "\xc3\xa9");      // e acute
  EXPECT_EQ(ansiToUtf8("plain"), "plain");
  EXPECT_EQ(utf8ToAnsi("\xe2\x82\xac"), "\x80");
  EXPECT_EQ(utf8ToAnsi("\xe2\x80\x9c"
                       "q"
                       "\xe2\x80\x9d"),
            "\x93q\x94");  // curly quotes
}

TEST(Ansi, UndefinedBytesMapToControlCharacters) {
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    std::string utf8 = ansiToUtf8(std::string(1, static_cast<char>(b)));
    std::wstring w = utf8ToWide(utf8);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(w[0]), b);
  }
}

TEST(Ansi, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ(utf8ToAnsi("a\xc4\x80z"), "a?z");      // A with macron
  EXPECT_EQ(utf8ToAnsi("\xe4\xb8\xad"), "?");      // a CJK character
  EXPECT_EQ(utf8ToAnsi("\xf0\x9f\x98\x80"), "?");  // outside the BMP
}

TEST(Ansi, InvalidUtf8IsTakenAsAnsiBytes) {
  EXPECT_EQ(utf8ToAnsi("caf\xe9"), "caf\xe9");
  std::wstring w = utf8ToWide("caf\xe9");
  ASSERT_EQ(w.size(), 4u);
  EXPECT_EQ(static_cast<unsigned>(w[3]), 0xE9u);
}

TEST(Ansi, Utf8ToWideDecodesEverySequenceLength) {
  std::wstring w = utf8ToWide("a\xc3\xa9\xe2\x82\xac");
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(static_cast<unsigned>(w[1]), 0xE9u);
  EXPECT_EQ(static_cast<unsigned>(w[2]), 0x20ACu);
}

}  // namespace
}  // namespace tamberlin
