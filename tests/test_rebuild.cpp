#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>

#include "imgarchive/check.h"
#include "imgarchive/rebuild.h"
#include "imgarchive/rebuild_plan.h"
#include "platform/forwarding_file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/fault_file_system.h"
#include "support/run_program.h"

namespace tamberlin {
namespace {

using test::dataOf;
using test::makeArchive;
using test::nameField;
using test::parseArchive;
using test::putLE32;
using test::readBytes;
using test::Rec;
using test::TempDir;
using test::writeBytes;

IMGEntry entry(std::int32_t offset, std::int32_t size, const std::string& name = "a.dff") {
  IMGEntry e;
  e.offset = offset;
  e.size = size;
  std::string field = nameField(name);
  std::copy(field.begin(), field.end(), e.fileName.begin());
  return e;
}

// What a rebuild must produce, built from the old bytes alone: the same records with offsets
// counting up from the first sector after the directory, each entry's old bytes (zeros where
// the old file ended) at its new offset.
std::string expectedRebuild(const std::string& old) {
  test::Parsed p = parseArchive(old);
  std::uint32_t next = static_cast<std::uint32_t>((8 + 32 * std::size_t{p.count} + 2047) / 2048);
  std::string out = old.substr(0, 8);
  std::string data;
  for (const Rec& r : p.records) {
    std::string rec(32, '\0');
    putLE32(rec, 0, next);
    putLE32(rec, 4, r.size);
    rec.replace(8, 24, r.name);
    out += rec;
    std::string bytes = dataOf(old, r, std::size_t{r.size} * 2048);
    bytes.resize(std::size_t{r.size} * 2048, '\0');
    data += bytes;
    next += r.size;
  }
  out.resize((out.size() + 2047) / 2048 * 2048, '\0');
  return out + data;
}

// An archive as many replaces leave it: entries first written back to back from sector 1, then
// entry 2 given new data at the end of the file twice and entry 4 once (as the engine replaces),
// the last data not padded to a whole sector. The old data stays behind as dead space. Entry 3's
// name fills all 24 bytes, entry 4's has bytes after its NUL, and entry 5, of 0 sectors, has
// entry 1's name.
std::string fragmentedArchive() {
  std::vector<Rec> recs = {
      {1, 2, nameField("dup.txd")},
      {12, 1, nameField("b.dff")},  // was at 3, then at 10
      {4, 3, "twentyfour_chars_name.df"},
      {11, 1, nameField(std::string("car.dff\0junk", 12))},  // was at 7 with 3 sectors
      {9, 0, nameField("dup.txd")},
  };
  return makeArchive(recs, 12 * 2048 + 700);
}

class RebuildFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.file("gta3.img");
    old = fragmentedArchive();
    writeBytes(path, old);
  }
  std::string temp() const { return rebuildTempPath(path); }
  bool tempExists() const { return std::filesystem::exists(temp()); }

  TempDir dir;
  std::string path;
  std::string old;
};

TEST(RebuildPlan, FirstDataSectorFollowsTheDirectory) {
  EXPECT_EQ(firstDataSector(0), 1);
  EXPECT_EQ(firstDataSector(63), 1);  // 8 + 63 * 32 = 2024 bytes
  EXPECT_EQ(firstDataSector(64), 2);  // 2056 bytes
  EXPECT_EQ(firstDataSector(16300), 255);
}

