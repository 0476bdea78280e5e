// Reading a 50,001-line "ins.cfg" (the most an installation reads) through ReadINS, in code
// pages whose text needs the converter: Latin (1252, accented names), Cyrillic (1251) and
// Japanese (932, double-byte with 0x5C trail bytes). The ASCII script is the baseline that
// never reaches the converter.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_fakes.h"
#include "facade/form1_install.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

namespace tamberlin {
namespace {

namespace fs = std::filesystem;

using bench::BenchBoxes;
using bench::QuietStatus;

struct Sample {
  unsigned codePage;
  std::string word;  ///< a folder name in that code page's bytes
};

const Sample kSamples[] = {
    {1252, "data"},
    {1252, "caf\xe9-r\xe9sum\xe9"},                     // café-résumé
    {1251, "\xcc\xee\xe4\xfb-\xf4\xe0\xe9\xeb\xfb"},    // Моды-файлы
    {932, "\x83\x5c\x83\x74\x83\x67\x95\x5c\x8e\xa6"},  // ソフト表示
};

std::string scriptLine(const std::string& word, int k) {
  const std::string n = std::to_string(k);
  return "ADD " + word + "\\" + word + n + ".dff, models\\" + word + "\\" + word + n + ".dff\r\n";
}

/// A mod folder holding a 50,001-line script, current while the object lives.
class ScriptFolder {
 public:
  explicit ScriptFolder(const std::string& word)
      : dir_(fs::temp_directory_path() / ("tamberlin-bench-cp-" + std::to_string(::getpid()))),
        previous_(fs::current_path()) {
    fs::create_directories(dir_);
    std::ofstream out(dir_ / "ins.cfg", std::ios::binary);
    for (int k = 0; k < 50001; ++k) out << scriptLine(word, k);
    out.close();
    fs::current_path(dir_);
  }
  ~ScriptFolder() {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

 private:
  fs::path dir_, previous_;
};

void BM_ReadIns50001(benchmark::State& state) {
  const Sample& s = kSamples[state.range(0)];
  if (!setCodePage(s.codePage)) return state.SkipWithError("no such code page");
  ScriptFolder folder(s.word);
  QuietStatus status;
  BenchBoxes boxes;
  InstallWindow window;
  for (auto _ : state) {
    Form1Install form(realFileSystem(), boxes, status, window);
    form.ReadINS();
    benchmark::DoNotOptimize(form.insLines.data());
  }
  state.SetLabel("cp" + std::to_string(s.codePage) + (s.word == "data" ? " ascii" : ""));
}
BENCHMARK(BM_ReadIns50001)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamberlin
