#include <gtest/gtest.h>

#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

// Windows reports failures as system error codes; the program shows run-time error numbers.
// The codes are winerror.h's.
TEST(ErrorFromWin32, MissingThingsAreFileOrPathNotFound) {
  EXPECT_EQ(errorFromWin32(2, "a.txt").number(), err::kFileNotFound);
  EXPECT_EQ(errorFromWin32(3, "x\\a.txt").number(), err::kPathNotFound);
  EXPECT_EQ(errorFromWin32(15, "Q:\\a").number(), err::kPathNotFound);      // no such drive
  EXPECT_EQ(errorFromWin32(267, "a.txt\\b").number(), err::kPathNotFound);  // not a folder
}

TEST(ErrorFromWin32, RefusalsAreInUseOrDenied) {
  // A game file held open by the running game is a sharing violation: the player must be told
  // it is in use (70), not that the disk failed.
  for (unsigned long code : {5ul, 19ul, 32ul, 33ul})
    EXPECT_EQ(errorFromWin32(code, "models\\gta3.img").number(), err::kPermissionDenied) << code;
}

TEST(ErrorFromWin32, FullDisksAndQuotasAreDiskFull) {
  for (unsigned long code : {39ul, 112ul, 1295ul})
    EXPECT_EQ(errorFromWin32(code, "big.img").number(), err::kDiskFull) << code;
}

TEST(ErrorFromWin32, ExistingAndBadNames) {
  EXPECT_EQ(errorFromWin32(80, "a").number(), err::kFileExists);
  EXPECT_EQ(errorFromWin32(183, "a").number(), err::kFileExists);
  EXPECT_EQ(errorFromWin32(123, "a?b").number(), err::kBadFileNameOrNumber);
}

TEST(ErrorFromWin32, DetailNamesThePathAndKeepsUnknownCodes) {
  RuntimeError known = errorFromWin32(2, "mod\\car.dff");
  EXPECT_EQ(known.text(), "File not found: mod\\car.dff");
  RuntimeError unknown = errorFromWin32(1117, "models\\gta3.img");
  EXPECT_EQ(unknown.number(), err::kDeviceIO);
  EXPECT_EQ(unknown.detail(), "models\\gta3.img (system error 1117)");
}

}  // namespace
}  // namespace tamberlin
