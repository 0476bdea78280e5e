#include "platform/code_page.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tamberlin {
namespace {

unsigned& chosen() {
  static unsigned cp = 0;
  return cp;
}

/// The ANSI code pages of Windows' own locales, by "language", "language_TERRITORY" or
/// "language@modifier". The first pattern that matches a locale wins, so the narrower patterns
/// of a language stand before its plain one; every other locale gets 1252.
struct CodePageRule {
  unsigned codePage;
  const char* patterns;  ///< separated by blanks
};

constexpr CodePageRule kRules[] = {
    {950, "zh_TW zh_HK zh_MO"},
    {1250, "sr@latin"},
    {1251, "uz@cyrillic"},
    {874, "th"},
    {932, "ja"},
    {936, "zh"},
    {949, "ko"},
    {1250, "bs cs hr hu pl ro sk sl sq tk"},
    {1251, "ba be bg kk ky mk mn ru sah sr tg tt uk"},
    {1253, "el"},
    {1254, "az tr uz"},
    {1255, "he iw yi"},
    {1256, "ar ckb fa ug ur"},
    {1257, "et lt lv"},
    {1258, "vi"},
};

struct LocaleName {
  std::string language;   ///< lower case
  std::string territory;  ///< upper case
  std::string modifier;   ///< lower case
};

std::string cased(std::string s, bool upper) {
  for (char& c : s)
    c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                : std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// Splits "language[_TERRITORY][.codeset][@modifier]"; the codeset is dropped.
LocaleName parseLocale(const std::string& name) {
  LocaleName out;
  const std::size_t at = name.find('@');
  if (at != std::string::npos) out.modifier = cased(name.substr(at + 1), false);
  const std::string head = name.substr(0, std::min(at, name.find('.')));
  const std::size_t bar = head.find('_');
  out.language = cased(head.substr(0, bar), false);
  if (bar != std::string::npos) out.territory = cased(head.substr(bar + 1), true);
  return out;
}

bool matches(const std::string& pattern, const LocaleName& locale) {
  const LocaleName want = parseLocale(pattern);
  return want.language == locale.language &&
         (want.territory.empty() || want.territory == locale.territory) &&
         (want.modifier.empty() || want.modifier == locale.modifier);
}

// Split by hand: a string stream would link the C++ library's locale support into the exe.
bool matchesAny(const std::string& patterns, const LocaleName& locale) {
  for (std::size_t from = 0; from < patterns.size();) {
    const std::size_t end = std::min(patterns.find(' ', from), patterns.size());
    if (end > from && matches(patterns.substr(from, end - from), locale)) return true;
    from = end + 1;
  }
  return false;
}

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

unsigned codePage() {
  if (chosen() == 0) {
    const unsigned system = systemCodePage();
    chosen() = codePageAvailable(system) ? system : 1252;
  }
  return chosen();
}

bool setCodePage(unsigned cp) {
  if (!codePageAvailable(cp)) return false;
  chosen() = cp;
  return true;
}

unsigned codePageForLocale(const std::string& locale) {
  const LocaleName name = parseLocale(locale);
  if (name.language.empty()) return 1252;
  for (const CodePageRule& rule : kRules)
    if (matchesAny(rule.patterns, name)) return rule.codePage;
  return 1252;
}

std::string ctypeLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    std::string value = variable(name);
    if (!value.empty()) return value;
  }
  return {};
}

}  // namespace tamberlin
