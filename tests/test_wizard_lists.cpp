// The wizard's toolkit-free pieces: the classic folder list, the drive list's contents, the
// default game folders, line breaks for toolkits and the layout table.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "support/archive_fixture.h"
#include "wizard/dir_list.h"
#include "wizard/display_text.h"
#include "wizard/drives.h"
#include "wizard/file_list.h"
#include "wizard/layout.h"

namespace tamberlin {
namespace {

using test::TempDir;
using test::writeBytes;
namespace stdfs = std::filesystem;

std::vector<std::string> texts(const std::vector<DirRow>& rows) {
  std::vector<std::string> out;
  for (const DirRow& r : rows) out.push_back(r.text);
  return out;
}

class DirListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = stdfs::canonical(tmp.path()).string();
    for (const char* d : {"top/Beta", "top/alpha", "top/Gamma/deep", "top/.hidden"})
      stdfs::create_directories(base + "/" + d);
    writeBytes(base + "/top/file.txt", "x");
  }
  TempDir tmp;
  std::string base;
  DirList list{realFileSystem()};
};

TEST_F(DirListTest, RowsArePathThenSubfolders) {
  ASSERT_TRUE(list.open(base + "/top"));
  EXPECT_EQ(list.path(), base + "/top");
  FolderPath p = splitFolderPath(base + "/top");
  std::vector<std::string> expected{"/"};
  expected.insert(expected.end(), p.names.begin(), p.names.end());
  std::size_t current = expected.size() - 1;
  // Subfolders sorted without regard to case; files and hidden folders are not listed.
  for (const char* s : {"alpha", "Beta", "Gamma"}) expected.push_back(s);
  EXPECT_EQ(texts(list.rows()), expected);
  EXPECT_EQ(list.currentRow(), current);
  EXPECT_EQ(list.highlighted(), current);
  for (std::size_t i = 0; i < list.rows().size(); ++i) {
    EXPECT_EQ(list.rows()[i].open, i <= current) << i;
    EXPECT_EQ(list.rows()[i].indent, static_cast<int>(std::min(i, current + 1))) << i;
  }
  // Each row knows its whole path, for a name cut short in the list.
  EXPECT_EQ(list.rows()[0].path, "/");
  EXPECT_EQ(list.rows()[current].path, base + "/top");
  EXPECT_EQ(list.rows().back().path, base + "/top/Gamma");
}

TEST_F(DirListTest, HighlightChangesNothingOpenMoves) {
  ASSERT_TRUE(list.open(base + "/top"));
  std::size_t gamma = list.rows().size() - 1;
  list.highlight(gamma);
  EXPECT_EQ(list.highlighted(), gamma);
  EXPECT_EQ(list.path(), base + "/top");
  list.highlight(999);
  EXPECT_EQ(list.highlighted(), gamma);

  ASSERT_TRUE(list.openRow(gamma));
  EXPECT_EQ(list.path(), base + "/top/Gamma");
  EXPECT_EQ(list.rows().back().text, "deep");
  // An ancestor row goes back up; row 0 is the root, which keeps its separator.
  ASSERT_TRUE(list.openRow(list.currentRow() - 1));
  EXPECT_EQ(list.path(), base + "/top");
  ASSERT_TRUE(list.openRow(0));
  EXPECT_EQ(list.path(), "/");
  EXPECT_EQ(list.currentRow(), 0u);
  EXPECT_FALSE(list.openRow(list.rows().size()));
}

TEST_F(DirListTest, FailedOpenKeepsTheList) {
  ASSERT_TRUE(list.open(base + "/top"));
  auto before = texts(list.rows());
  EXPECT_FALSE(list.open(base + "/top/missing"));
  EXPECT_FALSE(list.open(base + "/top/file.txt"));
  EXPECT_EQ(list.path(), base + "/top");
  EXPECT_EQ(texts(list.rows()), before);
  // A folder that disappears after it was listed cannot be opened either.
  std::size_t alpha = list.currentRow() + 1;
  stdfs::remove(base + "/top/alpha");
  EXPECT_FALSE(list.openRow(alpha));
  EXPECT_EQ(list.path(), base + "/top");
}

