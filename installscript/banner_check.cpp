#include "installscript/banner_check.h"

#include <cstdint>

namespace tamberlin {
namespace {

std::uint32_t be16(const std::string& b, std::size_t at) {
  return std::uint32_t{static_cast<unsigned char>(b[at])} << 8 |
         static_cast<unsigned char>(b[at + 1]);
}

std::uint32_t be32(const std::string& b, std::size_t at) {
  return be16(b, at) << 16 | be16(b, at + 2);
}

std::uint32_t le16(const std::string& b, std::size_t at) {
  return std::uint32_t{static_cast<unsigned char>(b[at + 1])} << 8 |
         static_cast<unsigned char>(b[at]);
}

std::uint32_t le32(const std::string& b, std::size_t at) {
  return le16(b, at + 2) << 16 | le16(b, at);
}

/// JPEG: SOI, then segments with their lengths up to a frame header with a size and a scan.
std::string jpegProblem(const std::string& b) {
  bool frame = false;
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<unsigned char>(b[at]) != 0xFF) return "a JPEG segment is broken";
    const unsigned marker = static_cast<unsigned char>(b[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const std::uint32_t length = be16(b, at + 2);
    if (length < 2 || at + 2 + length > b.size()) return "the JPEG file is cut short";
    const bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (length < 8 || be16(b, at + 5) == 0 || be16(b, at + 7) == 0)
        return "the JPEG picture has no size";
      frame = true;
    }
    if (marker == 0xDA) {
      if (!frame) return "the JPEG file has no frame header before its picture data";
      // The picture data runs to the end-of-image marker; without one the file was cut short.
      return b.find("\xFF\xD9", at + 2 + length) != std::string::npos
                 ? ""
                 : "the JPEG file is cut short";
    }
    at += 2 + length;
  }
  return "the JPEG file ends before its picture data";
}

/// PNG: the signature, chunks with their lengths, IHDR first with a size, IDAT, IEND.
std::string pngProblem(const std::string& b) {
  std::size_t at = 8;
  bool header = false, data = false;
  while (at + 12 <= b.size()) {
    const std::uint32_t length = be32(b, at);
    const std::string type = b.substr(at + 4, 4);
    if (length > b.size() - at - 12) return "the PNG file is cut short";
    if (!header && type != "IHDR") return "the PNG file does not begin with its header";
    if (type == "IHDR") {
      if (length < 13 || be32(b, at + 8) == 0 || be32(b, at + 12) == 0)
        return "the PNG picture has no size";
      header = true;
    }
    if (type == "IDAT") data = true;
    if (type == "IEND") return data ? "" : "the PNG file holds no picture data";
    at += 12 + length;
  }
  return "the PNG file is cut short";
}

std::string gifProblem(const std::string& b) {
  if (b.size() < 13 || le16(b, 6) == 0 || le16(b, 8) == 0) return "the GIF picture has no size";
  return b.find(',', 13) == std::string::npos ? "the GIF file holds no picture" : "";
}

std::string bmpProblem(const std::string& b) {
  if (b.size() < 26) return "the BMP file is cut short";
  const std::uint32_t dataAt = le32(b, 10);
  if (le32(b, 18) == 0 || le32(b, 22) == 0) return "the BMP picture has no size";
  return dataAt < b.size() ? "" : "the BMP file is cut short";
}

}  // namespace

std::string bannerProblem(const std::string& b) {
  if (b.empty()) return "the file is empty";
  if (b.size() >= 3 && b.compare(0, 3, "\xFF\xD8\xFF") == 0) return jpegProblem(b);
  if (b.size() >= 8 && b.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0) return pngProblem(b);
  if (b.size() >= 6 && (b.compare(0, 6, "GIF87a") == 0 || b.compare(0, 6, "GIF89a") == 0))
    return gifProblem(b);
  if (b.size() >= 2 && b.compare(0, 2, "BM") == 0) return bmpProblem(b);
  // TIFF: decoded by both platforms' loaders; only its byte order mark is checked here.
  if (b.size() >= 8 && (b.compare(0, 4, std::string("II*\0", 4)) == 0 ||
                        b.compare(0, 4, std::string("MM\0*", 4)) == 0))
    return "";
  return "it is not a picture that the wizard loads on Windows and Linux alike (JPEG, PNG, GIF, "
         "BMP or TIFF)";
}

}  // namespace tamberlin
