// proc_bench: times whole processes side by side, in turns, so every command meets the same
// load.
//
//   proc_bench RUNS -- PROGRAM [ARGS...] [-- PROGRAM [ARGS...]]...
//
// Each round runs every command once, in the order given, with stdout to /dev/null; one round
// runs first untimed to warm the caches. Prints one line per command on stdout:
//   median_ms=M min_ms=N cpu_ms=C peak_rss_kib=K
// (wall-clock median and minimum, median of user plus system time, and the most memory one run
// held). Exits 1 as soon as a command fails. Used by tools/bench.sh.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Sample {
  double wallMs;
  double cpuMs;
  long rssKib;
};

double nowMs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ms(const timeval& t) {
  return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

/// Runs argv once; false (after saying why) when it cannot start or does not exit 0.
bool runOnce(char** argv, Sample& out) {
  double start = nowMs();
  pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("proc_bench: fork");
    return false;
  }
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 1);
    ::execvp(argv[0], argv);
    std::perror("proc_bench: exec");
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) < 0) {
    std::perror("proc_bench: wait4");
    return false;
  }
  out = {nowMs() - start, ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss};
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  std::fprintf(stderr, "proc_bench: %s failed (status %d)\n", argv[0], status);
  return false;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 2 ? std::atoi(argv[1]) : 0;
  if (runs <= 0 || std::strcmp(argv[2], "--") != 0 || argc < 4) {
    std::fprintf(stderr, "usage: proc_bench RUNS -- PROGRAM [ARGS...] [-- PROGRAM ...]\n");
    return 2;
  }
  // Each command's words, cut at the "--" between them.
  std::vector<char**> commands;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") != 0) continue;
    argv[i] = nullptr;
    if (i + 1 < argc) commands.push_back(argv + i + 1);
  }
  std::vector<std::vector<Sample>> samples(commands.size());
  for (int round = 0; round <= runs; ++round) {
    for (size_t c = 0; c < commands.size(); ++c) {
      Sample s{};
      if (!runOnce(commands[c], s)) return 1;
      if (round > 0) samples[c].push_back(s);
    }
  }
  for (const auto& runsOf : samples) {
    std::vector<double> wall, cpu;
    long rss = 0;
    for (const Sample& s : runsOf) {
      wall.push_back(s.wallMs);
      cpu.push_back(s.cpuMs);
      rss = std::max(rss, s.rssKib);
    }
    std::printf("median_ms=%.3f min_ms=%.3f cpu_ms=%.3f peak_rss_kib=%ld\n", median(wall),
                *std::min_element(wall.begin(), wall.end()), median(cpu), rss);
  }
  return 0;
}