TEST(RebuildPlan, BackToBackDataBecomesOneRunAndEmptyEntriesTakeTheCurrentSector) {
  // Entries 1 and 2 lie back to back in the old file; entry 3 (0 sectors) sits between; entry
  // 4 lies elsewhere.
  std::vector<IMGEntry> in = {entry(5, 2), entry(7, 1), entry(0, 0), entry(1, 3)};
  RebuildPlan plan = planRebuild(in, 9 * sector);
  ASSERT_EQ(plan.records.size(), 4u);
  EXPECT_EQ(plan.records[0].offset, 1);
  EXPECT_EQ(plan.records[1].offset, 3);
  EXPECT_EQ(plan.records[2].offset, 4);
  EXPECT_EQ(plan.records[2].size, 0);
  EXPECT_EQ(plan.records[3].offset, 4);
  ASSERT_EQ(plan.runs.size(), 2u);
  EXPECT_EQ(plan.runs[0].from, 5 * sector + 1);
  EXPECT_EQ(plan.runs[0].to, 1 * sector + 1);
  EXPECT_EQ(plan.runs[0].bytes, 3 * sector);
  EXPECT_EQ(plan.runs[1].from, 1 * sector + 1);
  EXPECT_EQ(plan.runs[1].bytes, 3 * sector);
  EXPECT_EQ(plan.dataBytes, 6 * sector);
  EXPECT_EQ(plan.newLength, 7 * sector);
}

TEST(RebuildPlan, UnpaddedLastSectorIsPaddedWithZeros) {
  std::vector<IMGEntry> in = {entry(3, 2), entry(1, 2)};
  RebuildPlan plan = planRebuild(in, 4 * sector + 100);  // entry 1 lacks 1948 bytes
  ASSERT_EQ(plan.runs.size(), 2u);
  EXPECT_EQ(plan.runs[0].bytes, sector + 100);
  EXPECT_EQ(plan.runs[0].zeros, sector - 100);
  EXPECT_EQ(plan.runs[1].from, sector + 1);  // not merged after a padded run
  EXPECT_EQ(plan.runs[1].zeros, 0);
  EXPECT_EQ(plan.dataBytes, 4 * sector);
}

TEST(RebuildPlan, RefusesDataItCannotCopy) {
  auto failsWith = [](std::vector<IMGEntry> in, std::int64_t length, int number) {
    try {
      planRebuild(in, length);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), number);
      EXPECT_NE(e.detail().find("entry 2 (a.dff)"), std::string::npos) << e.detail();
    }
  };
  // The file ends a byte before entry 2's last sector starts.
  failsWith({entry(1, 1), entry(2, 2)}, 3 * sector, err::kInvalidFormat);
  failsWith({entry(1, 1), entry(0, 1)}, 3 * sector, err::kInvalidFormat);  // over the directory
  failsWith({entry(1, 1), entry(-1, 1)}, 3 * sector, err::kInvalidFormat);
  // Entry 2 would start past the last sector a record can name.
  const std::int32_t most = std::numeric_limits<std::int32_t>::max();
  failsWith({entry(1, most), entry(1, 1)}, (1 + std::int64_t{most}) * sector, err::kOverflow);
  // A last sector begun by one byte is copied and padded.
  EXPECT_EQ(planRebuild({entry(1, 1), entry(2, 2)}, 3 * sector + 1).newLength, 4 * sector);
}

TEST_F(RebuildFiles, WritesTheDataInDirectoryOrderWithoutHoles) {
  ArchiveReport before = checkArchive(realFileSystem(), path);
  ASSERT_TRUE(before.ok());
  ASSERT_GT(before.contiguityBreaks(), 0u);

  RebuildSummary s = rebuildArchive(realFileSystem(), path);

  std::string now = readBytes(path);
  EXPECT_EQ(now, expectedRebuild(old));
  EXPECT_FALSE(tempExists());
  ArchiveReport after = checkArchive(realFileSystem(), path);
  EXPECT_TRUE(after.ok());
  EXPECT_EQ(after.contiguityBreaks(), 0u);
  EXPECT_EQ(after.deadBytes, 0u);

  EXPECT_EQ(s.entries, 5u);
  EXPECT_EQ(s.sizeBefore, 12 * 2048 + 700);
  EXPECT_EQ(s.sizeAfter, static_cast<std::int64_t>(now.size()));
  EXPECT_EQ(s.sizeAfter, (1 + 2 + 1 + 3 + 1) * 2048);
  // Dead: sector 3 (b.dff's first data), 7 to 9 (car.dff's), 10 (b.dff's second).
  EXPECT_EQ(s.holesRemoved, 5u * 2048);
  EXPECT_EQ(s.breaksBefore, before.contiguityBreaks());
  EXPECT_EQ(s.breaksAfter, 0u);
}

