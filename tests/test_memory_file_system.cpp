// The memory file system: it answers as the POSIX one does, and a power cut leaves exactly the
// states a disk cache may leave; the explorer finds an ordering fault and passes its mend.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/memory_file_system.h"
#include "support/power_cut_explorer.h"

namespace tamberlin::test {
namespace {

template <class F>
int errorOf(F f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

void put(FileSystem& fs, const std::string& path, const std::string& bytes, bool sync = false) {
  auto f = fs.open(path, OpenMode::Create);
  if (!bytes.empty()) f->write(1, bytes.data(), bytes.size());
  if (sync) f->sync();
  f->close();
}

void writeAt(FileSystem& fs, const std::string& path, std::int64_t pos, const std::string& bytes) {
  auto f = fs.open(path, OpenMode::ReadWriteExisting);
  f->write(pos, bytes.data(), bytes.size());
  f->close();
}

/// Runs of four or more equal bytes as "a*1200".
std::string squeeze(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t j = i;
    while (j < s.size() && s[j] == s[i]) ++j;
    out += j - i >= 4 ? s.substr(i, 1) + "*" + std::to_string(j - i) : s.substr(i, j - i);
    i = j;
  }
  return out;
}

/// The tree under /t: "d/ d/a=bytes f=bytes".
std::string render(MemoryFileSystem& fs) {
  std::string out;
  for (const std::string& p : fs.listAll()) {
    if (p.rfind("/t/", 0) != 0 || p == "/t/") continue;
    std::string rel = p.substr(3);
    out += (out.empty() ? "" : " ") + rel;
    if (rel.back() != '/') out += "=" + squeeze(fs.readFile(p));
  }
  return out;
}

std::set<std::string> outcomes(const MemoryFileSystem& fs) {
  std::set<std::string> out;
  fs.crashStates([&](MemoryFileSystem& state, const std::string&) {
    out.insert(render(state));
    return true;
  });
  return out;
}

struct CutCase {
  const char* what;
  std::function<void(MemoryFileSystem&)> setup;  ///< durable, under /t
  std::function<void(FileSystem&)> act;          ///< relative paths, from /t
  std::set<std::string> states;                  ///< render() of every state a cut may leave
};

const std::string kA1200(1200, 'a');

const CutCase kCutCases[] = {
    {"an unflushed write can be lost",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) { writeAt(fs, "f", 1, "new"); },
     {"f=old", "f=new"}},
    {"a flushed write cannot",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) {
       auto f = fs.open("f", OpenMode::ReadWriteExisting);
       f->write(1, "new", 3);
       f->sync();
     },
     {"f=new"}},
    {"a write tears at 512-byte file offsets inside it",
     [](auto& fs) { fs.writeFile("/t/f", kA1200); },
     [](FileSystem& fs) { writeAt(fs, "f", 101, std::string(1000, 'x')); },
     {"f=a*1200", "f=a*100x*412a*688", "f=a*100x*924a*176", "f=a*100x*1000a*100"}},
    {"an unflushed emptying can be lost",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) { fs.open("f", OpenMode::Create)->close(); },
     {"f=old", "f="}},
    {"a file flushed in an unflushed folder is gone",
     [](auto& fs) { fs.makeDirs("/t/d"); },
     [](FileSystem& fs) { put(fs, "d\\new", "data", true); },
     {"d/", "d/ d/new=data"}},
    {"and stays once its folder is flushed",
     [](auto& fs) { fs.makeDirs("/t/d"); },
     [](FileSystem& fs) {
       put(fs, "d\\new", "data", true);
       fs.syncDir("D");
     },
     {"d/ d/new=data"}},
    {"a durable rename over unflushed data leaves the name without it",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) {
       put(fs, "f.part", "new");
       fs.rename("f.part", "f");
       fs.syncDir(".");
     },
     {"f=", "f=new"}},
    {"with the data flushed first it is whole",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) {
       put(fs, "f.part", "new", true);
       fs.rename("f.part", "f");
       fs.syncDir(".");
     },
     {"f=new"}},
    {"a folder's name changes reach the disk in order",
     [](auto&) {},
     [](FileSystem& fs) {
       put(fs, "a", "");
       put(fs, "b", "");
     },
     {"", "a=", "a= b="}},
    {"an unflushed removal can be lost",
     [](auto& fs) { fs.writeFile("/t/f", "old"); },
     [](FileSystem& fs) { fs.removeFile("F"); },
     {"", "f=old"}},
    {"each folder keeps its own prefix",
     [](auto& fs) {
       fs.makeDirs("/t/d1");
       fs.makeDirs("/t/d2");
     },
     [](FileSystem& fs) {
       put(fs, "d1/a", "");
       put(fs, "d2/b", "");
     },
     {"d1/ d2/", "d1/ d1/a= d2/", "d1/ d2/ d2/b=", "d1/ d1/a= d2/ d2/b="}},
    {"a rename between folders moves whole, after both folders' earlier changes",
     [](auto& fs) {
       fs.writeFile("/t/d1/a", "x");
       fs.makeDirs("/t/d2");
     },
     [](FileSystem& fs) {
       put(fs, "d2/x", "");
       fs.rename("d1/a", "d2/a");
     },
     {"d1/ d1/a=x d2/", "d1/ d1/a=x d2/ d2/x=", "d1/ d2/ d2/a=x d2/x="}},
    {"and is durable once either folder is flushed",
     [](auto& fs) {
       fs.writeFile("/t/d1/a", "x");
       fs.makeDirs("/t/d2");
     },
     [](FileSystem& fs) {
       fs.rename("d1/a", "d2/a");
       fs.syncDir("d1");
     },
     {"d1/ d2/ d2/a=x"}},
    {"a new folder takes what it holds with it",
     [](auto&) {},
     [](FileSystem& fs) {
       fs.makeDir("d");
       put(fs, "d/x", "", true);
       fs.syncDir("d");
     },
     {"", "d/ d/x="}},
};

