#include "platform/wildcard.h"

#include "platform/ansi.h"
#include "platform/win_path.h"

namespace tamberlin {
namespace {

std::wstring folded(const std::string& utf8) {
  std::wstring w = utf8ToWide(utf8);
  for (wchar_t& c : w) c = upperCase(c);
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
