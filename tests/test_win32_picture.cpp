// The banner loader on Windows: the system's decoders, told by content, at the picture's own
// size, and nothing for bytes that are not a picture. Built into the Windows test program
// (tools/win32-tests) and run under Wine.
#ifdef _WIN32
#include <ole2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/win32/win_picture.h"
#include "support/archive_fixture.h"

namespace tamberlin {
namespace {

/// A 24-bit BMP file of `width` x `height` pixels, every pixel `rgb`.
std::string bmpFile(int width, int height, unsigned rgb) {
  int rowBytes = (width * 3 + 3) / 4 * 4;
  std::string bytes(54 + static_cast<std::size_t>(rowBytes) * height, '\0');
  test::putLE32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  bytes[0] = 'B';
  bytes[1] = 'M';
  test::putLE32(bytes, 10, 54);
  test::putLE32(bytes, 14, 40);
  test::putLE32(bytes, 18, static_cast<std::uint32_t>(width));
  test::putLE32(bytes, 22, static_cast<std::uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::size_t at = 54 + static_cast<std::size_t>(y) * rowBytes + x * 3;
      bytes[at] = static_cast<char>(rgb & 0xFF);
      bytes[at + 1] = static_cast<char>((rgb >> 8) & 0xFF);
      bytes[at + 2] = static_cast<char>((rgb >> 16) & 0xFF);
    }
  return bytes;
}

class Win32Picture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(Win32Picture, DecodesAtItsOwnSizeWhateverTheName) {
  HBITMAP bmp = decodePicture(bmpFile(7, 3, 0x336699));
  ASSERT_NE(bmp, nullptr);
  SIZE size = bitmapSize(bmp);
  EXPECT_EQ(size.cx, 7);
  EXPECT_EQ(size.cy, 3);
  DeleteObject(bmp);

  std::string jpeg = test::readBytes(TAMBERLIN_SOURCE_DIR "/examples/sample-mod/image.jpg");
  HBITMAP banner = decodePicture(jpeg);
  ASSERT_NE(banner, nullptr);
  size = bitmapSize(banner);
  EXPECT_EQ(size.cx, 288);
  EXPECT_EQ(size.cy, 626);
  DeleteObject(banner);
}

TEST_F(Win32Picture, BytesThatAreNoPictureGiveNothing) {
  EXPECT_EQ(decodePicture(""), nullptr);
  EXPECT_EQ(decodePicture("not a picture at all, just text"), nullptr);
  EXPECT_EQ(decodePicture(std::string(4096, '\0')), nullptr);
}

TEST_F(Win32Picture, PixelsKeepTheirColours) {
  std::vector<std::uint8_t> rgb = {172, 168, 153, 255, 255, 255};  // the separator's two rows
  HBITMAP bitmap = bitmapFromRgb(1, 2, rgb);
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(172, 168, 153));
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  EXPECT_EQ(bitmapFromRgb(2, 2, rgb), nullptr);  // too few bytes
}

}  // namespace
}  // namespace tamberlin
#endif
