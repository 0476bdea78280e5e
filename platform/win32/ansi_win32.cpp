// Windows-1252 conversions through the system's own code page tables. The program's text files
// are in code page 1252 whatever the user's ANSI code page is, as on every other platform.
#include <windows.h>

#include <string>

#include "platform/ansi.h"
#include "platform/win32/wide_text.h"

namespace tamberlin {
namespace {

constexpr UINT kCodePage = 1252;

std::wstring toWide(UINT codePage, DWORD flags, const char* text, std::size_t size) {
  if (size == 0) return {};
  int n = MultiByteToWideChar(codePage, flags, text, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text, static_cast<int>(size), out.data(), n);
  return out;
}

std::string fromWide(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return {};
  BOOL* usedDefault = nullptr;
  const char* defaultChar = nullptr;
  DWORD flags = 0;
  if (codePage != CP_UTF8) {
    // Best-fit would turn characters the code page lacks into look-alikes; "?" is the contract.
    flags = WC_NO_BEST_FIT_CHARS;
    defaultChar = "?";
  }
  int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr,
                              0, defaultChar, usedDefault);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      defaultChar, usedDefault);
  return out;
}

/// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid UTF-8.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

std::string ansiToUtf8(const std::string& ansi) {
  return fromWide(CP_UTF8, toWide(kCodePage, 0, ansi.data(), ansi.size()));
}

std::string wideToUtf8(const std::wstring& wide) {
  return fromWide(CP_UTF8, wide);
}

std::string utf8ToAnsi(const std::string& utf8) {
  // A character beyond the 16-bit range is two UTF-16 units, which the system would turn into
  // two "?": it is one character, so it becomes one.
  std::wstring wide = utf8ToWide(utf8);
  for (std::size_t i = 0; i + 1 < wide.size(); ++i) {
    if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
      wide.replace(i, 2, 1, L'?');
  }
  return fromWide(kCodePage, wide);
}

std::wstring utf8ToWide(const std::string& utf8) {
  // Valid UTF-8 converts in one call; otherwise each byte that is not part of a valid sequence
  // is taken as a Windows-1252 character, so no text is lost to replacement characters.
  if (utf8.empty()) return {};
  std::wstring whole = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8.size());
  if (!whole.empty()) return whole;
  std::wstring out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = utf8Length(utf8, i);
    std::wstring part =
        n > 0 ? toWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data() + i, n) : std::wstring();
    if (part.empty()) {
      n = 1;
      part = toWide(kCodePage, 0, utf8.data() + i, 1);
    }
    out += part;
    i += n;
  }
  return out;
}

}  // namespace tamberlin
