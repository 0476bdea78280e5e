// A disk that fills up in the middle of a change, and places that refuse writes: a small tmpfs
// mounted for the test (root only; skipped with a message elsewhere), filled until the change
// cannot finish, or remounted read-only. Every case ends in a clear error, and the archive and
// the game's files are as they were before the operation.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/fault_file_system.h"
#include "support/install_rig.h"
#include "ui/message_box.h"
#include "ui/program_end.h"

namespace tamberlin {
namespace {

namespace stdfs = std::filesystem;
using test::EngineRig;
using test::InstallRig;
using test::makeArchive;
using test::pattern;
using test::readBytes;
using test::sameBytes;
using test::snapshotGame;
using test::snapshotTree;
using test::TempDir;
using test::writeBytes;

/// A tmpfs of `bytes` mounted on `dir` while the object lives. `error` says why it could not be
/// mounted (the test then skips).
class Tmpfs {
 public:
  Tmpfs(const std::string& dir, std::size_t bytes) : dir_(dir) {
    stdfs::create_directories(dir);
    const std::string opts = "size=" + std::to_string(bytes);
    if (::mount("tamberlin-test", dir.c_str(), "tmpfs", 0, opts.c_str()) == 0) {
      mounted_ = true;
    } else {
      error = std::string("cannot mount a tmpfs (") + std::strerror(errno) + "); run as root";
    }
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;

  /// Makes the whole file system read-only; false when that fails.
  bool makeReadOnly() {
    return ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

  /// Fills the disk with a file until `leave` bytes are free (about: tmpfs counts pages).
  void fillLeaving(std::uint64_t leave) {
    struct statvfs st;
    ASSERT_EQ(::statvfs(dir_.c_str(), &st), 0);
    const std::uint64_t free = std::uint64_t{st.f_bavail} * st.f_frsize;
    ASSERT_GT(free, leave);
    writeBytes(dir_ + "/filler", std::string(free - leave, 'f'));
  }

  std::string error;

 private:
  std::string dir_;
  bool mounted_ = false;
};

/// Makes `dir` (an existing folder) refuse writes by a read-only bind mount of itself.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& dir) : dir_(dir) {
    if (::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0) return;
    mounted_ = true;
    ok = ::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool ok = false;

 private:
  std::string dir_;
  bool mounted_ = false;
};

#define SKIP_UNLESS_MOUNTED(disk) \
  if (!(disk).error.empty()) GTEST_SKIP() << (disk).error

/// The error number in an engine box's prompt ("8Error # 61\r...").
int boxNumber(const MessageBoxRequest& box) {
  return std::stoi(box.text.substr(box.text.find("# ") + 2));
}

class FullDiskTest : public ::testing::Test {
 protected:
  FullDiskTest() : disk_(dir_.file("disk"), 1 << 20) {}

  std::string archive() const { return dir_.file("disk/gta3.img"); }

  /// A 40-entry archive on the small disk, its directory read, the engine pointed at it.
  void loadArchive(std::uint32_t entries) {
    std::vector<test::Rec> recs;
    for (std::uint32_t k = 0; k < entries; ++k)
      recs.push_back({1 + k, 1, test::nameField("e" + std::to_string(k) + ".dff")});
    original_ = makeArchive(recs, (entries + 1) * 2048);
    writeBytes(archive(), original_);
    rig_.boxes.answers.assign(4, MsgAnswer::Yes);
    rig_.engine.ReadIMG(archive());
    ASSERT_TRUE(rig_.boxes.shown.empty());
    rig_.engine.imgPath = archive();
    writeBytes(dir_.file("big.dff"), pattern(7, 2 << 20));  // beside the disk, twice its size
  }

  /// The one box shown: error 61 naming the archive.
  void expectDiskFullBox(const std::string& sub) {
    ASSERT_EQ(rig_.boxes.shown.size(), 1u);
    EXPECT_EQ(boxNumber(rig_.boxes.shown[0]), err::kDiskFull);
    EXPECT_NE(rig_.boxes.shown[0].text.find("Disk full"), std::string::npos);
    EXPECT_NE(rig_.boxes.shown[0].text.find(sub), std::string::npos);
  }

  TempDir dir_;
  Tmpfs disk_;
  EngineRig rig_;
  std::string original_;
};

TEST_F(FullDiskTest, AddThatFillsTheDiskIsDiskFullAndTakenBack) {
  SKIP_UNLESS_MOUNTED(disk_);
  loadArchive(40);
  disk_.fillLeaving(512 * 1024);
  rig_.engine.UseFileNameToIMG(dir_.file("big.dff"), 0, 0, "");
  expectDiskFullBox("Sub UseFileNameToIMG");
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
  EXPECT_EQ(rig_.engine.IMGDir.size(), 41u);
}

TEST_F(FullDiskTest, AddWithAMoveThatFillsTheDiskPutsTheMovedRecordBack) {
  SKIP_UNLESS_MOUNTED(disk_);
  loadArchive(63);  // a full first sector: the add moves entry 1 before it copies
  disk_.fillLeaving(512 * 1024);
  rig_.engine.UseFileNameToIMG(dir_.file("big.dff"), 0, 0, "");
  expectDiskFullBox("Sub UseFileNameToIMG");
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
  EXPECT_EQ(rig_.engine.IMGDir[1].offset, 1);
}

TEST_F(FullDiskTest, ReplaceThatFillsTheDiskIsDiskFullAndTakenBack) {
  SKIP_UNLESS_MOUNTED(disk_);
  loadArchive(40);
  disk_.fillLeaving(512 * 1024);
  std::int32_t count = 0;
  rig_.engine.ReplaceFileInIMG(5, dir_.file("big.dff"), 0, count);
  expectDiskFullBox("Sub ReplaceFileInIMG");
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
  EXPECT_EQ(rig_.engine.IMGDir[5].offset, 5);
}

TEST_F(FullDiskTest, ReadOnlyArchiveIsReadButRefusesChanges) {
  SKIP_UNLESS_MOUNTED(disk_);
  writeBytes(archive(), makeArchive({{1, 1, test::nameField("a.dff")}}, 2 * 2048));
  original_ = readBytes(archive());
  ASSERT_TRUE(disk_.makeReadOnly());
  rig_.boxes.answers.assign(4, MsgAnswer::Yes);
  rig_.engine.ReadIMG(archive());
  EXPECT_TRUE(rig_.boxes.shown.empty()) << "reading needs no write access";
  ASSERT_EQ(rig_.engine.IMGDir.size(), 2u);
  rig_.engine.imgPath = archive();
  writeBytes(dir_.file("new.dff"), "new");
  rig_.engine.UseFileNameToIMG(dir_.file("new.dff"), 0, 0, "");
  std::int32_t count = 0;
  rig_.engine.ReplaceFileInIMG(1, dir_.file("new.dff"), 0, count);
  ASSERT_EQ(rig_.boxes.shown.size(), 2u);
  for (const auto& box : rig_.boxes.shown) {
    EXPECT_EQ(boxNumber(box), err::kPermissionDenied);
    EXPECT_NE(box.text.find(archive()), std::string::npos) << box.text;
  }
  EXPECT_TRUE(sameBytes(readBytes(archive()), original_));
}

/// An installation whose game folder is a small tmpfs holding the rig's game files.
class FullDiskInstallTest : public ::testing::Test {
 protected:
  FullDiskInstallTest() : disk_(rig_.game, 1 << 20) {
    if (!disk_.error.empty()) return;
    stdfs::create_directories(rig_.game + "/models");
    writeBytes(rig_.game + "/gta_sa.exe", "MZ");
    writeBytes(rig_.archivePath(), InstallRig::defaultArchive());
    writeBytes(rig_.gameFile("data.bin"), "old data");
    rig_.writeMod("big.bin", pattern(3, 2 << 20));
  }

