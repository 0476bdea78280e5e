#pragma once
// Dots per inch of a window, and fonts made for it. Windows 10 knows each monitor's density;
// Windows 7 and 8 only the system's, which is then used.
#include <windows.h>

#include "wizard/layout.h"

namespace tamberlin {

/// The window's dots per inch (96 at 100 % scaling).
int windowDpi(HWND hwnd);

/// Grows the client size `width` x `height` (pixels) into the outer size of a window with
/// `style` at `dpi`.
SIZE outerSizeFor(int width, int height, DWORD style, DWORD exStyle, int dpi);

/// The font `font` at `dpi`: the first family of its list that the system has. The caller
/// owns the handle (DeleteObject).
HFONT createLayoutFont(FontId font, int dpi);

}  // namespace tamberlin
