#include <gtest/gtest.h>

#include "platform/ansi.h"
#include "platform/runtime_error.h"
#include "platform/win_path.h"
#include "support/scoped_code_page.h"

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

struct CodePageText {
  unsigned codePage;
  std::string ansi, utf8;
};

TEST(Ansi, EachCodePageDecodesAndEncodesWholeTexts) {
  // Bytes spelt out; in 932, 936 and 950 the second byte of the first character is 0x5C.
  const CodePageText cases[] = {
      {1251, "\xcf\xf0\xe8\xe2\xe5\xf2\\a", "Привет\\a"},
      {1250, "\x43\x7a\x65\x9c\xe6", "Cześć"},
      {932, "\x83\x5c\x83\x74\x83\x67\\\x95\x5c", "ソフト\\表"},
      {936, "\xd8\x5c\xd6\xd0", "豛中"},
      {949, "\xc7\xd1\\\xb1\xdb", "한\\글"},
      {950, "\xa5\x5c\xaf\xe0", "功能"},
      {874, "\xa1\xd2", "กา"},
      {1253, "\xe1\xe2", "αβ"},
      {1257, "\xe0\xf0", "ąš"},
  };
  for (const CodePageText& c : cases) {
    test::ScopedCodePage cp(c.codePage);
    EXPECT_EQ(ansiToUtf8(c.ansi), c.utf8) << c.codePage;
    AnsiEncoding back = encodeAnsi(c.utf8);
    EXPECT_TRUE(back.ok()) << c.codePage;
    EXPECT_EQ(back.bytes, c.ansi) << c.codePage;
  }
  test::ScopedCodePage cp(932);
  EXPECT_EQ(splitPath(ansiToUtf8("\x83\x5c\\\x95\x5c.txt")),
            (std::vector<std::string>{"ソ", "表.txt"}));
}

TEST(Ansi, EverySingleByteRoundTripsInEverySingleByteCodePage) {
  for (unsigned cpNo : {874u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u}) {
    test::ScopedCodePage cp(cpNo);
    for (int b = 0x80; b < 0x100; ++b) {
      const std::string one(1, static_cast<char>(b));
      const std::string utf8 = ansiToUtf8(one);
      if (utf8 == "\xef\xbf\xbd") continue;  // no character of this code page
      EXPECT_EQ(encodeAnsi(utf8).bytes, one) << cpNo << " byte " << b;
    }
  }
}

TEST(Ansi, BytesThatAreNoCharacter) {
  test::ScopedCodePage cp(932);
  // A pair that is no character stays one unit: its 0x5C never shows up as "\".
  EXPECT_EQ(ansiToUtf8("a\x85\x5c"
                       "b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(encodeAnsi("a\xef\xbf\xbd").missing, "\xef\xbf\xbd");
  // A lead byte with nothing after it is a control character, and encodes back to itself.
  EXPECT_EQ(ansiToUtf8("a\x83"), "a\xc2\x83");
  EXPECT_EQ(encodeAnsi("a\xc2\x83").bytes, "a\x83");
}

TEST(Ansi, StrictEncodingNamesTheCharacterTheCodePageLacks) {
  test::ScopedCodePage cp(1251);
  AnsiEncoding e = encodeAnsi("\xd0\xb6-caf\xc3\xa9-\xe4\xb8\xad");
  EXPECT_FALSE(e.ok());
  EXPECT_EQ(e.missing, "\xc3\xa9");
  EXPECT_EQ(utf8ToAnsi("\xd0\xb6-caf\xc3\xa9"), "\xe6-caf?") << "the lenient form, for showing";
  try {
    ansiBytes("caf\xc3\xa9", "the name \"caf\xc3\xa9\"");
    FAIL();
  } catch (const RuntimeError& err) {
    EXPECT_EQ(err.number(), err::kBadFileNameOrNumber);
    EXPECT_EQ(err.detail(),
              "the name \"caf\xc3\xa9\" holds \"\xc3\xa9\" (U+00E9), which code page 1251 "
              "cannot hold");
  }
  EXPECT_EQ(unencodableText("x", "\xff"), "x holds the byte 0xFF, which is not UTF-8 text");
  EXPECT_FALSE(encodeAnsi("ab\xff").ok()) << "bytes that are not UTF-8 are no name";
}

}  // namespace
}  // namespace tamberlin
