#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "support/archive_fixture.h"

namespace tamberlin {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;
using Lines = std::vector<std::string>;

TEST(SplitLines, EveryKindOfLineEnd) {
  EXPECT_EQ(splitLines("a\rb\r\nc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("unix\nstyle\n"), (Lines{"unix", "style"}));
  EXPECT_EQ(splitLines("mac\rstyle\r"), (Lines{"mac", "style"}));
  EXPECT_EQ(splitLines("dos\r\nstyle\r\n"), (Lines{"dos", "style"}));
}

TEST(SplitLines, EmptyLinesAreKept) {
  EXPECT_EQ(splitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(splitLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(splitLines("\r\n"), (Lines{""}));
  // LF CR is two line ends (only CR LF is one).
  EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, NoFinalLineEndAndEmptyText) {
  EXPECT_EQ(splitLines("last"), (Lines{"last"}));
  EXPECT_EQ(splitLines(""), Lines{});
  EXPECT_EQ(splitLines("a\r"), (Lines{"a"}));
}

TEST(TextFile, ReadDecodesTheAnsiCodePage) {
  TempDir dir;
  writeBytes(dir.file("t.cfg"), "Caf\xe9\r\n\x80 5\nend");
  EXPECT_EQ(readTextLines(realFileSystem(), dir.file("t.cfg")),
            (Lines{"Caf\xc3\xa9", "\xe2\x82\xac 5", "end"}));
}

TEST(TextFile, WriteEncodesAndEndsEachLineWithCrLf) {
  TempDir dir;
  writeBytes(dir.file("o.tmp"), "old contents that are longer");
  writeTextLines(realFileSystem(), dir.file("o.tmp"), {"Caf\xc3\xa9", "", "x"});
  EXPECT_EQ(readBytes(dir.file("o.tmp")), "Caf\xe9\r\n\r\nx\r\n");
  writeTextLines(realFileSystem(), dir.file("o.tmp"), {});
  EXPECT_EQ(readBytes(dir.file("o.tmp")), "");
}

TEST(TextFile, MissingFileIsError53) {
  TempDir dir;
  try {
    readWholeFile(realFileSystem(), dir.file("none.cfg"));
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kFileNotFound);
    EXPECT_NE(e.text().find("none.cfg"), std::string::npos);
  }
}

}  // namespace
}  // namespace tamberlin
