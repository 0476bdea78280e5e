#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "platform/text_writer.h"

namespace tamberlin {
namespace {

TEST(TextWriter, NumbersInDecimalAndCharsAsCharacters) {
  std::string text;
  TextWriter out(text);
  out << std::int32_t{-2147483647 - 1} << ' ' << std::uint64_t{18446744073709551615u} << ' '
      << std::size_t{0} << ' ' << static_cast<unsigned char>(65) << ' ' << std::int16_t{-7} << ' '
      << 'A' << "|" << std::string("s") << std::string_view("v\0w", 3);
  EXPECT_EQ(text, std::string("-2147483648 18446744073709551615 0 65 -7 A|sv\0w", 47));
}

TEST(TextWriter, PadLeftRightAlignsAndKeepsLongTextWhole) {
  EXPECT_EQ(padLeft("42", 5), "   42");
  EXPECT_EQ(padLeft("12345", 5), "12345");
  EXPECT_EQ(padLeft("1234567", 5), "1234567");
  EXPECT_EQ(padLeft("", 3), "   ");
}

/// Two files standing for stdout and stderr when both go to one place.
class TiedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    first_ = std::tmpfile();
    second_ = std::tmpfile();
    ASSERT_NE(first_, nullptr);
    ASSERT_NE(second_, nullptr);
    ASSERT_EQ(std::setvbuf(first_, nullptr, _IOFBF, 4096), 0);  // held until flushed
  }
  void TearDown() override {
    if (first_) std::fclose(first_);
    if (second_) std::fclose(second_);
  }
  /// What the system holds of `f` (not what its buffer still holds).
  static std::string onDisk(std::FILE* f) {
    std::string bytes;
    int fd = fileno(f);
    char buffer[256];
    for (off_t at = 0;; at += 256) {
      ssize_t n = pread(fd, buffer, sizeof buffer, at);
      if (n <= 0) break;
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
  }
  std::FILE* first_ = nullptr;
  std::FILE* second_ = nullptr;
};

TEST_F(TiedFiles, EachWriteFlushesTheTiedStreamFirst) {
  TextWriter out(first_), err(second_, first_);
  out << "result line\n";
  EXPECT_EQ(onDisk(first_), "") << "the first stream buffers";
  err << "error line\n";
  EXPECT_EQ(onDisk(first_), "result line\n") << "written before the error line";
  out << "more";
  out.flush();
  EXPECT_EQ(onDisk(first_), "result line\nmore");
  EXPECT_TRUE(err.writesTo(second_));
  EXPECT_FALSE(err.writesTo(first_));
}

}  // namespace
}  // namespace tamberlin