TEST_F(RebuildFiles, ASecondRebuildChangesNothing) {
  rebuildArchive(realFileSystem(), path);
  std::string once = readBytes(path);
  RebuildSummary s = rebuildArchive(realFileSystem(), path);
  EXPECT_EQ(readBytes(path), once);
  EXPECT_EQ(s.holesRemoved, 0u);
  EXPECT_EQ(s.breaksBefore, 0u);
  EXPECT_EQ(s.sizeBefore, s.sizeAfter);
}

TEST_F(RebuildFiles, ProgressCountsEveryDataByteOnce) {
  std::uint64_t last = 0, total = 0;
  int calls = 0;
  rebuildArchive(realFileSystem(), path, [&](std::uint64_t done, std::uint64_t all) {
    EXPECT_GE(done, last);
    if (calls++ > 0) {
      EXPECT_EQ(all, total);
    }
    last = done;
    total = all;
  });
  EXPECT_GT(calls, 0);
  EXPECT_EQ(total, 7u * 2048);
  EXPECT_EQ(last, total);
}

TEST_F(RebuildFiles, OverwritesATemporaryFileLeftByACrash) {
  writeBytes(temp(), std::string(40000, 'x'));
  rebuildArchive(realFileSystem(), path);
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
  EXPECT_FALSE(tempExists());
}

TEST_F(RebuildFiles, FindsTheArchiveWithoutRegardToLetterCase) {
  rebuildArchive(realFileSystem(), dir.path() + "/GTA3.IMG");
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(RebuildFiles, RefusesADamagedArchiveSayingWhatTheCheckFound) {
  std::vector<Rec> recs = {{1, 1, nameField("a.dff")}, {1, 1, nameField("b.dff")}};
  old = makeArchive(recs, 2 * 2048);
  writeBytes(path, old);
  try {
    rebuildArchive(realFileSystem(), path);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kInvalidFormat);
    ArchiveReport r = checkArchive(realFileSystem(), path);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_NE(e.detail().find(r.errors[0]), std::string::npos) << e.detail();
    EXPECT_NE(e.detail().find("not rebuilt"), std::string::npos) << e.detail();
  }
  EXPECT_EQ(readBytes(path), old);
  EXPECT_FALSE(tempExists());
}

TEST_F(RebuildFiles, AnArchiveWithoutEntriesBecomesItsHeaderInOneSector) {
  old = makeArchive({}, 8);
  writeBytes(path, old);
  RebuildSummary s = rebuildArchive(realFileSystem(), path);
  EXPECT_EQ(readBytes(path), old + std::string(2040, '\0'));
  EXPECT_EQ(s.entries, 0u);
  EXPECT_EQ(s.sizeAfter, 2048);
}

TEST_F(RebuildFiles, AMissingArchiveIsFileNotFoundAndMakesNothing) {
  std::filesystem::remove(path);
  try {
    rebuildArchive(realFileSystem(), path);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kFileNotFound);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(tempExists());
}

// A file system whose folders have `free` bytes left.
class SmallDisk : public FaultFileSystem {
 public:
  SmallDisk(FileSystem& inner, std::uint64_t free) : FaultFileSystem(inner), free_(free) {}
  std::uint64_t freeSpace(const std::string&) override { return free_; }

 private:
  std::uint64_t free_;
};

TEST_F(RebuildFiles, NeedsRoomForTheWholeNewArchive) {
  const std::uint64_t needed = 8 * 2048;
  SmallDisk tight(realFileSystem(), needed - 1);
  try {
    rebuildArchive(tight, path);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kDiskFull);
    EXPECT_NE(e.detail().find("needs " + std::to_string(needed) + " bytes"), std::string::npos)
        << e.detail();
    EXPECT_NE(e.detail().find("there are " + std::to_string(needed - 1)), std::string::npos)
        << e.detail();
  }
  EXPECT_EQ(tight.changes(), 0);
  EXPECT_EQ(readBytes(path), old);

  SmallDisk enough(realFileSystem(), needed);
  rebuildArchive(enough, path);
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
}

