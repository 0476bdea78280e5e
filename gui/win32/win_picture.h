#pragma once
// Pictures for the window: files decoded by the system's own picture loader (OLE), and raw
// pixels, both as device-independent bitmaps the caller owns (DeleteObject).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tamberlin {

/// Decodes a picture file's bytes into a bitmap at the picture's own size; nullptr when the bytes
/// are not a picture. The format is told by content: JPEG, GIF, BMP, icons and metafiles through
/// OLE's picture loader, PNG, TIFF and whatever else the system's imaging component knows
/// through that.
HBITMAP decodePicture(const std::string& fileBytes);

/// A bitmap of `width` x `height` pixels from 3-byte R, G, B pixels, rows top to bottom;
/// nullptr when `rgb` is too short.
HBITMAP bitmapFromRgb(int width, int height, const std::vector<std::uint8_t>& rgb);

/// The pixel size of a bitmap.
SIZE bitmapSize(HBITMAP bitmap);

}  // namespace tamberlin
