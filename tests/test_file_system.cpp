// The real file system behind the FileSystem interface: 1-based positions, the error numbers
// the program's boxes show, and Windows-style paths on a case-sensitive disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"

namespace tamberlin {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class FileSystemTest : public ::testing::Test {
 protected:
  FileSystem& fs = realFileSystem();
  TempDir dir;
  std::string at(const std::string& rel) const { return dir.file(rel); }
};

/// The error number `f` throws, or 0 when it throws none.
template <class F>
int errorOf(F f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST_F(FileSystemTest, PositionsAreOneBased) {
  writeBytes(at("f"), "abcdef");
  auto f = fs.open(at("f"), OpenMode::ReadWriteExisting);
  char buf[8] = {};
  EXPECT_EQ(f->read(2, buf, 3), 3u);
  EXPECT_EQ(std::string(buf, 3), "bcd");
  f->write(1, "X", 1);
  f->write(6, "YZ", 2);  // overwrites the last byte and extends by one
  EXPECT_EQ(f->length(), 7);
  EXPECT_EQ(f->read(7, buf, 8), 1u);  // fewer only at the end
  EXPECT_EQ(f->read(8, buf, 8), 0u);
  f->close();
  EXPECT_EQ(readBytes(at("f")), "XbcdeYZ");
}

TEST_F(FileSystemTest, WritingPastTheEndFillsTheGapWithZeros) {
  auto f = fs.open(at("g"), OpenMode::Create);
  f->write(5, "x", 1);
  f->sync();
  f->close();
  EXPECT_EQ(readBytes(at("g")), std::string("\0\0\0\0x", 5));
}

TEST_F(FileSystemTest, PositionZeroAndClosedFilesAreError52) {
  auto f = fs.open(at("h"), OpenMode::Create);
  char c;
  EXPECT_EQ(errorOf([&] { f->read(0, &c, 1); }), err::kBadFileNameOrNumber);
  EXPECT_EQ(errorOf([&] { f->write(0, "x", 1); }), err::kBadFileNameOrNumber);
  f->close();
  EXPECT_EQ(errorOf([&] { f->read(1, &c, 1); }), err::kBadFileNameOrNumber);
}

TEST_F(FileSystemTest, OpenModes) {
  EXPECT_EQ(errorOf([&] { fs.open(at("none"), OpenMode::Read); }), err::kFileNotFound);
  EXPECT_EQ(errorOf([&] { fs.open(at("none"), OpenMode::ReadWriteExisting); }), err::kFileNotFound);
  EXPECT_FALSE(fs.stat(at("none")).exists);
  fs.open(at("made"), OpenMode::ReadWrite)->close();  // ReadWrite makes a missing file
  EXPECT_TRUE(fs.stat(at("made")).exists);
  EXPECT_EQ(fs.stat(at("made")).size, 0);
  writeBytes(at("full"), "12345");
  fs.open(at("full"), OpenMode::ReadWrite)->close();  // and keeps an existing one
  EXPECT_EQ(readBytes(at("full")), "12345");
  fs.open(at("full"), OpenMode::Create)->close();  // Create empties it
  EXPECT_EQ(readBytes(at("full")), "");
}

TEST_F(FileSystemTest, MissingFoldersAreError76) {
  for (OpenMode m :
       {OpenMode::Read, OpenMode::ReadWrite, OpenMode::ReadWriteExisting, OpenMode::Create})
    EXPECT_EQ(errorOf([&] { fs.open(at("nodir/f"), m); }), err::kPathNotFound);
  EXPECT_EQ(errorOf([&] { fs.makeDir(at("a/b")); }), err::kPathNotFound);
  EXPECT_FALSE(std::filesystem::exists(at("nodir")));
}

TEST_F(FileSystemTest, FoldersAreNotFiles) {
  fs.makeDir(at("d"));
  EXPECT_TRUE(fs.stat(at("d")).isDir);
  EXPECT_EQ(errorOf([&] { fs.makeDir(at("d")); }), err::kPathFileAccess);
  EXPECT_EQ(errorOf([&] { fs.open(at("d"), OpenMode::Read); }), err::kPathFileAccess);
  EXPECT_EQ(errorOf([&] { fs.removeFile(at("d")); }), err::kPathFileAccess);
  EXPECT_TRUE(std::filesystem::is_directory(at("d")));
}

TEST_F(FileSystemTest, WindowsPathsResolveWithoutRegardToCase) {
  std::filesystem::create_directories(at("models"));
  writeBytes(at("models/gta3.img"), "VER2");
  std::string windowsStyle = dir.path() + "\\MODELS\\GTA3.IMG";
  EXPECT_EQ(fs.nativePath(windowsStyle), at("models/gta3.img"));
  EXPECT_EQ(readBytes(fs.nativePath(windowsStyle)), "VER2");
  auto f = fs.open(windowsStyle, OpenMode::Read);
  EXPECT_EQ(f->length(), 4);
  EXPECT_TRUE(fs.stat(dir.path() + "/Models/Gta3.Img").exists);
}

TEST_F(FileSystemTest, LettersBeyondAsciiMatchWithoutRegardToCase) {
  writeBytes(at("Caf\xc3\xa9.txt"), "accent");                           // "Café.txt"
  EXPECT_EQ(readBytes(fs.nativePath(at("CAF\xc3\x89.TXT"))), "accent");  // "CAFÉ.TXT"
}

TEST_F(FileSystemTest, AnExactNameWinsOverOthersOfAnotherCase) {
  writeBytes(at("Data.txt"), "upper");
  writeBytes(at("data.txt"), "lower");
  EXPECT_EQ(readBytes(fs.nativePath(at("data.txt"))), "lower");
  EXPECT_EQ(readBytes(fs.nativePath(at("Data.txt"))), "upper");
}

TEST_F(FileSystemTest, ANewFileInAFolderOfOtherCaseGoesIntoThatFolder) {
  std::filesystem::create_directories(at("Mods"));
  fs.open(dir.path() + "\\mods\\new.dff", OpenMode::Create)->close();
  EXPECT_TRUE(std::filesystem::exists(at("Mods/new.dff")));
}

TEST_F(FileSystemTest, DriveLettersAreError76) {
  EXPECT_EQ(errorOf([&] { fs.nativePath("C:\\games\\gta"); }), err::kPathNotFound);
  EXPECT_EQ(errorOf([&] { fs.open("c:\\x.txt", OpenMode::ReadWrite); }), err::kPathNotFound);
  EXPECT_FALSE(fs.stat("C:\\games").exists);
}

TEST_F(FileSystemTest, RenameReplacesTheTarget) {
  writeBytes(at("new"), "new");
  writeBytes(at("old"), "old");
  fs.rename(at("new"), at("old"));
  EXPECT_EQ(readBytes(at("old")), "new");
  EXPECT_FALSE(fs.stat(at("new")).exists);
  EXPECT_EQ(errorOf([&] { fs.rename(at("gone"), at("old")); }), err::kFileNotFound);
}

TEST_F(FileSystemTest, ListIsSortedWithHiddenAndFoldersMarked) {
  writeBytes(at("b.txt"), "");
  writeBytes(at(".hidden"), "");
  std::filesystem::create_directories(at("a"));
  auto entries = fs.list(dir.path());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, ".hidden");
  EXPECT_TRUE(entries[0].isHidden);
  EXPECT_EQ(entries[1].name, "a");
  EXPECT_TRUE(entries[1].isDir);
  EXPECT_EQ(entries[2].name, "b.txt");
  EXPECT_FALSE(entries[2].isDir || entries[2].isHidden);
  EXPECT_TRUE(fs.stat(at(".hidden")).isHidden);
  EXPECT_NE(errorOf([&] { fs.list(at("none")); }), 0);
}

TEST_F(FileSystemTest, RemoveFile) {
  writeBytes(at("x"), "1");
  fs.removeFile(at("X"));  // found as Windows finds it
  EXPECT_FALSE(std::filesystem::exists(at("x")));
  EXPECT_EQ(errorOf([&] { fs.removeFile(at("x")); }), err::kFileNotFound);
}

TEST_F(FileSystemTest, SameFileSameId) {
  writeBytes(at("one"), "1");
  writeBytes(at("two"), "2");
  EXPECT_EQ(fs.stat(at("one")).id, fs.stat(at("ONE")).id);
  EXPECT_NE(fs.stat(at("one")).id, fs.stat(at("two")).id);
}

}  // namespace
}  // namespace tamberlin