  InstallRig rig_;
  Tmpfs disk_;
};

TEST_F(FullDiskInstallTest, CopyOntoAFullDiskEndsWithDiskFullAndKeepsTheOldFile) {
  SKIP_UNLESS_MOUNTED(disk_);
  disk_.fillLeaving(512 * 1024);
  const auto before = snapshotTree(rig_.game);
  rig_.writeScript("ADD big.bin, data.bin\r\n");
  const auto out = rig_.install();
  EXPECT_EQ(out.error, err::kDiskFull) << out.detail;
  EXPECT_NE(out.detail.find("data.bin"), std::string::npos) << out.detail;
  EXPECT_EQ(snapshotTree(rig_.game), before) << "no half-copied file is left behind";
}

TEST_F(FullDiskInstallTest, ArchiveLineOnAFullDiskKeepsTheArchiveAndTheLinesBefore) {
  SKIP_UNLESS_MOUNTED(disk_);
  rig_.writeMod("small.txt", "small");
  disk_.fillLeaving(512 * 1024);
  const std::string archive = readBytes(rig_.archivePath());
  rig_.writeScript("ADD small.txt, small.txt\r\nADDINIMG \\models\\gta3.img, big.bin\r\n");
  rig_.boxes.answers = {MsgAnswer::Ok, MsgAnswer::No};
  const auto out = rig_.install();
  EXPECT_TRUE(out.ended && !out.completed);
  ASSERT_EQ(rig_.boxes.shown.size(), 2u);
  EXPECT_EQ(boxNumber(rig_.boxes.shown[1]), err::kDiskFull);
  EXPECT_TRUE(sameBytes(readBytes(rig_.archivePath()), archive));
  EXPECT_EQ(readBytes(rig_.gameFile("small.txt")), "small") << "what was done before stays done";
}

TEST_F(FullDiskInstallTest, FolderThatRefusesWritesEndsWithPermissionDenied) {
  SKIP_UNLESS_MOUNTED(disk_);
  stdfs::create_directories(rig_.gameFile("locked"));
  writeBytes(rig_.gameFile("locked/old.txt"), "old");
  ReadOnlyFolder locked(rig_.gameFile("locked"));
  ASSERT_TRUE(locked.ok);
  const auto before = snapshotGame(rig_.game);
  for (const char* script : {"ADD big.bin, locked\\old.txt\r\n", "ADD big.bin, locked\\new.bin\r\n",
                             "MAKEDIR locked\\sub\r\n", "DELETE locked\\*.txt\r\n"}) {
    rig_.writeScript(script);
    rig_.form.numNumHH = 0;  // each script alone: the reader appends to what it read
    const auto out = rig_.install();
    EXPECT_EQ(out.error, err::kPermissionDenied) << script << out.detail;
    EXPECT_NE(out.detail.find("locked"), std::string::npos) << out.detail;
    EXPECT_EQ(snapshotGame(rig_.game), before) << script;
  }
}

/// Boxes that delete a file when the box showing its path opens: the source of an "ADDINIMG"
/// line vanishes while the user reads its path.
class VanishingBoxes : public MessageBoxes {
 public:
  explicit VanishingBoxes(std::string path) : path_(std::move(path)) {}
  MsgAnswer show(const MessageBoxRequest& box) override {
    shown.push_back(box);
    if (box.buttons == MsgButtons::Ok) {
      stdfs::remove(path_);
      return MsgAnswer::Ok;
    }
    return MsgAnswer::Yes;
  }
  std::vector<MessageBoxRequest> shown;

 private:
  std::string path_;
};

TEST(VanishingSourceTest, SourceGoneBeforeTheAddIsFileNotFoundAndNothingChanges) {
  InstallRig rig;
  rig.writeMod("car.dff", "car");
  rig.writeScript("ADDINIMG \\models\\gta3.img, car.dff\r\n");
  const std::string archive = readBytes(rig.archivePath());
  VanishingBoxes boxes(rig.modFile("car.dff"));
  Form1Install form(realFileSystem(), boxes, rig.status, rig.window);
  form.saPath = rig.game;
  try {
    form.ImgInstall();
  } catch (const ProgramEnd&) {
  }
  ASSERT_GE(boxes.shown.size(), 2u);
  EXPECT_EQ(boxNumber(boxes.shown[1]), err::kFileNotFound);
  EXPECT_NE(boxes.shown[1].text.find("car.dff"), std::string::npos);
  EXPECT_TRUE(sameBytes(readBytes(rig.archivePath()), archive));
}

TEST(FailingReadTest, EveryReadThatFailsDuringAnAddLeavesTheArchiveAsItWas) {
  // The source (or the archive) stops answering at each read in turn: a file on a removed
  // medium or a network share that went away.
  TempDir dir;
  std::vector<test::Rec> recs;
  for (std::uint32_t k = 0; k < 63; ++k)
    recs.push_back({1 + k, 1, test::nameField("e" + std::to_string(k) + ".dff")});
  const std::string original = makeArchive(recs, 64 * 2048);
  writeBytes(dir.file("new.dff"), pattern(5, 300 * 1024));
  int failed = 0;
  for (long nth = 1;; ++nth) {
    ASSERT_LT(nth, 200) << "the add never got through";
    writeBytes(dir.file("gta3.img"), original);
    FaultFileSystem fault(realFileSystem());
    EngineRig rig(fault);
    rig.engine.ReadIMG(dir.file("gta3.img"));
    rig.engine.imgPath = dir.file("gta3.img");
    rig.boxes.answers = {MsgAnswer::Yes};
    fault.failCall(FsCall::Read, nth, err::kDeviceIO);
    rig.engine.UseFileNameToIMG(dir.file("new.dff"), 0, 0, "");
    if (rig.boxes.shown.empty()) break;
    ++failed;
    EXPECT_EQ(boxNumber(rig.boxes.shown[0]), err::kDeviceIO);
    EXPECT_TRUE(sameBytes(readBytes(dir.file("gta3.img")), original)) << "read " << nth;
    EXPECT_EQ(rig.engine.IMGDir.size(), 64u);
  }
  EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace tamberlin