TEST(MemoryFileSystemCut, LeavesExactlyTheStatesACacheMayLeave) {
  for (const CutCase& c : kCutCases) {
    MemoryFileSystem fs;
    fs.makeDirs("/t");
    fs.setCurrentDir("/t");
    c.setup(fs);
    c.act(fs);
    EXPECT_EQ(outcomes(fs), c.states) << c.what;
  }
}

TEST(MemoryFileSystemCut, StatesAreDurableAndKeepTheFilesIds) {
  MemoryFileSystem fs;
  fs.writeFile("/t/f", "old");
  std::uint64_t id = fs.stat("/t/f").id;
  fs.rename("/t/f", "/t/g");
  EXPECT_EQ(fs.stat("/t/g").id, id);
  std::size_t n = fs.crashStates([&](MemoryFileSystem& state, const std::string& what) {
    std::string name = state.stat("/t/f").exists ? "/t/f" : "/t/g";
    EXPECT_EQ(state.stat(name).id, id) << what;
    EXPECT_EQ(state.unflushedItems(), 0u) << what;
    return true;
  });
  EXPECT_EQ(n, 2u);
}

TEST(MemoryFileSystemCut, TheCutRefusesTheOperationAndEverythingAfter) {
  MemoryFileSystem fs;
  fs.makeDirs("/t");
  fs.cutPowerAt(2);
  put(fs, "/t/a", "");  // operation 1
  try {
    fs.makeDir("/t/d");
    FAIL() << "no cut";
  } catch (const PowerCut& cut) {
    EXPECT_EQ(cut.operation, 2);
    EXPECT_EQ(cut.name, "makeDir /t/d");
  }
  EXPECT_THROW(fs.stat("/t/a"), PowerCut);
  EXPECT_EQ(fs.operationLog(), std::vector<std::string>{"create /t/a"});
  EXPECT_EQ(outcomes(fs), (std::set<std::string>{"", "a="}));
}

