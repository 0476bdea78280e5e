#include <gtest/gtest.h>

#include <cstring>

#include "imgarchive/entry_index.h"

namespace tamberlin {
namespace {

IMGEntry entry(const std::string& nameBytes) {
  IMGEntry e;
  std::memcpy(e.fileName.data(), nameBytes.data(), std::min(nameBytes.size(), kNameSize));
  return e;
}

std::vector<IMGEntry> dirOf(const std::vector<std::string>& names) {
  std::vector<IMGEntry> dir(1);
  for (const std::string& n : names) dir.push_back(entry(n));
  return dir;
}

TEST(EntryIndex, FindsExactNameLowestSlotFirst) {
  EntryIndex idx(dirOf({"infernus.dff", "car.dff", "infernus.txd", "car.dff"}));
  EXPECT_EQ(idx.find("car.dff"), 2);
  EXPECT_EQ(idx.find("infernus.txd"), 3);
  EXPECT_EQ(idx.find("CAR.DFF"), 0) << "letter case counts";
  EXPECT_EQ(idx.find("car"), 0);
  EXPECT_EQ(idx.find(""), 0);
}

TEST(EntryIndex, NameEndsAtNulAndDropsBlankPadding) {
  // Bytes after the NUL are not part of the name; an added entry's blanks before it neither.
  std::string junkAfterNul = std::string("a.dff") + '\0' + "XXXXXXXX";
  std::string padded = "car.dff" + std::string(16, ' ') + '\0';
  std::string full24 = "abcdefghijklmnopqrst.dff";
  ASSERT_EQ(full24.size(), 24u);
  EntryIndex idx(dirOf({junkAfterNul, padded, full24}));
  EXPECT_EQ(idx.find("a.dff"), 1);
  EXPECT_EQ(idx.find("car.dff"), 2);
  EXPECT_EQ(idx.find("car.dff "), 0);
  EXPECT_EQ(idx.find(full24), 3);
  EXPECT_EQ(matchName(entry(padded)), "car.dff");
}

TEST(EntryIndex, DecodesAnsiNames) {
  // 0xE9 is e-acute in Windows-1252; the name given is UTF-8.
  EntryIndex idx(dirOf({"caf\xE9.txd"}));
  EXPECT_EQ(idx.find("caf\xC3\xA9.txd"), 1);
  EXPECT_EQ(idx.find("caf\xE9.txd"), 0);
}

TEST(EntryIndex, SuggestsNameDifferingOnlyInCase) {
  EntryIndex idx(dirOf({"Infernus.DFF", "car.dff"}));
  EXPECT_EQ(idx.suggest("infernus.dff"), "Infernus.DFF");
  EXPECT_EQ(idx.suggest("CAR.DFF"), "car.dff");
  EXPECT_EQ(idx.suggest("car.dff"), "") << "an exact match needs no suggestion";
  EXPECT_EQ(idx.suggest("bus.dff"), "");

  EntryIndex accented(dirOf({"caf\xC9.txd"}));  // E-acute, capital, in Windows-1252
  EXPECT_EQ(accented.suggest("caf\xC3\xA9.txd"), "caf\xC3\x89.txd") << "whatever the locale";
}

TEST(EntryIndex, AddMakesNewEntriesFindableWithoutShadowingOlder) {
  std::vector<IMGEntry> dir = dirOf({"car.dff"});
  EntryIndex idx(dir);
  idx.add(2, entry("new.txd" + std::string(16, ' ') + '\0'));
  idx.add(3, entry("car.dff"));
  EXPECT_EQ(idx.find("new.txd"), 2);
  EXPECT_EQ(idx.find("car.dff"), 1);
}

TEST(EntryIndex, EmptyTableFindsNothing) {
  EntryIndex none;
  EXPECT_EQ(none.find("car.dff"), 0);
  EntryIndex onlySlotZero(std::vector<IMGEntry>(1));
  EXPECT_EQ(onlySlotZero.find(""), 0) << "slot 0 is never an entry";
}

}  // namespace
}  // namespace tamberlin
