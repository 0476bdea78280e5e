// The archive engine against the floor of what its work costs on this disk: reading the
// directory against one plain read of the same bytes, and adding or replacing an entry against a
// durable append of the same bytes (write at the end, then fsync, as
// `dd oflag=append conv=notrunc,fsync` does), the two taken in turns.
//
// Runs on a writable copy of a game-sized archive named by TAMBERLIN_BENCH_ARCHIVE (tools/bench.sh
// makes one with gen_archive). After every timed step the archive is put back as it was (its
// header and directory sector rewritten, the file cut to its old length, flushed) while the clock
// is stopped, so every iteration starts from the same state.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "imgarchive/codec.h"
#include "imgarchive/img_archive.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tamberlin {
namespace {

std::string archivePath() {
  const char* p = std::getenv("TAMBERLIN_BENCH_ARCHIVE");
  return p ? p : "";
}

/// The archive's state before a benchmark: what it takes to put it back.
struct Snapshot {
  std::string path;
  std::int64_t length = 0;
  std::vector<char> head;  ///< header and directory up to the first data sector
  std::int64_t directoryBytes = 0;

  bool take(benchmark::State& state) {
    path = archivePath();
    if (path.empty()) {
      state.SkipWithError("set TAMBERLIN_BENCH_ARCHIVE to a writable game-sized archive");
      return false;
    }
    auto f = realFileSystem().open(path, OpenMode::Read);
    length = f->length();
    HeaderBytes h{};
    ByteCursor in(h.data(), f->read(1, h.data(), h.size()));
    directoryBytes = kHeaderSize + kRecordSize * std::int64_t{decodeHeader(in).count};
    head.resize(static_cast<std::size_t>(sectorsFor(directoryBytes + kRecordSize) * sector));
    head.resize(f->read(1, head.data(), head.size()));
    f->close();
    return true;
  }

  void restore() const {
    auto f = realFileSystem().open(path, OpenMode::ReadWriteExisting);
    f->write(1, head.data(), head.size());
    f->truncate(length);
    f->sync();
    f->close();
  }
};

/// A payload file of `mb` MiB beside the archive, made once.
std::string payload(const std::string& archive, std::int64_t mb) {
  std::string path = archive + ".payload-" + std::to_string(mb) + "M.bin";
  FileSystem& fs = realFileSystem();
  if (fs.stat(path).size == mb << 20) return path;
  auto f = fs.open(path, OpenMode::Create);
  std::vector<char> chunk(1 << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i)
    chunk[i] = static_cast<char>(i * 2654435761u >> 24);
  for (std::int64_t i = 0; i < mb; ++i) f->write(1 + (i << 20), chunk.data(), chunk.size());
  f->sync();
  f->close();
  return path;
}

void BM_DirectoryRead_Engine(benchmark::State& state) {
  Snapshot snap;
  if (!snap.take(state)) return;
  ImgArchive a(realFileSystem());
  for (auto _ : state) {
    a.read(snap.path);
    benchmark::DoNotOptimize(a.table().data());
  }
  state.counters["entries"] = static_cast<double>(a.count());
}

void BM_DirectoryRead_Plain(benchmark::State& state) {
  Snapshot snap;
  if (!snap.take(state)) return;
  std::vector<char> buf(static_cast<std::size_t>(snap.directoryBytes));
  for (auto _ : state) {
    auto f = realFileSystem().open(snap.path, OpenMode::ReadWrite);
    benchmark::DoNotOptimize(f->read(1, buf.data(), buf.size()));
    f->close();
  }
}

double secondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

/// One engine step on the archive, its preparation untimed; returns the seconds of the step.
using EngineStep = double (*)(const std::string& archive, const std::string& file);

double addOnce(const std::string& archive, const std::string& file) {
  ImgArchive a(realFileSystem());
  a.read(archive);
  auto t0 = std::chrono::steady_clock::now();
  a.add(file, "bench.dff");
  return secondsSince(t0);
}

double replaceOnce(const std::string& archive, const std::string& file) {
  ImgArchive a(realFileSystem());
  a.read(archive);
  const std::int32_t slot = a.count() / 2;
  auto t0 = std::chrono::steady_clock::now();
  a.replace(slot, file);
  return secondsSince(t0);
}

/// The floor: the file's bytes appended to the archive in 1 MiB writes, then one fsync, as
/// `dd bs=1M oflag=append conv=notrunc,fsync` does.
double durableAppendOnce(const std::string& archive, const std::string& file) {
  static std::vector<char> buf(1 << 20);
  auto t0 = std::chrono::steady_clock::now();
  int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  int out = ::open(archive.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (in < 0 || out < 0) throw RuntimeError(err::kFileNotFound, file + " or " + archive);
  ssize_t n;
  while ((n = ::read(in, buf.data(), buf.size())) > 0)
    if (::write(out, buf.data(), static_cast<std::size_t>(n)) != n)
      throw RuntimeError(err::kDiskFull, archive);
  ::fsync(out);
  ::close(out);
  ::close(in);
  return secondsSince(t0);
}

/// The engine step and the durable append of the same file, taken in turns (which goes first
/// alternates), so both meet the same disk and the same load. The time reported is the
/// engine's; the counters give the append's mean and the ratio of the two totals.
void BM_VsDurableAppend(benchmark::State& state, EngineStep step) {
  Snapshot snap;
  if (!snap.take(state)) return;
  std::string file = payload(snap.path, state.range(0));
  double engine = 0, floor = 0;
  bool engineFirst = true;
  for (auto _ : state) {
    double e = 0, f = 0;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == engineFirst)
        e = step(snap.path, file);
      else
        f = durableAppendOnce(snap.path, file);
      snap.restore();
    }
    engineFirst = !engineFirst;
    state.SetIterationTime(e);
    engine += e;
    floor += f;
  }
  state.counters["append_ms"] = floor * 1000 / static_cast<double>(state.iterations());
  state.counters["ratio"] = floor > 0 ? engine / floor : 0;
  state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}

BENCHMARK(BM_DirectoryRead_Engine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DirectoryRead_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_VsDurableAppend, Add, addOnce)
    ->Arg(1)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(12);
BENCHMARK_CAPTURE(BM_VsDurableAppend, Replace, replaceOnce)
    ->Arg(1)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(12);

}  // namespace
}  // namespace tamberlin
