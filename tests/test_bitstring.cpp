#include <gtest/gtest.h>

#include <random>

#include "imgarchive/bitstring.h"
#include "imgarchive/codec.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

// The field rules as the bit strings define them: decode joins the bytes' digits last byte
// first; encode takes the last eight digits of the 32-digit padded string, byte by byte.
double decodeByBitStrings(const unsigned char* b) {
  std::string s;
  for (int i = 0; i < 4; ++i) s = NumToBin(b[i]) + s;
  return BinToNum(s);
}

void encodeByBitStrings(std::int32_t v, unsigned char* out) {
  std::string s = NumToBin(v);
  if (s.size() < 32) s.insert(0, 32 - s.size(), '0');
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<unsigned char>(BinToNum(s.substr(s.size() - 8)));
    s.erase(s.size() - 8);
  }
}

TEST(NumToBin, WidthAndSign) {
  EXPECT_EQ(NumToBin(0), "00000000");
  EXPECT_EQ(NumToBin(1), "00000001");
  EXPECT_EQ(NumToBin(5), "00000101");
  EXPECT_EQ(NumToBin(255), "11111111");
  EXPECT_EQ(NumToBin(256), "100000000");
  EXPECT_EQ(NumToBin(65536).size(), 17u);
  EXPECT_EQ(NumToBin(-1), "00000000");
  EXPECT_EQ(NumToBin(INT32_MIN), "00000000");
}

TEST(BinToNum, CountsOnlyOnes) {
  EXPECT_EQ(BinToNum("00000101"), 5);
  EXPECT_EQ(BinToNum("100000000"), 256);
  EXPECT_EQ(BinToNum(""), 0);
  EXPECT_EQ(BinToNum("1x1"), 5);
  EXPECT_EQ(BinToNum("  0 0"), 0);
}

TEST(Field, DecodeExamples) {
  const unsigned char a[4] = {16, 39, 0, 0};
  EXPECT_EQ(decodeField(a), 10000);
  const unsigned char b[4] = {255, 255, 255, 127};
  EXPECT_EQ(decodeField(b), 2147483647);
  const unsigned char c[4] = {0, 0, 0, 128};
  try {
    decodeField(c);
    FAIL() << "2^31 must overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), "Overflow");
  }
}

TEST(Field, EncodeExamples) {
  unsigned char out[4];
  encodeField(256, out);
  EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{0, 1, 0, 0}));
  encodeField(-5, out);
  EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{0, 0, 0, 0}));
}

// The direct decoder agrees with the bit strings for every byte value in every position, and
// overflows exactly where the bit-string value leaves the signed 32-bit range.
TEST(Field, DecodeMatchesBitStringsForEveryByteInEveryPosition) {
  for (int pos = 0; pos < 4; ++pos) {
    for (int v = 0; v < 256; ++v) {
      unsigned char b[4] = {0x5A, 0x01, 0x33, 0x02};
      b[pos] = static_cast<unsigned char>(v);
      double expected = decodeByBitStrings(b);
      if (expected >= 2147483648.0) {
        EXPECT_THROW(decodeField(b), RuntimeError) << pos << " " << v;
      } else {
        EXPECT_EQ(decodeField(b), expected) << pos << " " << v;
      }
    }
  }
}

TEST(Field, EncodeAndDecodeMatchBitStringsOnRandomValues) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
  for (int i = 0; i < 20000; ++i) {
    std::int32_t v = i < 64 ? (1 << (i % 31)) - (i / 31) : any(rng);
    unsigned char direct[4], strings[4];
    encodeField(v, direct);
    encodeByBitStrings(v, strings);
    ASSERT_EQ(std::vector<int>(direct, direct + 4), std::vector<int>(strings, strings + 4)) << v;
    if (v >= 0) {
      ASSERT_EQ(decodeField(direct), v);
    }
  }
}

}  // namespace
}  // namespace tamberlin
