#include "platform/win_path.h"

#include <cctype>
#include <cwctype>
#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <wctype.h>
#endif

#include "platform/ansi.h"

namespace tamberlin {

bool hasDriveLetter(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool isAbsoluteProgramPath(const std::string& path) {
  return hasDriveLetter(path) || (!path.empty() && isPathSeparator(path[0]));
}

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (isPathSeparator(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::string baseName(const std::string& path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentPath(const std::string& path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string joinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  const char sep = '\\';
#else
  const char sep = '/';
#endif
  if (dir.empty()) return name;
  if (isPathSeparator(dir.back())) return dir + name;
  return dir + sep + name;
}

namespace {

std::string withSeparator(const std::string& path, char sep, bool keepNetworkPrefix) {
  const bool network =
      keepNetworkPrefix && path.size() >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1]);
  std::string out;
  std::size_t i = 0;
  if (network) {
    out.assign(2, sep);
    while (i < path.size() && isPathSeparator(path[i])) ++i;
  }
  for (; i < path.size(); ++i) {
    if (!isPathSeparator(path[i]))
      out += path[i];
    else if (out.empty() || out.back() != sep)
      out += sep;
  }
  return out;
}

}  // namespace

std::string displayPath(const std::string& path) {
#ifdef _WIN32
  return withSeparator(path, '\\', true);
#else
  return withSeparator(path, '/', false);
#endif
}

std::string windowsDisplayPath(const std::string& path) {
  return withSeparator(path, '\\', true);
}

wchar_t upperCase(wchar_t c) {
#ifdef _WIN32
  // The C library's towupper knows only ASCII in its default "C" locale; the system's own
  // table, without a locale of its own, is the one Windows matches file names with.
  wchar_t upper = c;
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &c, 1, &upper, 1) != 1) return c;
  return upper;
#else
  // towupper follows the process's locale, which is "C" (ASCII only) unless someone set it:
  // "é" would never match "É". Case folding of names must not depend on that.
  static const locale_t utf8 = [] {
    locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = ::newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    return l;
  }();
  if (!utf8) return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return static_cast<wchar_t>(::towupper_l(static_cast<wint_t>(c), utf8));
#endif
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::wstring wa = utf8ToWide(a), wb = utf8ToWide(b);
  if (wa.size() != wb.size()) return false;
  for (std::size_t i = 0; i < wa.size(); ++i) {
    if (upperCase(wa[i]) != upperCase(wb[i])) return false;
  }
  return true;
}

}  // namespace tamberlin
