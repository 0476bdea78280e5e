#include "platform/wildcard.h"

#include <cwctype>

#include "platform/ansi.h"

namespace tamberlin {
namespace {

/// Upper case of the letters a script can hold (those of Windows-1252), folded the same way
/// whatever the process's locale: ASCII, Latin-1, and the five extra pairs of the code page.
wchar_t foldLetter(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  switch (c) {
    case 0xFF:
      return 0x178;
    case 0x153:
      return 0x152;
    case 0x161:
      return 0x160;
    case 0x17E:
      return 0x17D;
    default:
      return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  }
}

std::wstring folded(const std::string& utf8) {
  std::wstring w = utf8ToWide(utf8);
  for (wchar_t& c : w) c = foldLetter(c);
  return w;
}

/// Greedy matching with one backtrack point per star: linear in practice, never exponential.
bool matchFolded(const std::wstring& name, const std::wstring& pat) {
  std::size_t n = 0, p = 0, starP = std::wstring::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && (pat[p] == L'?' || pat[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pat.size() && pat[p] == L'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::wstring::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == L'*') ++p;
  return p == pat.size();
}

}  // namespace

bool matchesPattern(const std::string& name, const std::string& pattern) {
  std::wstring n = folded(name), p = folded(pattern);
  if (matchFolded(n, p)) return true;
  if (p.size() >= 2 && p.compare(p.size() - 2, 2, L".*") == 0 && n.find(L'.') == std::wstring::npos)
    return matchFolded(n, p.substr(0, p.size() - 2));
  return false;
}

bool hasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

}  // namespace tamberlin