TEST_F(RebuildFiles, ALeftoverTemporaryFileCountsAsFreeSpace) {
  writeBytes(temp(), std::string(4 * 2048, 'x'));
  SmallDisk tight(realFileSystem(), 4 * 2048);
  rebuildArchive(tight, path);
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
}

// Stopped at every change it makes, the rebuild leaves the old archive or the new one, whole;
// the next rebuild then finishes the job over whatever the crash left.
TEST_F(RebuildFiles, ACrashAtAnyChangeLeavesTheOldArchiveOrTheNewOne) {
  const std::string rebuilt = expectedRebuild(old);
  long total = 0;
  {
    FaultFileSystem count(realFileSystem());
    rebuildArchive(count, path);
    total = count.changes();
    writeBytes(path, old);
  }
  ASSERT_GT(total, 3);
  int sawOld = 0, sawNew = 0;
  for (long k = 0; k < total; ++k) {
    SCOPED_TRACE("crash after " + std::to_string(k) + " changes");
    writeBytes(path, old);
    std::filesystem::remove(temp());
    FaultFileSystem fs(realFileSystem());
    fs.crashAfterChanges(k);
    EXPECT_THROW(rebuildArchive(fs, path), SimulatedCrash);
    std::string now = readBytes(path);
    EXPECT_TRUE(now == old || now == rebuilt);
    (now == old ? sawOld : sawNew)++;

    rebuildArchive(realFileSystem(), path);
    EXPECT_EQ(readBytes(path), rebuilt);
    EXPECT_FALSE(tempExists());
  }
  EXPECT_EQ(sawNew, 0);  // the rename is the last change
  EXPECT_EQ(sawOld, total);
}

// Every call of every kind the rebuild makes, failing in turn: an error, the archive as it was
// (or already the new one when only the folder's final flush failed), and no temporary file.
TEST_F(RebuildFiles, AFailedCallLeavesTheArchiveAndNoTemporaryFile) {
  const std::string rebuilt = expectedRebuild(old);
  const FsCall kinds[] = {FsCall::Open, FsCall::Read,  FsCall::Write,  FsCall::Length,
                          FsCall::Sync, FsCall::Close, FsCall::Rename, FsCall::Truncate};
  FaultFileSystem count(realFileSystem());
  rebuildArchive(count, path);
  int failures = 0;
  for (FsCall kind : kinds) {
    for (long n = 1; n <= count.calls(kind); ++n) {
      SCOPED_TRACE("call kind " + std::to_string(static_cast<int>(kind)) + ", call " +
                   std::to_string(n));
      writeBytes(path, old);
      FaultFileSystem fs(realFileSystem());
      fs.failCall(kind, n, err::kDeviceIO);
      try {
        rebuildArchive(fs, path);
        ADD_FAILURE() << "no error";
      } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kDeviceIO);
      }
      ++failures;
      std::string now = readBytes(path);
      bool afterRename = kind == FsCall::Sync && n == count.calls(kind);
      EXPECT_EQ(now, afterRename ? rebuilt : old);
      EXPECT_FALSE(tempExists());
    }
  }
  EXPECT_GE(failures, 10);
}