TEST(MemoryFileSystemCut, ManyUnflushedWritesAreSampledWithTheTelltaleStates) {
  auto run = [](std::vector<std::string>& descriptions) {
    MemoryFileSystem fs;
    fs.writeFile("/t/f", std::string(12 * 512, '.'));
    for (int i = 0; i < 12; ++i) writeAt(fs, "/t/f", 1 + i * 512, std::string(1, 'a' + i));
    EXPECT_EQ(fs.unflushedItems(), 12u);
    std::set<std::string> kept;
    CrashStateOptions options;
    options.samples = 50;
    fs.crashStates(
        [&](MemoryFileSystem& state, const std::string& what) {
          std::string bytes = state.readFile("/t/f"), letters;
          for (int i = 0; i < 12; ++i)
            if (bytes[static_cast<std::size_t>(i) * 512] != '.') letters += bytes[i * 512];
          kept.insert(letters);
          descriptions.push_back(what);
          return true;
        },
        options);
    return kept;
  };
  std::vector<std::string> first, second;
  std::set<std::string> kept = run(first);
  EXPECT_LE(first.size(), 50u + 2 + 13 + 24);
  EXPECT_TRUE(kept.count("") && kept.count("abcdefghijkl"));
  for (int i = 0; i < 12; ++i) {
    std::string all = "abcdefghijkl";
    EXPECT_TRUE(kept.count(std::string(1, 'a' + i))) << "only " << i;
    EXPECT_TRUE(kept.count(all.erase(static_cast<std::size_t>(i), 1))) << "all but " << i;
  }
  run(second);
  EXPECT_EQ(first, second);  // the same seed, the same states
}

TEST(MemoryFileSystem, WritesBeyondTheFreeSpaceFailWithError61AndChangeNothing) {
  MemoryFileSystem fs;
  fs.writeFile("/f", "12345");
  fs.setFreeSpace(10);
  auto f = fs.open("/f", OpenMode::ReadWriteExisting);
  long before = fs.operations();
  EXPECT_EQ(errorOf([&] { f->write(3, "abcdefghijklmn", 14); }), err::kDiskFull);  // grows 11
  EXPECT_EQ(fs.readFile("/f"), "12345");
  EXPECT_EQ(fs.operations(), before);
  f->write(3, "abcdefghijklm", 13);  // grows 10
  EXPECT_EQ(fs.freeSpace("/"), 0u);
  f->truncate(5);
  EXPECT_EQ(fs.freeSpace("/"), 10u);
}

TEST(MemoryFileSystem, RealFoldersCopyInAndOut) {
  tamberlin::test::TempDir from, to;
  std::filesystem::create_directories(from.file("models"));
  tamberlin::test::writeBytes(from.file("models/gta3.img"), "VER2");
  tamberlin::test::writeBytes(from.file("gta_sa.exe"), std::string("\0x", 2));
  MemoryFileSystem fs;
  fs.copyIn(from.path(), "/game");
  EXPECT_EQ(fs.listAll(), (std::vector<std::string>{"/game/", "/game/gta_sa.exe", "/game/models/",
                                                    "/game/models/gta3.img"}));
  fs.copyOut("/game", to.path());
  EXPECT_EQ(tamberlin::test::readBytes(to.file("models/gta3.img")), "VER2");
  EXPECT_EQ(tamberlin::test::readBytes(to.file("gta_sa.exe")), std::string("\0x", 2));
  MemoryFileSystem again;
  again.copyIn(to.path(), "/game");
  EXPECT_EQ(fs.durableDifference(again), "");
  again.writeFile("/game/models/gta3.img", "VER1");
  EXPECT_EQ(fs.durableDifference(again), "/game/models/gta3.img differs (4 and 4 bytes)");
}

// ---- The same answers as the POSIX file system ---------------------------------------------

