// What only the Windows file layer has to get right: file attributes, sharing with programs
// that hold a file open, paths past 260 characters, and the message boxes' flags. Built into
// the Windows test program (tools/win32-tests) and run under Wine by tools/windows-smoke.sh.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/win32/win_message_boxes.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"

namespace tamberlin {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class Win32FileSystem : public ::testing::Test {
 protected:
  FileSystem& fs = realFileSystem();
  TempDir dir;
  std::string at(const std::string& rel) const { return dir.path() + "\\" + rel; }
  static std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
};

template <class F>
int errorOf(F f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST_F(Win32FileSystem, HiddenAndSystemAttributesHideEntries) {
  writeBytes(at("gta_sa.exe"), "x");
  writeBytes(at("plain.txt"), "x");
  writeBytes(at("system.dat"), "x");
  ASSERT_TRUE(SetFileAttributesW(wide(at("gta_sa.exe")).c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(wide(at("system.dat")).c_str(), FILE_ATTRIBUTE_SYSTEM));
  EXPECT_TRUE(fs.stat(at("gta_sa.exe")).isHidden);
  EXPECT_TRUE(fs.stat(at("system.dat")).isHidden);
  EXPECT_FALSE(fs.stat(at("plain.txt")).isHidden);
  for (const DirEntry& e : fs.list(dir.path()))
    EXPECT_EQ(e.isHidden, e.name != "plain.txt") << e.name;
}

TEST_F(Win32FileSystem, CreateEmptiesAHiddenFile) {
  // Windows refuses CREATE_ALWAYS on a hidden file; the scratch file or a game file that a
  // player has hidden must still be rewritten.
  writeBytes(at("installing.tmp"), "old operands");
  ASSERT_TRUE(SetFileAttributesW(wide(at("installing.tmp")).c_str(), FILE_ATTRIBUTE_HIDDEN));
  auto f = fs.open(at("installing.tmp"), OpenMode::Create);
  EXPECT_EQ(f->length(), 0);
  f->write(1, "new", 3);
  f->close();
  EXPECT_EQ(readBytes(at("installing.tmp")), "new");
}

TEST_F(Win32FileSystem, AFileHeldOpenByTheGameIsPermissionDenied) {
  writeBytes(at("gta3.img"), "VER2");
  // The running game reads its archive and lets no one write it.
  HANDLE game = CreateFileW(wide(at("gta3.img")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(game, INVALID_HANDLE_VALUE);
  EXPECT_EQ(errorOf([&] { fs.open(at("gta3.img"), OpenMode::ReadWriteExisting); }),
            err::kPermissionDenied);
  EXPECT_EQ(errorOf([&] { fs.removeFile(at("gta3.img")); }), err::kPermissionDenied);
  auto reader = fs.open(at("gta3.img"), OpenMode::Read);  // reading alongside is fine
  char magic[4];
  EXPECT_EQ(reader->read(1, magic, 4), 4u);
  CloseHandle(game);
  EXPECT_EQ(readBytes(at("gta3.img")), "VER2");
}

TEST_F(Win32FileSystem, OpeningAFolderIsError75) {
  fs.makeDir(at("models"));
  EXPECT_EQ(errorOf([&] { fs.open(at("models"), OpenMode::Read); }), err::kPathFileAccess);
  EXPECT_EQ(errorOf([&] { fs.removeFile(at("models")); }), err::kPathFileAccess);
  EXPECT_EQ(errorOf([&] { fs.makeDir(at("models")); }), err::kPathFileAccess);
}

TEST_F(Win32FileSystem, PathsLongerThan260Characters) {
  std::string path = dir.path();
  for (int i = 0; path.size() < 300; ++i) {
    path += "\\folder-with-a-long-name-" + std::to_string(i);
    fs.makeDir(path);
  }
  std::string file = path + "/car.dff";
  auto f = fs.open(file, OpenMode::Create);
  f->write(1, "data", 4);
  f->close();
  EXPECT_EQ(fs.stat(file).size, 4);
  EXPECT_EQ(fs.list(path).size(), 1u);
  fs.rename(file, path + "\\car2.dff");
  EXPECT_FALSE(fs.stat(file).exists);
  fs.removeFile(path + "\\car2.dff");
  EXPECT_TRUE(fs.list(path).empty());
}

TEST_F(Win32FileSystem, ASecondNameKeepsTheBytesWhenTheFirstIsReplaced) {
  writeBytes(at("old.txt"), "old bytes");
  writeBytes(at("new.txt"), "new bytes");
  fs.makeDir(at("kept"));
  fs.linkOrCopy(at("old.txt"), at("kept\\old.txt"));
  fs.rename(at("new.txt"), at("old.txt"));
  EXPECT_EQ(readBytes(at("old.txt")), "new bytes");
  EXPECT_EQ(readBytes(at("kept\\old.txt")), "old bytes");
  EXPECT_NE(errorOf([&] { fs.linkOrCopy(at("old.txt"), at("kept\\old.txt")); }), 0)
      << "an existing second name is not overwritten";
}

TEST_F(Win32FileSystem, NativePathsTakeTheStoredCaseAsFarAsTheyExist) {
  fs.makeDir(at("Models"));
  writeBytes(at("Models\\GTA3.img"), "x");
  EXPECT_EQ(fs.nativePath(at("MODELS/gta3.IMG")), fs.nativePath(at("Models\\GTA3.img")));
  EXPECT_EQ(fs.nativePath(at("models/New.txd")), fs.nativePath(at("Models")) + "\\New.txd");
}

TEST(Win32MessageBoxes, ButtonsIconsAndDefaults) {
  MessageBoxRequest ok{"Installation Complete", kAppTitle, MsgButtons::Ok, MsgIcon::None, false};
  EXPECT_EQ(messageBoxStyle(ok) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK), UINT{MB_OK});
  MessageBoxRequest question{"Do you wish to cancel?", "Installation Cancel", MsgButtons::YesNo,
                             MsgIcon::None, false};
  EXPECT_EQ(messageBoxStyle(question) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK),
            UINT{MB_YESNO | MB_DEFBUTTON1});
  MessageBoxRequest engine{"Error", kEngineErrorTitle, MsgButtons::YesNo, MsgIcon::Warning, true};
  EXPECT_EQ(messageBoxStyle(engine) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK),
            UINT{MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2});
}

}  // namespace
}  // namespace tamberlin
#endif
