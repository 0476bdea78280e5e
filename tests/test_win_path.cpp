#include <gtest/gtest.h>

#include "platform/win_path.h"

namespace tamberlin {
namespace {

TEST(WinPath, BothSlashesSeparate) {
  EXPECT_EQ(baseName("mod\\cars/car.dff"), "car.dff");
  EXPECT_EQ(baseName("car.dff"), "car.dff");
  EXPECT_EQ(baseName("mod\\"), "");
  EXPECT_EQ(parentPath("mod\\cars/car.dff"), "mod\\cars");
  EXPECT_EQ(splitPath("\\\\a//b\\c\\"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(WinPath, DrivesAndRoots) {
  EXPECT_TRUE(hasDriveLetter("C:\\games"));
  EXPECT_TRUE(hasDriveLetter("c:"));
  EXPECT_FALSE(hasDriveLetter("1:\\x"));
  EXPECT_FALSE(hasDriveLetter("models\\gta3.img"));
  EXPECT_TRUE(isAbsoluteProgramPath("\\x"));
  EXPECT_TRUE(isAbsoluteProgramPath("/x"));
  EXPECT_FALSE(isAbsoluteProgramPath("x\\y"));
}

TEST(WinPath, DisplayedPathsUseTheNativeSeparatorOnce) {
#ifdef _WIN32
  EXPECT_EQ(displayPath("C:/games/GTA\\\\models\\gta3.img"), "C:\\games\\GTA\\models\\gta3.img");
  EXPECT_EQ(displayPath("\\\\server\\share//x"), "\\\\server\\share\\x");
#else
  EXPECT_EQ(displayPath("/games/GTA San Andreas\\\\models\\gta3.img"),
            "/games/GTA San Andreas/models/gta3.img");
  EXPECT_EQ(displayPath("//x/"), "/x/");
#endif
  EXPECT_EQ(displayPath("car.dff"), "car.dff");
}

TEST(WinPath, NamesCompareWithoutRegardToCaseBeyondAscii) {
  EXPECT_TRUE(sameNameIgnoringCase("MODELS", "models"));
  EXPECT_TRUE(sameNameIgnoringCase("Caf\xc3\xa9", "CAF\xc3\x89"));  // Café, CAFÉ
  EXPECT_TRUE(sameNameIgnoringCase("\xc3\xbc", "\xc3\x9c"));        // ü, Ü
  EXPECT_FALSE(sameNameIgnoringCase("cafe", "caf\xc3\xa9"));
  EXPECT_FALSE(sameNameIgnoringCase("a", "ab"));
  EXPECT_EQ(upperCase(L'\u00e9'), L'\u00c9');
}

}  // namespace
}  // namespace tamberlin
