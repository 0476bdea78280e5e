#include "gui/win32/win_dpi.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/ansi.h"

namespace tamberlin {
namespace {

template <class Fn>
Fn user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC proc = user32 ? GetProcAddress(user32, name) : nullptr;
  Fn fn = nullptr;
  static_assert(sizeof fn == sizeof proc, "function pointers differ in size");
  memcpy(&fn, &proc, sizeof fn);  // FARPROC to the real signature, without a cast warning
  return fn;
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool systemHasFont(const std::wstring& family) {
  if (family.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

}  // namespace

int windowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    UINT dpi = getDpiForWindow(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(hwnd);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(hwnd, dc);
  return dpi > 0 ? dpi : 96;
}

SIZE outerSizeFor(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, width, height};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT createLayoutFont(FontId font, int dpi) {
  const FontChoice& choice = fontOf(font);
  std::wstring family = L"Tahoma";
  for (const std::string& candidate : choice.families) {
    std::wstring w = utf8ToWide(candidate);
    if (systemHasFont(w)) {
      family = w;
      break;
    }
  }
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(choice.pointSize * dpi / 72.0));
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcsncpy(lf.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

}  // namespace tamberlin
