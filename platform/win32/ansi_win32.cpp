// The code page conversions through the system's own code page tables. The code page is the
// system's ANSI code page (GetACP), unless the command line chose another.
#include <windows.h>

#include <string>

#include "platform/ansi.h"
#include "platform/code_page.h"
#include "platform/utf8.h"
#include "platform/win32/wide_text.h"

namespace tamberlin {
namespace {

/// `size` bytes in `codePage` as UTF-16; false when they are not all valid there.
bool toWide(UINT codePage, const char* text, std::size_t size, std::wstring& out) {
  out.clear();
  if (size == 0) return true;
  const DWORD flags = MB_ERR_INVALID_CHARS;
  int n = MultiByteToWideChar(codePage, flags, text, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return false;
  out.assign(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text, static_cast<int>(size), out.data(), n);
  return true;
}

/// UTF-16 in a code page other than UTF-8, with no look-alike substitutes; false when a
/// character has no bytes there.
bool fromWideStrict(UINT codePage, const std::wstring& wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int size = static_cast<int>(wide.size());
  int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                              nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.assign(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr,
                      &usedDefault);
  return !usedDefault;
}

/// Bytes of the unit that did not decode at text[i]: a lead byte takes a second byte with it
/// (a broken pair must never leave its second byte behind as a "\"), anything else stands alone.
std::size_t unitLength(UINT cp, const std::string& text, std::size_t i) {
  if (cp == CP_UTF8) {
    const std::size_t n = utf8Length(text, i);
    return n == 0 ? 1 : n;
  }
  const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
  return IsDBCSLeadByteEx(cp, static_cast<BYTE>(text[i])) && next >= 0x40 && next != 0x7F ? 2 : 1;
}

/// Unit by unit, for text that did not decode whole (see ansiToUtf8 for the undefined ones).
std::string decodeByUnits(UINT cp, const std::string& ansi) {
  std::string out;
  std::wstring part;
  for (std::size_t i = 0; i < ansi.size();) {
    const std::size_t n = unitLength(cp, ansi, i);
    const auto b = static_cast<unsigned char>(ansi[i]);
    if (toWide(cp, ansi.data() + i, n, part))
      out += wideToUtf8(part);
    else
      appendUtf8(out, n == 1 && b >= 0x80 && b < 0xA0 ? b : 0xFFFD);
    i += n;
  }
  return out;
}

}  // namespace

unsigned systemCodePage() {
  return GetACP();
}

bool codePageAvailable(unsigned cp) {
  if (cp == 0 || !IsValidCodePage(cp)) return false;
  std::string ascii;
  for (int b = 1; b < 0x80; ++b) ascii += static_cast<char>(b);
  std::wstring wide;
  if (!toWide(cp, ascii.data(), ascii.size(), wide) || wide.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i)
    if (wide[i] != static_cast<wchar_t>(ascii[i])) return false;
  return true;
}

std::string ansiToUtf8(const std::string& ansi) {
  if (isAscii(ansi)) return ansi;
  const UINT cp = codePage();
  std::wstring wide;
  if (toWide(cp, ansi.data(), ansi.size(), wide)) return wideToUtf8(wide);
  return decodeByUnits(cp, ansi);
}

std::string wideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

namespace detail {

std::size_t encodeUntilMissing(const std::string& utf8, std::size_t from, std::string& out) {
  const UINT cp = codePage();
  std::wstring wide;
  std::string bytes;
  // The whole rest at once when it converts; else character by character to find the one.
  if (toWide(CP_UTF8, utf8.data() + from, utf8.size() - from, wide) &&
      (cp == CP_UTF8 || fromWideStrict(cp, wide, bytes))) {
    out += cp == CP_UTF8 ? utf8.substr(from) : bytes;
    return utf8.size();
  }
  for (std::size_t pos = from; pos < utf8.size();) {
    const std::size_t n = utf8Length(utf8, pos);
    if (n == 0) return pos;
    const unsigned c = utf8CodePoint(utf8, pos, n);
    if (cp == CP_UTF8 && c >= 0xD800 && c < 0xE000) return pos;
    if (cp == CP_UTF8) {
      out.append(utf8, pos, n);
    } else if (toWide(CP_UTF8, utf8.data() + pos, n, wide) && fromWideStrict(cp, wide, bytes)) {
      out += bytes;
    } else if (c >= 0x80 && c < 0xA0) {
      out += static_cast<char>(c);
    } else {
      return pos;
    }
    pos += n;
  }
  return utf8.size();
}

}  // namespace detail

std::wstring utf8ToWide(const std::string& utf8) {
  // Valid UTF-8 converts in one call; otherwise each byte that is not part of a valid sequence
  // is taken as a Windows-1252 character, so no text is lost to replacement characters.
  std::wstring whole;
  if (toWide(CP_UTF8, utf8.data(), utf8.size(), whole)) return whole;
  std::wstring out, part;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = utf8Length(utf8, i);
    if (n == 0 || !toWide(CP_UTF8, utf8.data() + i, n, part)) {
      n = 1;
      toWide(1252, utf8.data() + i, 1, part);
    }
    out += part;
    i += n;
  }
  return out;
}

}  // namespace tamberlin
