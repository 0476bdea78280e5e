// Rebuilding an archive against plain copies of the same file: the copy is the floor a rebuild
// cannot beat, since it writes every data byte once. Each run rebuilds a fragmented archive of
// game-like entry sizes (as left by many replaces) in a temporary folder; the folder holds the
// file in the page cache, so the numbers are about copying and flushing, not about the first
// read from disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imgarchive/codec.h"
#include "imgarchive/format.h"
#include "imgarchive/rebuild.h"
#include "platform/file_copy.h"
#include "platform/forwarding_file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

/// A file that forwards everything but the in-system copy: rebuilds through it read and write.
class PlainFile : public BinaryFile {
 public:
  explicit PlainFile(std::unique_ptr<BinaryFile> f) : f_(std::move(f)) {}
  std::size_t read(std::int64_t pos, void* buf, std::size_t n) override {
    return f_->read(pos, buf, n);
  }
  void write(std::int64_t pos, const void* buf, std::size_t n) override { f_->write(pos, buf, n); }
  std::int64_t length() override { return f_->length(); }
  void truncate(std::int64_t length) override { f_->truncate(length); }
  void sync() override { f_->sync(); }
  void close() override { f_->close(); }
  const std::string& path() const override { return f_->path(); }

 private:
  std::unique_ptr<BinaryFile> f_;
};

class PlainFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::unique_ptr<BinaryFile> open(const std::string& path, OpenMode mode) override {
    return std::make_unique<PlainFile>(inner_.open(path, mode));
  }
};

/// A fresh folder of this process's own (benchmarks of several builds may run at once).
std::string benchDir() {
  const char* env = std::getenv("TAMBERLIN_BENCH_DIR");
  std::string dir = std::string(env && *env ? env : "/tmp") + "/tamberlin-rebuild-XXXXXX";
  if (!::mkdtemp(dir.data())) throw RuntimeError(err::kPathNotFound, dir);
  return dir;
}

/// Writes an archive of `entries` entries of 1 to 60 sectors (a few of 200 to 1,500), back to
/// back, then gives one entry in ten new data at the end of the file as a replace does.
/// Returns its length in bytes.
std::int64_t writeFragmentedArchive(const std::string& path, std::int32_t entries) {
  std::mt19937 rng(7);
  std::vector<IMGEntry> dir(static_cast<std::size_t>(entries));
  std::int64_t next = sectorsFor(kHeaderSize + kRecordSize * entries);
  for (std::size_t i = 0; i < dir.size(); ++i) {
    dir[i].size = static_cast<std::int32_t>(rng() % 100 < 2 ? 200 + rng() % 1300 : 1 + rng() % 60);
    dir[i].offset = static_cast<std::int32_t>(next);
    next += dir[i].size;
    std::snprintf(dir[i].fileName.data(), kNameSize, "model%zu.dff", i);
  }
  for (std::size_t i = 0; i < dir.size(); i += 10) {
    dir[i].offset = static_cast<std::int32_t>(next);
    next += dir[i].size;
  }
  FileSystem& fs = realFileSystem();
  auto out = fs.open(path, OpenMode::Create);
  std::vector<unsigned char> head(static_cast<std::size_t>(kHeaderSize + kRecordSize * entries));
  std::copy(kMagic, kMagic + 4, head.begin());
  encodeField(entries, head.data() + 4);
  for (std::size_t i = 0; i < dir.size(); ++i) {
    unsigned char* p = head.data() + kHeaderSize + kRecordSize * static_cast<std::int64_t>(i);
    encodeField(dir[i].offset, p);
    encodeField(dir[i].size, p + 4);
    std::copy(dir[i].fileName.begin(), dir[i].fileName.end(), p + 8);
  }
  out->write(1, head.data(), head.size());
  std::vector<char> block(1 << 20);
  for (char& c : block) c = static_cast<char>(rng());
  const std::int64_t length = next * sector;
  for (std::int64_t at = head.size(); at < length; at += static_cast<std::int64_t>(block.size()))
    out->write(at + 1, block.data(),
               static_cast<std::size_t>(std::min<std::int64_t>(length - at, block.size())));
  out->sync();  // no write-back of the fixture competing with the runs
  out->close();
  return length;
}

struct Fixture {
  explicit Fixture(std::int32_t entries) {
    dir = benchDir();
    path = dir + "/gta3.img";
    copyPath = dir + "/copy.img";
    length = writeFragmentedArchive(path, entries);
  }
  ~Fixture() {
    for (const std::string& p : {path, copyPath})
      if (realFileSystem().stat(p).exists) realFileSystem().removeFile(p);
    ::rmdir(dir.c_str());
  }
  std::string dir, path, copyPath;
  std::int64_t length = 0;
};

void report(benchmark::State& state, std::int64_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

/// The whole file copied to a new one and flushed: what a rebuild's copy costs at least.
void BM_CopyWholeFile(benchmark::State& state) {
  Fixture f(static_cast<std::int32_t>(state.range(0)));
  FileSystem& fs = realFileSystem();
  for (auto _ : state) {
    auto in = fs.open(f.path, OpenMode::Read);
    auto out = fs.open(f.copyPath, OpenMode::Create);
    copyBytes(*in, 1, *out, 1, f.length);
    out->sync();
    out->close();
  }
  report(state, f.length);
}

void BM_Rebuild(benchmark::State& state) {
  Fixture f(static_cast<std::int32_t>(state.range(0)));
  std::int64_t after = 0;
  for (auto _ : state) after = rebuildArchive(realFileSystem(), f.path).sizeAfter;
  report(state, after);
}

void BM_RebuildByReadAndWrite(benchmark::State& state) {
  Fixture f(static_cast<std::int32_t>(state.range(0)));
  PlainFileSystem plain(realFileSystem());
  std::int64_t after = 0;
  for (auto _ : state) after = rebuildArchive(plain, f.path).sizeAfter;
  report(state, after);
}

// 2,000 entries: about 200 MB. The first rebuild removes the holes; the later ones copy a
// clean archive, which is the same work.
BENCHMARK(BM_CopyWholeFile)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rebuild)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RebuildByReadAndWrite)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tamberlin