TEST_F(DirListTest, ProgramPathsAreResolved) {
  // Backslashes and other letter case, as the default folder is built.
  ASSERT_TRUE(list.open(base + "\\TOP\\gamma"));
  EXPECT_EQ(list.path(), base + "/top/Gamma");
}

TEST(FolderPath, SplitAndJoin) {
  FolderPath unix = splitFolderPath("/home/ann/./games/../Games/");
  EXPECT_EQ(unix.root, "/");
  EXPECT_EQ(unix.names, (std::vector<std::string>{"home", "ann", "Games"}));
  EXPECT_EQ(joinFolderPath(unix, 0), "/");
  EXPECT_EQ(joinFolderPath(unix, 3), "/home/ann/Games");

  FolderPath win = splitFolderPath("C:\\Games\\GTA San Andreas\\");
  EXPECT_EQ(win.root, "C:\\");
  EXPECT_EQ(joinFolderPath(win, 0), "C:\\");
  EXPECT_EQ(joinFolderPath(win, 2), "C:\\Games\\GTA San Andreas");
  EXPECT_EQ(splitFolderPath("d:").root, "d:\\");
  EXPECT_EQ(splitFolderPath("C:\\..\\..").names.size(), 0u);

  FolderPath unc = splitFolderPath("\\\\server\\share\\gta");
  EXPECT_EQ(unc.root, "\\\\server\\share\\");
  EXPECT_EQ(joinFolderPath(unc, 1), "\\\\server\\share\\gta");
}

TEST(FileListTest, ListsMatchingFilesOnly) {
  TempDir tmp;
  writeBytes(tmp.file("gta_sa.exe"), "MZ");
  writeBytes(tmp.file("GTA_SA.EXE.bak"), "x");
  writeBytes(tmp.file(".gta_sa.exe"), "hidden");
  stdfs::create_directory(tmp.file("gta_sa.exe.d"));
  FileList files(realFileSystem());
  files.setPath(tmp.path());
  files.setPattern("gta_sa.exe*");
  EXPECT_EQ(files.items(), (std::vector<std::string>{"GTA_SA.EXE.bak", "gta_sa.exe"}));
  files.setPattern("gta_sa.exe");
  EXPECT_EQ(files.items(), std::vector<std::string>{"gta_sa.exe"});
  files.setPath(tmp.file("missing"));
  EXPECT_TRUE(files.items().empty());
}

TEST(Drives, MountTableKeepsPlacesPeopleUse) {
  const std::string table =
      "overlay / overlay rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "tmpfs /dev tmpfs rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sdb1 /media/ann/My\\040Games vfat rw 0 0\n"
      "/dev/sda1 /boot/efi vfat rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sdc1 /run/media/ann/USB ext4 rw 0 0\n"
      "/dev/sdd1 /mnt/data ntfs3 rw 0 0\n"
      "garbage\n";
  EXPECT_EQ(mountPointsFromTable(table),
            (std::vector<std::string>{"/home", "/media/ann/My Games", "/mnt/data",
                                      "/run/media/ann/USB"}));
}

TEST(Drives, MountTableFieldsAreSplitAtAnyBlanks) {
  const std::string table =
      "/dev/sda2\t/home\text4 rw 0 0\n"
      "  /dev/sdb1   /srv/a\\134b  xfs\r\n"
      "/dev/sdc1 /only/two\n"
      "\n"
      "/dev/sdd1 /mnt/last ext4";  // no line end after the last line
  EXPECT_EQ(mountPointsFromTable(table),
            (std::vector<std::string>{"/home", "/mnt/last", "/srv/a\\b"}));
}

TEST(Drives, RootHomeThenMountsWithoutRepeats) {
  auto drives = posixDrives({"/home", "/mnt/data", "/"}, "/home/ann");
  std::vector<std::string> t;
  for (const DriveItem& d : drives) t.push_back(d.text);
  EXPECT_EQ(t, (std::vector<std::string>{"/", "/home/ann", "/home", "/mnt/data"}));
  EXPECT_EQ(driveOf(drives, "/home/ann/mods/x"), 1u);
  EXPECT_EQ(driveOf(drives, "/home/bob"), 2u);
  EXPECT_EQ(driveOf(drives, "/home/annex"), 2u) << "a root matches at a folder boundary only";
  EXPECT_EQ(driveOf(drives, "/mnt/data"), 3u);
  EXPECT_EQ(driveOf(drives, "/srv"), 0u);

  std::vector<DriveItem> win{{"a:", "A:\\"}, {"c: [SYSTEM]", "C:\\"}, {"d:", "D:\\"}};
  EXPECT_EQ(driveOf(win, "c:\\mods\\car"), 1u);
  EXPECT_EQ(driveOf(win, "D:\\"), 2u);
}

