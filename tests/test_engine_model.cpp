// Long random sequences of adds and replaces, checked after every step against a plain model
// of the archive: for each entry, the bytes it must name.
#include <gtest/gtest.h>

#include <random>

#include "support/archive_fixture.h"
#include "support/engine_rig.h"
#include "support/memory_file_system.h"

namespace tamberlin {
namespace {

using test::EngineRig;
using test::makeArchive;
using test::MemoryFileSystem;
using test::parseArchive;
using test::pattern;
using test::Rec;
using test::sameBytes;

struct Model {
  std::vector<std::string> data;  ///< entry k + 1 must start with these bytes
};

/// An archive of `n` entries packed from sector 1, some of 0 sectors, so that growing the
/// directory soon reaches into data.
std::vector<Rec> randomLayout(std::mt19937& rng, int n) {
  std::vector<Rec> recs;
  std::uint32_t next = 1;
  for (int k = 0; k < n; ++k) {
    std::uint32_t size = rng() % 4 == 0 ? 0 : 1 + rng() % 3;
    recs.push_back({next, size, "orig" + std::to_string(k) + ".dff"});
    next += size;
  }
  return recs;
}

std::size_t randomLength(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0:
      return 0;
    case 1:
      return 2048;
    case 2:
      return 2049;
    case 3:
      return 1;
    default:
      return rng() % (3 * 2048 + 5);
  }
}

/// Checks the file against the model and against the engine's table.
void checkArchive(MemoryFileSystem& fs, const std::string& path, const Model& model,
                  const std::vector<IMGEntry>& table) {
  const std::string bytes = fs.readFile(path);
  test::Parsed p = parseArchive(bytes);
  ASSERT_EQ(p.magic, "VER2");
  ASSERT_EQ(p.count, model.data.size());
  ASSERT_EQ(table.size(), model.data.size() + 1);
  const std::uint64_t dirEnd = 8 + 32 * std::uint64_t{p.count};
  std::vector<std::pair<std::uint64_t, std::uint64_t>> used;
  for (std::size_t k = 0; k < p.count; ++k) {
    const Rec& r = p.records[k];
    const IMGEntry& e = table[k + 1];
    ASSERT_EQ(e.dirPos, 9 + 32 * static_cast<std::int64_t>(k)) << "entry " << k + 1;
    ASSERT_EQ(std::uint32_t(e.offset), r.offset) << "entry " << k + 1;
    ASSERT_EQ(std::uint32_t(e.size), r.size) << "entry " << k + 1;
    ASSERT_EQ(std::string(e.fileName.data(), 24), r.name) << "entry " << k + 1;
    const std::string& want = model.data[k];
    ASSERT_GE(std::uint64_t{r.size} * 2048, want.size());
    ASSERT_TRUE(sameBytes(test::dataOf(bytes, r, want.size()), want)) << "entry " << k + 1;
    if (!want.empty()) {
      const std::uint64_t start = std::uint64_t{r.offset} * 2048;
      ASSERT_GE(start, dirEnd) << "entry " << k + 1 << " lies under the directory";
      used.push_back({start, start + want.size()});
    }
  }
  std::sort(used.begin(), used.end());
  for (std::size_t i = 1; i < used.size(); ++i)
    ASSERT_LE(used[i - 1].second, used[i].first) << "two entries share bytes";
}

void runSequence(unsigned seed, int steps) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  // Bytes and their order are what this checks: the memory file system serves as well as a disk.
  MemoryFileSystem fs;
  const std::string path = "/game/gta3.img";
  std::vector<Rec> recs = randomLayout(rng, static_cast<int>(rng() % 80));
  std::uint32_t end = 1;
  for (const Rec& r : recs) end = std::max(end, r.offset + r.size);
  fs.writeFile(path, makeArchive(recs, std::size_t{end} * 2048));
  Model model;
  for (std::size_t k = 0; k < recs.size(); ++k)
    model.data.push_back(
        pattern(static_cast<std::uint32_t>(k + 1), std::size_t{recs[k].size} * 2048));

  EngineRig rig(fs);
  rig.engine.ReadIMG(path);
  rig.engine.imgPath = path;
  const std::int32_t zero = 0;
  for (int step = 0; step < steps; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const std::string file = "/mod/mod" + std::to_string(step % 3) + ".bin";
    const std::string content = pattern(1000 + static_cast<std::uint32_t>(step), randomLength(rng));
    fs.writeFile(file, content);
    if (model.data.empty() || rng() % 2 == 0) {
      rig.engine.UseFileNameToIMG(file, zero, zero, rng() % 3 == 0 ? "sub/e.dff" : "");
      model.data.push_back(content);
    } else {
      const auto k = static_cast<std::int32_t>(1 + rng() % model.data.size());
      std::int32_t count = 0;
      rig.engine.ReplaceFileInIMG(k, file, 0, count);
      if (!content.empty()) model.data[static_cast<std::size_t>(k) - 1] = content;
    }
    ASSERT_TRUE(rig.boxes.shown.empty()) << rig.onlyBox();
    ASSERT_NO_FATAL_FAILURE(checkArchive(fs, path, model, rig.engine.IMGDir));
  }
  // What the engine holds is what a fresh read of the file gives.
  EngineRig reread(fs);
  reread.engine.ReadIMG(path);
  ASSERT_NO_FATAL_FAILURE(checkArchive(fs, path, model, reread.engine.IMGDir));
}

TEST(EngineModel, RandomAddReplaceSequencesKeepEveryEntrysBytes) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) runSequence(seed, 90);
}

}  // namespace
}  // namespace tamberlin
