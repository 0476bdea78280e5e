// A whole headless installation: a 1,000-line script (400 REPINIMG, 300 ADD, 200 ADDINIMG,
// 50 MAKEDIR and 50 DELETE) run by Form1Install::ImgInstall against a game folder whose
// models\gta3.img has 16,300 entries, without the install journal (journal:0) and with it
// (journal:1). Targets: under 3 s without; with it, at most 1.5x the time and one more flush per
// script line. Counters: the flushes (files' and folders'), flushes per line, and the bytes the
// journal keeps to take the installation back (backup.dat and deleted\).
//
// The archive is TAMBERLIN_BENCH_ARCHIVE (a game-sized copy that tools/bench.sh makes) when set,
// else one generated here with 16,300 one-sector entries. The game folder links to it; after
// each timed run the archive's head and length are put back and the folders the script and the
// journal made are removed, while the clock is stopped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_fakes.h"
#include "bench/counting_file_system.h"
#include "facade/form1_install.h"
#include "imgarchive/format.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/status_line.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;

using bench::BenchBoxes;
using bench::QuietStatus;

void putLE32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

std::string entryName(std::size_t k) {
  char n[24];
  std::snprintf(n, sizeof n, "ent%05zu.dff", k);
  return n;
}

/// 16,300 one-sector entries right after the directory, each starting with its name.
void writeArchive(const std::string& path, std::size_t entries) {
  const std::size_t first = static_cast<std::size_t>(sectorsFor(8 + 32 * entries));
  std::string b((first + entries) * sector, '\0');
  b.replace(0, 4, "VER2");
  putLE32(b, 4, static_cast<std::uint32_t>(entries));
  for (std::size_t k = 0; k < entries; ++k) {
    std::size_t rec = 8 + 32 * k;
    putLE32(b, rec, static_cast<std::uint32_t>(first + k));
    putLE32(b, rec + 4, 1);
    std::string name = entryName(k);
    b.replace(rec + 8, name.size(), name);
    b.replace((first + k) * sector, name.size(), name);
  }
  std::ofstream(path, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
}

/// Names of the archive's entries, in directory order.
std::vector<std::string> entryNames(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[8];
  in.read(reinterpret_cast<char*>(h), 8);
  std::size_t n = h[4] | h[5] << 8 | h[6] << 16 | std::size_t{h[7]} << 24;
  std::string dir(32 * n, '\0');
  in.read(dir.data(), static_cast<std::streamsize>(dir.size()));
  std::vector<std::string> names;
  for (std::size_t k = 0; k < n; ++k) names.push_back(std::string(dir.c_str() + 32 * k + 8));
  return names;
}

struct Setup {
  fs::path root, game, mod, archive;
  std::string head;  ///< the archive's bytes up to where 250 more records end
  std::uintmax_t length = 0;

  Setup() {
    root = fs::temp_directory_path() / ("tamberlin-bench-install-" + std::to_string(::getpid()));
    game = root / "game";
    mod = root / "mod";
    fs::create_directories(game / "models");
    fs::create_directories(mod / "files");
    std::ofstream(game / "gta_sa.exe") << "MZ";
    const char* env = std::getenv("TAMBERLIN_BENCH_ARCHIVE");
    archive = env ? fs::path(env) : root / "gta3.img";
    if (!env) writeArchive(archive.string(), 16300);
    fs::create_symlink(fs::absolute(archive), game / "models" / "gta3.img");
    writeMod(entryNames(archive.string()));
    length = fs::file_size(archive);
    std::ifstream in(archive, std::ios::binary);
    head.resize(static_cast<std::size_t>(
        sectorsFor(8 + 32 * (entryNames(archive.string()).size() + 250)) * sector));
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
  }
  ~Setup() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  void file(const fs::path& p, std::size_t bytes, char fill) {
    std::ofstream(p, std::ios::binary) << std::string(bytes, fill);
  }

  void writeMod(const std::vector<std::string>& names) {
    std::string s = "; benchmark script\r\n";
    for (int d = 0; d < 50; ++d) s += "MAKEDIR d" + std::to_string(d) + "\r\n";
    for (int i = 0; i < 300; ++i) {
      std::string f = "f" + std::to_string(i) + ".dat";
      file(mod / "files" / f, 4096 + 37 * static_cast<std::size_t>(i), 'a');
      s += "ADD files\\" + f + ", d" + std::to_string(i % 50) + "\\" + f + "\r\n";
      if (i < 200) {
        std::string c = "new" + std::to_string(i) + ".col";
        file(mod / "files" / c, 1500 + 11 * static_cast<std::size_t>(i), 'c');
        s += "ADDINIMG \\models\\gta3.img, files\\" + c + "\r\n";
      }
    }
    for (int r = 0; r < 400; ++r) {
      std::string src = "r" + std::to_string(r) + ".dff";
      file(mod / "files" / src, 3000 + 13 * static_cast<std::size_t>(r), 'r');
      const std::string& name = names[(static_cast<std::size_t>(r) * 40 + 7) % names.size()];
      s += "REPINIMG \\models\\gta3.img, " + name + ", files\\" + src + "\r\n";
    }
    for (int d = 0; d < 50; ++d) s += "DELETE d" + std::to_string(d) + "\\*.bak\r\n";
    std::ofstream(mod / "ins.cfg", std::ios::binary) << s;
  }

  void restore() {
    {
      std::fstream f(archive, std::ios::binary | std::ios::in | std::ios::out);
      f.write(head.data(), static_cast<std::streamsize>(head.size()));
    }
    fs::resize_file(archive, length);
    for (int d = 0; d < 50; ++d) fs::remove_all(game / ("d" + std::to_string(d)));
    fs::remove_all(game / "Tamberlin");
  }

  /// Bytes the journal keeps of what the installation overwrote: backup.dat and deleted\.
  std::uintmax_t backupBytes() const {
    std::uintmax_t bytes = 0;
    const fs::path installs = game / "Tamberlin" / "installs";
    if (!fs::exists(installs)) return 0;
    for (const fs::directory_entry& install : fs::directory_iterator(installs)) {
      if (fs::exists(install.path() / "backup.dat"))
        bytes += fs::file_size(install.path() / "backup.dat");
      if (!fs::exists(install.path() / "deleted")) continue;
      for (const fs::directory_entry& f :
           fs::recursive_directory_iterator(install.path() / "deleted"))
        if (f.is_regular_file()) bytes += f.file_size();
    }
    return bytes;
  }
};

void BM_Install_1000Lines(benchmark::State& state) {
  constexpr double kLines = 1001;  // the comment line counts: the installation walks it too
  Setup setup;
  const fs::path cwd = fs::current_path();
  fs::current_path(setup.mod);
  QuietStatus status;
  BenchBoxes boxes;
  InstallWindow window;
  bench::CountingFileSystem counting(realFileSystem());
  std::uintmax_t backup = 0;
  for (auto _ : state) {
    Form1Install form(counting, boxes, status, window);
    form.saPath = setup.game.string();
    form.keepJournal = state.range(0) != 0;
    try {
      form.ImgInstall();
    } catch (const ProgramEnd&) {
    } catch (const RuntimeError& e) {
      state.SkipWithError(e.what());
      break;
    }
    if (form.forceCloseInt != 1) state.SkipWithError("the installation did not complete");
    state.PauseTiming();
    backup += setup.backupBytes();
    setup.restore();
    state.ResumeTiming();
  }
  fs::current_path(cwd);
  const auto flushes = static_cast<double>(counting.flushes());
  state.counters["lines"] = kLines;
  state.counters["flushes"] = benchmark::Counter(flushes, benchmark::Counter::kAvgIterations);
  state.counters["dir_flushes"] = benchmark::Counter(static_cast<double>(counting.dirFlushes()),
                                                     benchmark::Counter::kAvgIterations);
  state.counters["flushes_per_line"] =
      benchmark::Counter(flushes / kLines, benchmark::Counter::kAvgIterations);
  state.counters["backup_bytes"] =
      benchmark::Counter(static_cast<double>(backup), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Install_1000Lines)
    ->ArgName("journal")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
}  // namespace tamberlin
