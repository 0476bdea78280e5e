#pragma once
// Pictures of the window for documentation: its client area as a bitmap, and bitmaps saved as
// PNG files through the system's own image encoder (WIC).
#include <windows.h>

#include <string>

namespace tamberlin {

/// The client area of `hwnd` as the window draws it; nullptr on failure. Caller owns it.
HBITMAP captureClientArea(HWND hwnd);

/// Writes `bitmap` to `path` as a PNG file; false on failure.
bool writePng(HBITMAP bitmap, const std::wstring& path);

}  // namespace tamberlin
