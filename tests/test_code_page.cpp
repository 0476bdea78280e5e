#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/code_page.h"
#include "support/scoped_code_page.h"

namespace tamberlin {
namespace {

struct LocaleCase {
  const char* locale;
  unsigned codePage;
};

TEST(CodePage, LocaleGivesTheCodePageWindowsWouldUse) {
  const LocaleCase cases[] = {
      {"ru_RU.UTF-8", 1251},
      {"uk_UA", 1251},
      {"bg_BG.CP1251", 1251},
      {"sr_RS", 1251},
      {"sr_RS@latin", 1250},
      {"pl_PL.UTF-8", 1250},
      {"cs_CZ", 1250},
      {"hu_HU.ISO-8859-2", 1250},
      {"ja_JP.eucJP", 932},
      {"zh_CN.GB18030", 936},
      {"zh_SG", 936},
      {"zh_TW.Big5", 950},
      {"zh_HK.UTF-8", 950},
      {"ko_KR.EUC-KR", 949},
      {"th_TH", 874},
      {"el_GR", 1253},
      {"tr_TR.UTF-8", 1254},
      {"uz_UZ", 1254},
      {"uz_UZ@cyrillic", 1251},
      {"he_IL", 1255},
      {"ar_EG", 1256},
      {"fa_IR", 1256},
      {"lt_LT", 1257},
      {"vi_VN", 1258},
      {"RU_ru", 1251},
      {"ru", 1251},
      {"de_DE.UTF-8", 1252},
      {"en_US", 1252},
      {"C", 1252},
      {"POSIX", 1252},
      {"C.UTF-8", 1252},
      {"", 1252},
      {"xx_YY", 1252},
      {"zh_TWX", 936},
  };
  for (const LocaleCase& c : cases) EXPECT_EQ(codePageForLocale(c.locale), c.codePage) << c.locale;
}

#ifndef _WIN32
/// Sets or clears one environment variable until the object goes.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CodePage, LcAllThenLcCtypeThenLang) {
  struct Case {
    const char *all, *ctype, *lang, *want;
  } cases[] = {
      {"pl_PL", "ru_RU", "ja_JP", "pl_PL"},
      {nullptr, "ru_RU", "ja_JP", "ru_RU"},
      {"", "", "ja_JP", "ja_JP"},  // set but empty counts as unset
      {nullptr, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    ScopedEnv all("LC_ALL", c.all), ctype("LC_CTYPE", c.ctype), lang("LANG", c.lang);
    EXPECT_EQ(ctypeLocale(), c.want);
  }
}
#endif

TEST(CodePage, OnlyCodePagesTheConverterHasAndThatKeepAscii) {
  for (unsigned cp : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u,
                      1257u, 1258u})
    EXPECT_TRUE(codePageAvailable(cp)) << cp;
  EXPECT_FALSE(codePageAvailable(0));
  EXPECT_FALSE(codePageAvailable(99999));
  EXPECT_FALSE(codePageAvailable(37)) << "EBCDIC: no ASCII";
  const unsigned before = codePage();
  EXPECT_FALSE(setCodePage(99999));
  EXPECT_EQ(codePage(), before);
  {
    test::ScopedCodePage in1251(1251);
    EXPECT_EQ(codePage(), 1251u);
  }
  EXPECT_EQ(codePage(), before);
}

}  // namespace
}  // namespace tamberlin
