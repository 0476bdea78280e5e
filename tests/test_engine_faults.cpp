// The engine stopped dead after every single change of an add or a replace: each time the file
// must still be an archive in which every old entry names its own complete bytes, and the new
// entry (or the new data of a replaced one) is either absent or complete. And the deferred last
// flush: one flush fewer per change, made up by the next change or by flushPending.
#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/fault_file_system.h"
#include "support/flush_log.h"

namespace tamberlin {
namespace {

using test::dataOf;
using test::EngineRig;
using test::makeArchive;
using test::parseArchive;
using test::pattern;
using test::readBytes;
using test::Rec;
using test::sameBytes;
using test::TempDir;
using test::writeBytes;

const std::int32_t kZero = 0;

/// 63 entries packed from sector 1 after a 0-sector one: adding moves two entries.
std::vector<Rec> crowded() {
  std::vector<Rec> recs;
  recs.push_back({1, 0, "empty.dff"});
  for (std::uint32_t k = 1; k < 63; ++k)
    recs.push_back({k, 1 + k % 2, "e" + std::to_string(k) + ".dff"});
  std::uint32_t next = 1;
  for (std::size_t k = 1; k < recs.size(); ++k) {
    recs[k].offset = next;
    next += recs[k].size;
  }
  return recs;
}

std::size_t endOf(const std::vector<Rec>& recs) {
  std::uint32_t end = 1;
  for (const Rec& r : recs) end = std::max(end, r.offset + r.size);
  return std::size_t{end} * 2048;
}

/// The archive after a stop: readable by the engine without a box, old entries intact (all but
/// slot `skip`, when given). Returns the entry count found.
std::uint32_t checkAfterStop(const std::string& path, const std::vector<Rec>& recs,
                             std::size_t skip = 0) {
  EngineRig fresh;
  fresh.engine.ReadIMG(path);
  EXPECT_TRUE(fresh.boxes.shown.empty()) << fresh.onlyBox();
  const std::string bytes = readBytes(path);
  test::Parsed p = parseArchive(bytes);
  EXPECT_EQ(p.magic, "VER2");
  EXPECT_TRUE(p.count == recs.size() || p.count == recs.size() + 1) << p.count;
  const std::uint64_t dirEnd = 8 + 32 * std::uint64_t{p.count};
  for (std::size_t k = 0; k < recs.size(); ++k) {
    if (k + 1 == skip) continue;
    const Rec& r = p.records[k];
    EXPECT_EQ(r.size, recs[k].size) << "entry " << k + 1;
    EXPECT_EQ(r.name, test::nameField(recs[k].name)) << "entry " << k + 1;
    if (r.size == 0) continue;
    EXPECT_GE(std::uint64_t{r.offset} * 2048, dirEnd) << "entry " << k + 1;
    EXPECT_TRUE(sameBytes(dataOf(bytes, r, std::size_t{r.size} * 2048),
                          pattern(static_cast<std::uint32_t>(k + 1), std::size_t{r.size} * 2048)))
        << "entry " << k + 1;
  }
  return p.count;
}

TEST(EngineFaults, AddWithMovesSurvivesStopAtEveryChange) {
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  const std::string file = dir.file("car.dff");
  const std::string content = pattern(500, 3 * 2048 + 7);
  writeBytes(file, content);
  const std::vector<Rec> recs = crowded();
  long k = 0;
  for (;; ++k) {
    SCOPED_TRACE("stopped after " + std::to_string(k) + " changes");
    writeBytes(path, makeArchive(recs, endOf(recs)));
    FaultFileSystem faults(realFileSystem());
    EngineRig rig(faults);
    rig.engine.ReadIMG(path);
    rig.engine.imgPath = path;
    faults.crashAfterChanges(k);
    bool stopped = false;
    try {
      rig.engine.UseFileNameToIMG(file, kZero, kZero, "");
    } catch (const SimulatedCrash&) {
      stopped = true;
    }
    const std::uint32_t count = checkAfterStop(path, recs);
    if (count == recs.size() + 1) {
      const std::string bytes = readBytes(path);
      EXPECT_TRUE(
          sameBytes(dataOf(bytes, parseArchive(bytes).records.back(), content.size()), content))
          << "a visible new entry is complete";
    }
    if (::testing::Test::HasFailure()) break;
    if (!stopped) {
      EXPECT_EQ(count, recs.size() + 1);
      break;
    }
  }
  EXPECT_GE(k, 5) << "moves, their records, the data, the record and the count are separate";
}

TEST(EngineFaults, NewArchiveSurvivesStopAtEveryChange) {
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  const std::string file = dir.file("car.dff");
  const std::string content = pattern(501, 5000);
  writeBytes(file, content);
  for (long k = 0;; ++k) {
    SCOPED_TRACE("stopped after " + std::to_string(k) + " changes");
    writeBytes(path, "");
    FaultFileSystem faults(realFileSystem());
    EngineRig rig(faults);
    rig.engine.ReadIMG(path);
    rig.engine.imgPath = path;
    faults.crashAfterChanges(k);
    bool stopped = false;
    try {
      rig.engine.UseFileNameToIMG(file, kZero, kZero, "");
    } catch (const SimulatedCrash&) {
      stopped = true;
    }
    const std::string bytes = readBytes(path);
    EngineRig fresh;
    fresh.engine.ReadIMG(path);
    ASSERT_TRUE(fresh.boxes.shown.empty()) << fresh.onlyBox();
    if (!bytes.empty()) {
      test::Parsed p = parseArchive(bytes);
      ASSERT_EQ(p.magic, "VER2");
      if (p.count == 1) {
        ASSERT_TRUE(sameBytes(dataOf(bytes, p.records[0], content.size()), content));
      }
      if (!stopped) {
        ASSERT_EQ(p.count, 1u);
      }
    }
    if (!stopped) break;
  }
}

TEST(EngineFaults, ReplaceSurvivesStopAtEveryChange) {
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  const std::string file = dir.file("new.txd");
  const std::string content = pattern(502, 2 * 2048 + 1);
  writeBytes(file, content);
  const std::vector<Rec> recs = crowded();
  const std::int32_t slot = 5;
  for (long k = 0;; ++k) {
    SCOPED_TRACE("stopped after " + std::to_string(k) + " changes");
    writeBytes(path, makeArchive(recs, endOf(recs)));
    FaultFileSystem faults(realFileSystem());
    EngineRig rig(faults);
    rig.engine.ReadIMG(path);
    rig.engine.imgPath = path;
    faults.crashAfterChanges(k);
    bool stopped = false;
    std::int32_t count = 0;
    try {
      rig.engine.ReplaceFileInIMG(slot, file, 0, count);
    } catch (const SimulatedCrash&) {
      stopped = true;
    }
    // Every other entry intact; the replaced one names its old bytes or all of the new ones.
    ASSERT_EQ(checkAfterStop(path, recs, slot), recs.size());
    const std::string bytes = readBytes(path);
    const Rec r = parseArchive(bytes).records[slot - 1];
    const bool isNew = r.offset != recs[slot - 1].offset;
    if (isNew) {
      EXPECT_EQ(r.size, 3u);
      EXPECT_TRUE(sameBytes(dataOf(bytes, r, content.size()), content));
    } else {
      EXPECT_EQ(r.size, recs[slot - 1].size);
      EXPECT_TRUE(sameBytes(dataOf(bytes, r, std::size_t{r.size} * 2048),
                            pattern(slot, std::size_t{r.size} * 2048)));
    }
    if (::testing::Test::HasFailure()) break;
    if (!stopped) {
      EXPECT_TRUE(isNew);
      EXPECT_GE(k, 2) << "the data and the record are separate changes";
      break;
    }
  }
}

// --- the deferred last flush ----------------------------------------------------------------

/// Flushes of one add (with moves) and one replace on a fresh crowded archive.
struct Flushes {
  long add = 0;
  long replace = 0;
};

Flushes flushesOfAddAndReplace(bool defer) {
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  writeBytes(dir.file("car.dff"), pattern(510, 3 * 2048 + 7));
  writeBytes(dir.file("new.txd"), pattern(511, 2048 + 1));
  const std::vector<Rec> recs = crowded();
  writeBytes(path, makeArchive(recs, endOf(recs)));
  FaultFileSystem faults(realFileSystem());
  EngineRig rig(faults);
  rig.engine.deferLastFlush(defer);
  rig.engine.ReadIMG(path);
  rig.engine.imgPath = path;
  Flushes f;
  rig.engine.UseFileNameToIMG(dir.file("car.dff"), kZero, kZero, "");
  f.add = faults.calls(FsCall::Sync);
  EXPECT_EQ(rig.engine.pendingFlush(), defer ? path : "");
  std::int32_t bytes = 0;
  rig.engine.ReplaceFileInIMG(5, dir.file("new.txd"), 0, bytes);
  f.replace = faults.calls(FsCall::Sync) - f.add;
  EXPECT_EQ(rig.engine.pendingFlush(), defer ? path : "") << "the replace is pending now";
  EXPECT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();
  const long before = faults.calls(FsCall::Sync);
  rig.engine.flushPending();
  EXPECT_EQ(faults.calls(FsCall::Sync) - before, defer ? 1 : 0);
  EXPECT_EQ(rig.engine.pendingFlush(), "");
  rig.engine.flushPending();
  EXPECT_EQ(faults.calls(FsCall::Sync) - before, defer ? 1 : 0) << "nothing left to flush";
  EXPECT_EQ(checkAfterStop(path, recs, 5), recs.size() + 1);
  return f;
}

TEST(DeferredFlush, AddAndReplaceEachSkipOnlyTheirLastFlush) {
  const Flushes plain = flushesOfAddAndReplace(false);
  const Flushes deferred = flushesOfAddAndReplace(true);
  EXPECT_GE(plain.add, 4) << "moves, their records, the data and record, the count";
  EXPECT_EQ(plain.replace, 2);
  EXPECT_EQ(deferred.add, plain.add - 1);
  EXPECT_EQ(deferred.replace, plain.replace - 1);
}

TEST(DeferredFlush, AChangeOfAnotherArchiveFlushesThePendingOneFirst) {
  TempDir dir;
  const std::string first = dir.file("first.img");
  const std::string second = dir.file("second.img");
  writeBytes(first, makeArchive({{1, 1, "a.dff"}}, 2 * 2048));
  writeBytes(second, makeArchive({{1, 1, "b.dff"}}, 2 * 2048));
  writeBytes(dir.file("x.col"), "X");
  FaultFileSystem faults(realFileSystem());
  EngineRig rig(faults);
  rig.engine.deferLastFlush(true);
  rig.engine.ReadIMG(first);
  rig.engine.imgPath = first;
  rig.engine.UseFileNameToIMG(dir.file("x.col"), kZero, kZero, "");
  ASSERT_EQ(rig.engine.pendingFlush(), first);

  rig.engine.ReadIMG(second);
  rig.engine.imgPath = second;
  faults.failCall(FsCall::Sync, 1, err::kDeviceIO);  // the pending archive's flush
  rig.boxes.answers.push_back(MsgAnswer::Yes);
  rig.engine.UseFileNameToIMG(dir.file("x.col"), kZero, kZero, "");
  ASSERT_EQ(rig.boxes.shown.size(), 1u) << "a failed flush of the other archive is an error";
  EXPECT_NE(rig.boxes.shown[0].text.find("first.img"), std::string::npos) << rig.onlyBox();
  EXPECT_EQ(parseArchive(readBytes(second)).count, 1u) << "the second archive is not touched";
  EXPECT_EQ(rig.engine.pendingFlush(), first) << "still pending";

  rig.engine.UseFileNameToIMG(dir.file("x.col"), kZero, kZero, "");
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(parseArchive(readBytes(second)).count, 2u);
  EXPECT_EQ(rig.engine.pendingFlush(), second);

  faults.failCall(FsCall::Sync, 1, err::kDeviceIO);
  try {
    rig.engine.flushPending();
    FAIL() << "a failed flush is reported";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::kDeviceIO);
    EXPECT_NE(e.detail().find(second), std::string::npos) << e.detail();
  }
  EXPECT_EQ(rig.engine.pendingFlush(), second);
}

TEST(DeferredFlush, AnAddOntoSectorsADeferredReplaceFreedFlushesTheReplaceFirst) {
  // 63 records fill sector 0; entry 1's data is sector 1. Once entry 1 is replaced, the 64th
  // record lands on its old data with no entry in the way: had the replace's record not reached
  // the disk, a power cut would leave entry 1 naming a record's bytes.
  std::vector<Rec> recs;
  for (std::uint32_t k = 1; k <= 63; ++k) recs.push_back({k, 1, "e" + std::to_string(k) + ".dff"});
  TempDir dir;
  const std::string path = dir.file("gta3.img");
  writeBytes(path, makeArchive(recs, endOf(recs)));
  writeBytes(dir.file("new.dff"), pattern(520, 100));
  writeBytes(dir.file("add.col"), pattern(521, 300));
  test::FlushLog log;
  EngineRig rig(log);
  rig.engine.deferLastFlush(true);
  rig.engine.ReadIMG(path);
  rig.engine.imgPath = path;
  std::int32_t bytes = 0;
  rig.engine.ReplaceFileInIMG(1, dir.file("new.dff"), 0, bytes);
  rig.engine.UseFileNameToIMG(dir.file("add.col"), kZero, kZero, "");
  ASSERT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();

  const auto& events = log.events(path);
  std::size_t record = events.size(), onOldData = events.size();
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind != 'w') continue;
    if (events[i].pos == 9) record = i;  // the replace's record (offset and size)
    if (record < i && events[i].pos <= 2 * 2048 && events[i].pos + events[i].n - 1 > 2048) {
      onOldData = i;
      break;
    }
  }
  ASSERT_LT(onOldData, events.size()) << "the add wrote its record over entry 1's old data";
  bool flushedBetween = false;
  for (std::size_t i = record + 1; i < onOldData; ++i) flushedBetween |= events[i].kind == 's';
  EXPECT_TRUE(flushedBetween) << "the replace's record reaches the disk before its old data goes";
  EXPECT_EQ(checkAfterStop(path, recs, 1), recs.size() + 1);
  EXPECT_EQ(rig.engine.pendingFlush(), path);
}

}  // namespace
}  // namespace tamberlin