// The real file system whose in-system copy (the path rebuilds take on Linux) fails with error
// 61 at its `failAt`th call; FaultFileSystem's files offer no such copy, so the tests above
// go through read and write.
class FailingFastCopy : public ForwardingFileSystem {
 public:
  explicit FailingFastCopy(long failAt) : ForwardingFileSystem(realFileSystem()), failAt_(failAt) {}
  long calls = 0;

  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    return std::make_unique<File>(*this, inner_.open(path, mode));
  }

 private:
  struct File : BinaryFile {
    File(FailingFastCopy& fs, std::unique_ptr<BinaryFile> f) : fs(fs), f(std::move(f)) {}
    std::size_t read(std::int64_t pos, void* b, std::size_t n) override {
      return f->read(pos, b, n);
    }
    void write(std::int64_t pos, const void* b, std::size_t n) override { f->write(pos, b, n); }
    std::int64_t length() override { return f->length(); }
    void truncate(std::int64_t n) override { f->truncate(n); }
    void sync() override { f->sync(); }
    void close() override { f->close(); }
    const std::string& path() const override { return f->path(); }
    std::int64_t copyRangeTo(std::int64_t pos, BinaryFile& dst, std::int64_t to,
                             std::int64_t n) override {
      if (++fs.calls == fs.failAt_) throw RuntimeError(err::kDiskFull, dst.path());
      return f->copyRangeTo(pos, *static_cast<File&>(dst).f, to, n);
    }
    FailingFastCopy& fs;
    std::unique_ptr<BinaryFile> f;
  };

  long failAt_;
};

TEST_F(RebuildFiles, AFailedInSystemCopyLeavesTheArchiveAndNoTemporaryFile) {
  FailingFastCopy never(0);
  rebuildArchive(never, path);
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
  ASSERT_GE(never.calls, 3);
  for (long n = 1; n <= never.calls; ++n) {
    SCOPED_TRACE("failing copy " + std::to_string(n));
    writeBytes(path, old);
    FailingFastCopy fs(n);
    try {
      rebuildArchive(fs, path);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), err::kDiskFull);
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_FALSE(tempExists());
  }
}

TEST_F(RebuildFiles, AFailedCleanupStillReportsTheFirstFailure) {
  FaultFileSystem fs(realFileSystem());
  fs.failCall(FsCall::Rename, 1, err::kPermissionDenied);
  fs.failCall(FsCall::Remove, 1, err::kDeviceIO);
  try {
    rebuildArchive(fs, path);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kPermissionDenied);
  }
  EXPECT_EQ(readBytes(path), old);
}

// The road of the issue: an archive written in order, many installs' replaces through the
// engine (new data at the end, old bytes left behind, last data unpadded), then a rebuild.
TEST(RebuildAfterReplaces, LeavesNoContiguityBreaksAndEveryEntryItsBytes) {
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  std::vector<Rec> recs;
  std::uint32_t next = 1;
  for (std::uint32_t k = 0; k < 40; ++k) {
    recs.push_back({next, 1 + k % 4, nameField("m" + std::to_string(k) + ".dff")});
    next += recs.back().size;
  }
  writeBytes(path, makeArchive(recs, std::size_t{next} * 2048));
  test::EngineRig rig;
  rig.engine.ReadIMG(path);
  rig.engine.imgPath = path;
  std::mt19937 rng(3);
  for (std::uint32_t i = 0; i < 60; ++i) {
    std::string file = dir.file("new" + std::to_string(i) + ".dff");
    writeBytes(file, test::pattern(1000 + i, 1 + rng() % 9000));
    std::int32_t bytes = 0;
    rig.engine.ReplaceFileInIMG(static_cast<std::int32_t>(1 + rng() % 40), file, 0, bytes);
  }
  ASSERT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();
  const std::string before = readBytes(path);
  ASSERT_GT(checkArchive(realFileSystem(), path).contiguityBreaks(), 10u);
  ASSERT_NE(before.size() % 2048, 0u);

  RebuildSummary s = rebuildArchive(realFileSystem(), path);

  const std::string after = readBytes(path);
  ArchiveReport report = checkArchive(realFileSystem(), path);
  EXPECT_TRUE(report.ok());
  EXPECT_EQ(report.count(Finding::NotContiguous), 0u);
  EXPECT_EQ(report.deadBytes, 0u);
  EXPECT_EQ(s.breaksAfter, 0u);
  test::Parsed a = parseArchive(before), b = parseArchive(after);
  ASSERT_EQ(b.count, 40u);
  for (std::size_t k = 0; k < 40; ++k) {
    SCOPED_TRACE("entry " + std::to_string(k + 1));
    EXPECT_EQ(b.records[k].name, a.records[k].name);
    EXPECT_EQ(b.records[k].size, a.records[k].size);
    std::size_t n = std::size_t{a.records[k].size} * 2048;
    std::string was = dataOf(before, a.records[k], n);
    was.resize(n, '\0');
    EXPECT_EQ(dataOf(after, b.records[k], n), was);
  }
  EXPECT_EQ(static_cast<std::uint64_t>(s.sizeBefore - s.sizeAfter),
            s.holesRemoved - (2048 - before.size() % 2048));

  test::EngineRig fresh;  // and the engine reads the new archive as it read the old
  fresh.engine.ReadIMG(path);
  fresh.engine.ListIMGEntries();
  rig.list.items.clear();
  rig.engine.ListIMGEntries();
  EXPECT_EQ(fresh.list.items, rig.list.items);
  EXPECT_TRUE(fresh.boxes.shown.empty());
}