class BothFileSystems : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      memory.makeDirs("/t");
      root = "/t";
      fs = &memory;
    } else {
      root = dir.path();
      fs = &realFileSystem();
    }
  }
  std::string at(const std::string& rel) const { return root + "/" + rel; }
  std::string get(const std::string& rel) {
    auto f = fs->open(at(rel), OpenMode::Read);
    std::string out(static_cast<std::size_t>(f->length()), '\0');
    f->read(1, out.data(), out.size());
    return out;
  }

  tamberlin::test::TempDir dir;
  MemoryFileSystem memory;
  FileSystem* fs = nullptr;
  std::string root;
};

INSTANTIATE_TEST_SUITE_P(, BothFileSystems, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Memory" : "Posix"; });

using At = std::function<std::string(const char*)>;

struct Fault {
  const char* what;
  int number;
  std::function<void(FileSystem&, const At& at)> act;
};

const Fault kFaults[] = {
    {"reading a missing file", 53,
     [](FileSystem& fs, const At& at) { fs.open(at("none"), OpenMode::Read); }},
    {"an existing file that is not", 53,
     [](FileSystem& fs, const At& at) { fs.open(at("none"), OpenMode::ReadWriteExisting); }},
    {"reading in a missing folder", 76,
     [](FileSystem& fs, const At& at) { fs.open(at("none/f"), OpenMode::Read); }},
    {"creating in a missing folder", 76,
     [](FileSystem& fs, const At& at) { fs.open(at("none/f"), OpenMode::Create); }},
    {"a file taken for a folder", 76,
     [](FileSystem& fs, const At& at) { fs.open(at("f/x"), OpenMode::ReadWrite); }},
    {"reading a folder", 75,
     [](FileSystem& fs, const At& at) { fs.open(at("d"), OpenMode::Read); }},
    {"writing a folder", 75,
     [](FileSystem& fs, const At& at) { fs.open(at("d"), OpenMode::ReadWrite); }},
    {"making an existing folder", 75, [](FileSystem& fs, const At& at) { fs.makeDir(at("D")); }},
    {"making a folder over a file", 75, [](FileSystem& fs, const At& at) { fs.makeDir(at("f")); }},
    {"making a folder in a missing one", 76,
     [](FileSystem& fs, const At& at) { fs.makeDir(at("a/b")); }},
    {"removing a folder", 75, [](FileSystem& fs, const At& at) { fs.removeFile(at("d")); }},
    {"removing a missing file", 53,
     [](FileSystem& fs, const At& at) { fs.removeFile(at("none")); }},
    {"removing in a missing folder", 53,
     [](FileSystem& fs, const At& at) { fs.removeFile(at("no/f")); }},
    {"renaming a missing file", 53,
     [](FileSystem& fs, const At& at) { fs.rename(at("none"), at("g")); }},
    {"renaming a file over a folder", 75,
     [](FileSystem& fs, const At& at) { fs.rename(at("f"), at("d")); }},
    {"renaming a folder over a file", 76,
     [](FileSystem& fs, const At& at) { fs.rename(at("d"), at("f")); }},
    {"renaming into a missing folder", 53,
     [](FileSystem& fs, const At& at) { fs.rename(at("f"), at("none/f")); }},
    {"renaming a folder into itself", 57,
     [](FileSystem& fs, const At& at) { fs.rename(at("d"), at("d/e")); }},
    {"listing a missing folder", 76, [](FileSystem& fs, const At& at) { fs.list(at("none")); }},
    {"listing a file", 76, [](FileSystem& fs, const At& at) { fs.list(at("f")); }},
    {"flushing a missing folder", 53, [](FileSystem& fs, const At& at) { fs.syncDir(at("none")); }},
    {"flushing a file as a folder", 76, [](FileSystem& fs, const At& at) { fs.syncDir(at("f")); }},
    {"the free space of a missing folder", 53,
     [](FileSystem& fs, const At& at) { fs.freeSpace(at("none")); }},
    {"a NUL in a path", 52,
     [](FileSystem& fs, const At& at) {
       fs.open(at("f") + std::string(1, '\0') + "x", OpenMode::Read);
     }},
    {"a NUL in a folder made", 52,
     [](FileSystem& fs, const At& at) { fs.makeDir(at("n") + std::string(1, '\0')); }},
    {"a drive letter", 76,
     [](FileSystem& fs, const At&) { fs.open("C:\\x.txt", OpenMode::ReadWrite); }},
    {"writing at position 0", 52,
     [](FileSystem& fs, const At& at) { fs.open(at("f"), OpenMode::ReadWrite)->write(0, "x", 1); }},
    {"writing a file opened to read", 52,
     [](FileSystem& fs, const At& at) { fs.open(at("f"), OpenMode::Read)->write(1, "x", 1); }},
    {"truncating a file opened to read", 57,
     [](FileSystem& fs, const At& at) { fs.open(at("f"), OpenMode::Read)->truncate(1); }},
    {"reading a closed file", 52,
     [](FileSystem& fs, const At& at) {
       auto f = fs.open(at("f"), OpenMode::Read);
       f->close();
       char c;
       f->read(1, &c, 1);
     }},
    {"the length of a closed file", 52,
     [](FileSystem& fs, const At& at) {
       auto f = fs.open(at("f"), OpenMode::Read);
       f->close();
       f->length();
     }},
};

TEST_P(BothFileSystems, GiveTheSameErrorNumbers) {
  put(*fs, at("f"), "abc");
  fs->makeDir(at("d"));
  At where = [&](const char* rel) { return at(rel); };
  for (const Fault& fault : kFaults)
    EXPECT_EQ(errorOf([&] { fault.act(*fs, where); }), fault.number) << fault.what;
  EXPECT_FALSE(fs->stat(at("f") + std::string(1, '\0')).exists);
  EXPECT_EQ(get("f"), "abc");
}

TEST_P(BothFileSystems, PositionsOpenModesAndSharedFiles) {
  put(*fs, at("f"), "abcdef");
  auto rw = fs->open(at("F"), OpenMode::ReadWriteExisting);
  auto ro = fs->open(at("f"), OpenMode::Read);
  rw->write(6, "YZ", 2);
  rw->write(10, "!", 1);  // past the end: zeros between
  char buf[16] = {};
  EXPECT_EQ(ro->read(2, buf, 16), 9u);  // the other handle sees the same file
  EXPECT_EQ(std::string(buf, 9), std::string("bcdeYZ\0\0!", 9));
  EXPECT_EQ(ro->read(11, buf, 1), 0u);
  rw->close();
  ro->close();
  fs->open(at("made"), OpenMode::ReadWrite)->close();
  EXPECT_EQ(fs->stat(at("made")).size, 0);
  fs->open(at("f"), OpenMode::ReadWrite)->close();
  EXPECT_EQ(fs->stat(at("f")).size, 10);
  fs->open(at("f"), OpenMode::Create)->close();
  EXPECT_EQ(fs->stat(at("f")).size, 0);
}

TEST_P(BothFileSystems, ResolvePathsAsWindowsDoesAndKeepStoredCase) {
  fs->makeDir(at("Models"));
  put(*fs, at("Models/gta3.img"), "VER2");
  EXPECT_EQ(fs->nativePath(root + "\\MODELS\\GTA3.IMG"), at("Models/gta3.img"));
  put(*fs, root + "\\models\\New.dff", "n");  // goes into the folder of other case
  EXPECT_EQ(get("Models/New.dff"), "n");
  put(*fs, at("Data.txt"), "upper");
  put(*fs, at("DATA.TXT"), "lower");                         // the same file: its stored name stays
  fs->rename(at("Models/gta3.img"), at("MODELS/GTA3.img"));  // one file, two spellings: no change
  std::vector<std::string> names;
  for (const DirEntry& e : fs->list(root)) names.push_back(e.name);
  for (const DirEntry& e : fs->list(at("models"))) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Data.txt", "Models", "New.dff", "gta3.img"}));
  EXPECT_EQ(get("data.txt"), "lower");
}

TEST_P(BothFileSystems, RenameListAndIds) {
  put(*fs, at("new"), "new");
  put(*fs, at("old"), "old");
  put(*fs, at(".hidden"), "");
  fs->makeDir(at("a"));
  std::uint64_t id = fs->stat(at("new")).id;
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, fs->stat(at("old")).id);
  fs->rename(at("NEW"), at("old"));
  EXPECT_EQ(get("old"), "new");
  EXPECT_EQ(fs->stat(at("old")).id, id);  // the file keeps its id under its new name
  EXPECT_FALSE(fs->stat(at("new")).exists);
  auto entries = fs->list(root);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_TRUE(entries[0].name == ".hidden" && entries[0].isHidden && !entries[0].isDir);
  EXPECT_TRUE(entries[1].name == "a" && entries[1].isDir && !entries[1].isHidden);
  EXPECT_TRUE(entries[2].name == "old" && !entries[2].isDir);
  EXPECT_TRUE(fs->stat(at(".hidden")).isHidden);
  fs->removeFile(at("OLD"));
  EXPECT_FALSE(fs->stat(at("old")).exists);
  // A second name keeps the bytes when the first is replaced by a rename.
  put(*fs, at("kept"), "kept bytes");
  put(*fs, at("next"), "next");
  fs->linkOrCopy(at("kept"), at("a/second"));
  fs->rename(at("next"), at("kept"));
  EXPECT_EQ(get("kept"), "next");
  EXPECT_EQ(get("a/second"), "kept bytes");
  EXPECT_THROW(fs->linkOrCopy(at("kept"), at("a/second")), RuntimeError);
}