TEST(Drives, GameFolderCandidates) {
  EXPECT_EQ(defaultGameFolder("c:"), "c:\\Program Files\\Rockstar Games\\GTA San Andreas");
  EXPECT_EQ(gameFolderCandidates("c:", ""),
            std::vector<std::string>{"c:\\Program Files\\Rockstar Games\\GTA San Andreas"});
  auto linux = gameFolderCandidates("/", "/home/ann/.wine");
  ASSERT_EQ(linux.size(), 3u);
  EXPECT_EQ(linux[0], "/\\Program Files\\Rockstar Games\\GTA San Andreas");
  EXPECT_EQ(linux[1], "/home/ann/.wine/drive_c\\Program Files\\Rockstar Games\\GTA San Andreas");
  EXPECT_EQ(linux[2],
            "/home/ann/.wine/drive_c\\Program Files (x86)\\Rockstar Games\\GTA San Andreas");
  // 64-bit Windows keeps 32-bit programs such as the game in a folder of their own, tried second.
  EXPECT_EQ(gameFolderCandidates("d:", "", true),
            (std::vector<std::string>{"d:\\Program Files\\Rockstar Games\\GTA San Andreas",
                                      "d:\\Program Files (x86)\\Rockstar Games\\GTA San Andreas"}));
}

TEST(DisplayText, EveryLineEndBecomesTheToolkitsBreak) {
  EXPECT_EQ(withLineBreaks("a\rb\r\nc\nd", "\n"), "a\nb\nc\nd");
  EXPECT_EQ(withLineBreaks("a\r\rb", "\r\n"), "a\r\n\r\nb");
  EXPECT_EQ(withLineBreaks("", "\n"), "");
}

TEST(Layout, TableAsTheWindowNeedsIt) {
  EXPECT_EQ(twipsToPixels(15, 96), 1);
  EXPECT_EQ(twipsToPixels(kClientWidthTwips, 96), 497);
  EXPECT_EQ(twipsToPixels(kClientHeightTwips, 96), 360);
  EXPECT_EQ(twipsToPixels(kClientWidthTwips, 192), 994);
  EXPECT_EQ(twipsToPixels(-220, 96), -15);

  const ControlPlace& dir1 = placeOf(ControlId::Dir1);
  EXPECT_TRUE(dir1.onPicture1);
  EXPECT_EQ(std::vector<int>({dir1.left, dir1.top, dir1.width, dir1.height}),
            std::vector<int>({1800, 2280, 3135, 1665}));
  // The separator is as wide as its picture at 96 dpi and spans the whole window.
  const ControlPlace& sep = placeOf(ControlId::Image1);
  EXPECT_EQ(twipsToPixels(sep.width, 96), kSeparatorWidthPx);
  EXPECT_EQ(twipsToPixels(sep.height, 96), kSeparatorHeightPx);
  EXPECT_LT(sep.left, 0);
  EXPECT_GT(sep.left + sep.width, kClientWidthTwips);
  // Everything on the panel fits inside it.
  const ControlPlace& panel = placeOf(ControlId::Picture1);
  for (const ControlPlace& p : layoutTable()) {
    if (p.onPicture1) {
      EXPECT_LE(p.left + p.width, panel.width) << p.name;
    }
  }
  EXPECT_EQ(focusOrder().front(), ControlId::Command2);
  EXPECT_DOUBLE_EQ(fontOf(FontId::Title).pointSize, 14.25);
  EXPECT_EQ(fontOf(FontId::Title).families.front(), "Verdana");
  EXPECT_DOUBLE_EQ(fontOf(FontId::Body).pointSize, 9.75);
  EXPECT_EQ(fontOf(FontId::Body).families.front(), "Tahoma");
}

}  // namespace
}  // namespace tamberlin
