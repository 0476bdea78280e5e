#pragma once
// The ANSI code page: the one the program's 8-bit text is in ("text.cfg", "ins.cfg",
// "installing.tmp", and the names inside an archive). One per process, chosen at the first
// conversion: the system's own on Windows; elsewhere the one Windows would use for the user's
// locale; or the one the command line names (--codepage), set before any text is converted.

#include <string>

namespace tamberlin {

/// The code page in use. Until setCodePage() is called, systemCodePage() (or 1252 when the
/// converter lacks that one).
unsigned codePage();

/// Makes `cp` the code page in use. Returns false, changing nothing, when codePageAvailable(cp)
/// is false.
bool setCodePage(unsigned cp);

/// True when the platform's converter has `cp` and the code page keeps ASCII as it is (the
/// script's command words, commas, quotes and separators are ASCII).
bool codePageAvailable(unsigned cp);

/// The system's code page: GetACP() on Windows; elsewhere codePageForLocale() of the locale
/// that ctypeLocale() names.
unsigned systemCodePage();

/// The ANSI code page Windows uses for a locale named the POSIX way
/// ("language[_TERRITORY][.codeset][@modifier]"): "ru_RU.UTF-8" gives 1251, "zh_TW" 950. The
/// codeset plays no part. "C", "POSIX", an empty name and any language not in the table give 1252.
unsigned codePageForLocale(const std::string& locale);

/// The locale the environment names for character handling: LC_ALL, else LC_CTYPE, else LANG;
/// a variable that is set but empty counts as unset. Empty when none is set.
std::string ctypeLocale();

}  // namespace tamberlin