// ---- The explorer finds an ordering fault --------------------------------------------------

/// A toy store: a 4-byte pointer at position 1 names where the live data starts.
const std::string kOldData = tamberlin::test::pattern(1, 600);
const std::string kNewData = tamberlin::test::pattern(2, 600);

void storeSetup(MemoryFileSystem& fs) {
  fs.writeFile("/store", "0513" + std::string(508, '\0') + kOldData);
}

void storeUpdate(FileSystem& fs, bool flushBetween) {
  auto f = fs.open("/store", OpenMode::ReadWriteExisting);
  f->write(2049, kNewData.data(), kNewData.size());
  if (flushBetween) f->sync();
  f->write(1, "2049", 4);
  f->sync();
}

::testing::AssertionResult pointerIsSound(MemoryFileSystem& fs, const PowerCutInfo&) {
  std::string bytes = fs.readFile("/store");
  std::string ptr = bytes.substr(0, 4);
  const std::string& want = ptr == "0513" ? kOldData : kNewData;
  std::size_t at = static_cast<std::size_t>(std::stoi(ptr)) - 1;
  if (bytes.size() >= at + 600 && bytes.compare(at, 600, want) == 0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the pointer " << ptr << " names data not on the disk";
}

TEST(PowerCutExplorer, FindsAPointerWrittenBeforeItsDataIsFlushed) {
  ExploreOptions options;
  options.maxFailures = 1;
  ExploreTotals faulty;
  EXPECT_NONFATAL_FAILURE(
      faulty = explorePowerCuts(
          storeSetup, [](MemoryFileSystem& fs) { storeUpdate(fs, false); }, pointerIsSound,
          options),
      "power cut at operation 3 of 3 (sync /store); kept: write /store pos 1 len 4");
  EXPECT_EQ(faulty.failures, 1);

  ExploreTotals mended = explorePowerCuts(
      storeSetup, [](MemoryFileSystem& fs) { storeUpdate(fs, true); }, pointerIsSound, options);
  EXPECT_EQ(mended.failures, 0);
  EXPECT_EQ(mended.operations, 4);
  EXPECT_EQ(mended.cutPoints, 5);
  EXPECT_GE(mended.largestStateCount, 3);  // the data lost, torn at 2560 or kept
  EXPECT_GE(mended.states, mended.cutPoints);
}

}  // namespace
}  // namespace tamberlin::test