// The command on the same archive, as a player runs it with the output going to files.
TEST_F(RebuildFiles, CommandPrintsProgressLinesAndTheSummary) {
  test::ProgramRun r =
      test::runProgram(TAMBERLIN_BINARY, {"img", "rebuild", "gta3.img"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Rebuilt gta3.img: 5 entries\n"
            "  size before:       25,276 bytes\n"
            "  size after:        16,384 bytes\n"
            "  holes removed:     10,240 bytes\n"
            "  contiguity breaks: 4 before, 0 after\n");
  EXPECT_EQ(r.err.substr(r.err.rfind("rebuild: ")), "rebuild: 100.0% (14,336 of 14,336 bytes)\n");
  EXPECT_EQ(r.err.find('\r'), std::string::npos);  // no bar redrawn in a file
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
}

// On a terminal (script(1) gives the program one) the bar is redrawn in place, and its line is
// ended before the summary.
TEST_F(RebuildFiles, CommandDrawsABarOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  std::string command = std::string("'") + TAMBERLIN_BINARY + "' img rebuild gta3.img";
  test::ProgramRun r = test::runProgram("script", {"-qec", command, "/dev/null"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  const std::string bar = "\rrebuild [" + std::string(40, '#') + "] 100.0%  14,336 of 14,336 bytes";
  EXPECT_NE(r.out.find(bar + "\r\nRebuilt gta3.img: 5 entries\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(readBytes(path), expectedRebuild(old));
}

TEST_F(RebuildFiles, CommandRefusesADamagedArchiveWithTheChecksFinding) {
  old = makeArchive({{1, 1, nameField("a.dff")}, {2, 5, nameField("b.dff")}}, 3 * 2048);
  writeBytes(path, old);
  test::ProgramRun r =
      test::runProgram(TAMBERLIN_BINARY, {"img", "rebuild", "gta3.img"}, dir.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  ArchiveReport report = checkArchive(realFileSystem(), path);
  ASSERT_EQ(report.errors.size(), 1u);
  EXPECT_EQ(r.err,
            "tamberlin img: Invalid file format: gta3.img is damaged and was not rebuilt; img "
            "check found 1 error(s):\n  " +
                report.errors[0] + "\n");
  EXPECT_EQ(readBytes(path), old);
  EXPECT_FALSE(tempExists());
}

TEST_F(RebuildFiles, CommandTakesExactlyOneArchive) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"img", "rebuild"}, {"img", "rebuild", "gta3.img", "more"}}) {
    test::ProgramRun r = test::runProgram(TAMBERLIN_BINARY, args, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("tamberlin img rebuild ARCHIVE"), std::string::npos) << r.err;
  }
  EXPECT_EQ(readBytes(path), old);
}

}  // namespace
}  // namespace tamberlin
