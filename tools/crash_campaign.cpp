// crash_campaign: kills archive changes at random moments and checks what a crash leaves.
//
//   crash_campaign [--runs N] [--seed S] [--dir DIR] [--tamberlin PATH] [--gen-archive PATH]
//                  [--only add|add-move|replace|install]
//
// Each operation runs as its own process (build/tamberlin img add|replace, or a whole
// tamberlin install of a small mod) on a fresh copy of a game-like archive and is killed with
// SIGKILL after a random delay between 0 and a little more than the time it takes uninterrupted.
// After every kill: `tamberlin img check` passes; every old entry still reads its own bytes
// (at its new place when it was moved); every new entry is absent or complete, and complete
// only after the ones before it; a replaced entry holds its old or its new bytes, never a mix;
// a copied file is absent or complete. Prints counts per operation; exit 1 on any violation.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kSector = 2048;

struct Options {
  int runs = 200;
  std::uint64_t seed = 1;
  std::string dir;
  std::string tamberlin;
  std::string genArchive;
  std::string only;
};

// ---- files and processes -------------------------------------------------------------------

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// Starts `argv` in folder `cwd` with stdin, stdout and stderr on /dev/null.
pid_t start(const std::vector<std::string>& argv, const fs::path& cwd) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, 0);
  ::dup2(null, 1);
  ::dup2(null, 2);
  if (::chdir(cwd.c_str()) != 0) ::_exit(126);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

/// Waits for `pid`; the exit code, or 1000 + the signal that ended it.
int finish(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

int runToEnd(const std::vector<std::string>& argv, const fs::path& cwd) {
  return finish(start(argv, cwd));
}

// ---- the archive as an independent reader sees it -----------------------------------------

std::uint32_t le32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= std::uint32_t(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return v;
}

struct Record {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::string name;  ///< the 24 name bytes
};

/// Header and records; false when the bytes cannot hold them.
bool parse(const std::string& b, std::vector<Record>& out) {
  if (b.size() < 8 || b.compare(0, 4, "VER2") != 0) return false;
  const std::uint64_t count = le32(b, 4);
  if (8 + 32 * count > b.size()) return false;
  out.clear();
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = 8 + 32 * k;
    out.push_back({le32(b, at), le32(b, at + 4), b.substr(at + 8, 24)});
  }
  return true;
}

/// The entry's bytes as the file holds them: its sectors, cut at `limit` bytes and the file's end.
std::string dataOf(const std::string& b, const Record& r, std::size_t limit) {
  const std::size_t start = std::size_t(r.offset) * kSector;
  const std::size_t n = std::min<std::size_t>(std::size_t(r.size) * kSector, limit);
  return start >= b.size() ? std::string() : b.substr(start, n);
}

/// The 24 name bytes an entry added to an existing directory gets: NUL-padded, NUL last.
std::string addedName(const std::string& name) {
  std::string f = name.substr(0, 23);
  f.resize(23, '\0');
  return f + '\0';
}

// ---- what an interrupted operation may leave ------------------------------------------------

struct Added {
  std::string name;
  std::string data;
};
struct Replaced {
  std::string name;  ///< the name as the file's records hold it, up to the first NUL
  std::string data;
};

/// What one operation means to do to one archive.
struct ArchiveChange {
  std::string original;
  std::vector<Added> added;  ///< in the order the operation adds them
  std::vector<Replaced> replaced;
};

enum class Stage { Before, Between, Complete };

std::string upToNul(const std::string& s) {
  return s.substr(0, s.find('\0'));
}

/// Checks `now` against what `c` allows; returns the violation ("" for none) and the stage.
std::string judgeArchive(const ArchiveChange& c, const std::string& now, Stage& stage) {
  std::vector<Record> before, after;
  parse(c.original, before);
  if (!parse(now, after)) return "the archive's header or directory is damaged";
  const std::size_t n = before.size();
  if (after.size() < n || after.size() > n + c.added.size())
    return "the archive counts " + std::to_string(after.size()) + " entries";
  std::size_t done = after.size() - n;
  for (std::size_t k = 0; k < n; ++k) {
    if (after[k].name != before[k].name) return "entry " + std::to_string(k + 1) + " was renamed";
    const std::string old = dataOf(c.original, before[k], c.original.size());
    auto rep = std::find_if(c.replaced.begin(), c.replaced.end(),
                            [&](const Replaced& r) { return r.name == upToNul(before[k].name); });
    const bool isOld = dataOf(now, after[k], old.size()) == old && after[k].size == before[k].size;
    if (rep == c.replaced.end()) {
      if (!isOld) return "entry " + std::to_string(k + 1) + " lost its bytes";
      continue;
    }
    const bool isNew = after[k].size == (rep->data.size() + kSector - 1) / kSector &&
                       dataOf(now, after[k], rep->data.size()) == rep->data;
    if (!isOld && !isNew) return "replaced entry " + upToNul(before[k].name) + " holds a mix";
    // The operations replace after they add (the install's script orders its lines so).
    if (isNew && after.size() < n + c.added.size())
      return "entry " + upToNul(before[k].name) + " was replaced before the adds ahead of it";
    done += isNew;
  }
  for (std::size_t i = 0; n + i < after.size(); ++i) {
    const Record& r = after[n + i];
    const Added& a = c.added[i];
    if (r.name != addedName(a.name)) return "new entry " + std::to_string(n + i + 1) + " misnamed";
    if (r.size != (a.data.size() + kSector - 1) / kSector ||
        dataOf(now, r, a.data.size()) != a.data)
      return "new entry " + a.name + " is incomplete";
  }
  const std::size_t all = c.added.size() + c.replaced.size();
  stage = now == c.original ? Stage::Before : done == all ? Stage::Complete : Stage::Between;
  return {};
}

// ---- one scenario: a folder made anew before every run, a command, what it may leave --------

/// A file a run copies: absent or whole, and in its place among the script's lines.
struct Copy {
  fs::path path;  ///< relative to the work folder
  std::string bytes;
  bool afterArchive = false;  ///< its line comes after the archive lines
};

struct Scenario {
  std::string name;
  fs::path work;  ///< made anew from `templ` before each run
  fs::path templ;
  fs::path cwd;
  std::vector<std::string> argv;
  fs::path archive;  ///< relative to work
  ArchiveChange change;
  std::vector<Copy> copies;
};

struct Tally {
  int runs = 0, killed = 0, finished = 0, before = 0, between = 0, complete = 0, leftovers = 0;
  std::vector<std::string> violations;
};

void reset(const Scenario& s) {
  fs::remove_all(s.work);
  fs::copy(s.templ, s.work, fs::copy_options::recursive);
}

/// Files left in the work folder that the scenario never names (unfinished temporary copies).
int countLeftovers(const Scenario& s) {
  int n = 0;
  for (const auto& e : fs::recursive_directory_iterator(s.work)) {
    if (!e.is_regular_file()) continue;
    const fs::path rel = e.path().lexically_relative(s.work);
    if (fs::exists(s.templ / rel) || rel == s.archive || rel.filename() == "installing.tmp")
      continue;
    const bool named =
        std::any_of(s.copies.begin(), s.copies.end(), [&](const Copy& c) { return c.path == rel; });
    n += !named;
  }
  return n;
}

void judge(const Scenario& s, const Options& o, Tally& t) {
  auto fail = [&](const std::string& why) {
    t.violations.push_back(s.name + " run " + std::to_string(t.runs) + ": " + why);
  };
  const fs::path archive = s.work / s.archive;
  if (runToEnd({o.tamberlin, "img", "check", archive.string()}, s.work) != 0)
    fail("tamberlin img check fails");
  Stage stage = Stage::Before;
  const std::string why = judgeArchive(s.change, slurp(archive), stage);
  if (!why.empty()) fail(why);
  for (const Copy& c : s.copies) {
    const bool there = fs::exists(s.work / c.path);
    if (there && slurp(s.work / c.path) != c.bytes) fail(c.path.string() + " is partly copied");
    // Script lines run in order: a copy ahead of the archive lines is done before any of them,
    // one after them only once they are all done.
    if (!c.afterArchive && stage != Stage::Before && !there)
      fail(c.path.string() + " is missing although later lines ran");
    if (c.afterArchive && there && stage != Stage::Complete)
      fail(c.path.string() + " was copied before the archive lines ahead of it were done");
  }
  (stage == Stage::Before ? t.before : stage == Stage::Between ? t.between : t.complete)++;
  t.leftovers += countLeftovers(s) > 0;
}

/// The median time of five uninterrupted runs, checking that each succeeds.
Clock::duration timeRun(const Scenario& s) {
  std::vector<Clock::duration> times;
  for (int i = 0; i < 5; ++i) {
    reset(s);
    const auto t0 = Clock::now();
    const int code = runToEnd(s.argv, s.cwd);
    times.push_back(Clock::now() - t0);
    if (code != 0)
      throw std::runtime_error(s.name + ": the uninterrupted run exits " + std::to_string(code));
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

/// The time the program takes to start and end doing nothing (the fastest of five).
Clock::duration timeStartup(const Options& o) {
  Clock::duration fastest = Clock::duration::max();
  for (int i = 0; i < 5; ++i) {
    const auto t0 = Clock::now();
    runToEnd({o.tamberlin, "--version"}, ".");
    fastest = std::min(fastest, Clock::now() - t0);
  }
  return fastest;
}

Tally campaign(const Scenario& s, const Options& o, std::mt19937_64& rng) {
  Tally t;
  // Kills spread from the end of the program's start-up (a few before it) to about the time a
  // whole run takes. Run times vary with the machine's load, so the window follows them: it
  // shrinks after a run that finished before its kill and grows after one that did not.
  using us = std::chrono::microseconds;
  const auto span = std::chrono::duration_cast<us>(timeRun(s));
  const long lo = std::chrono::duration_cast<us>(timeStartup(o)).count() / 2;
  double hi = double(span.count()) * 1.05;
  for (; t.runs < o.runs; ++t.runs) {
    reset(s);
    const pid_t pid = start(s.argv, s.cwd);
    std::uniform_int_distribution<long> delay(lo, std::max(lo + 100, long(hi)));
    std::this_thread::sleep_for(us(delay(rng)));
    ::kill(pid, SIGKILL);
    const int code = finish(pid);
    if (code == 1000 + SIGKILL) {
      ++t.killed;
      hi = std::min(hi * 1.03, double(span.count()) * 4);
    } else {
      ++t.finished;
      hi *= 0.93;
      if (code != 0) t.violations.push_back(s.name + ": a run exited " + std::to_string(code));
    }
    judge(s, o, t);
  }
  std::cout << s.name << ": " << t.runs << " runs (uninterrupted " << span.count() / 1000.0
            << " ms): " << t.killed << " killed, " << t.finished << " finished first; archive "
            << t.before << " untouched, " << t.between << " part-way, " << t.complete
            << " complete; " << t.leftovers << " with leftover temporary files; "
            << t.violations.size() << " violations" << std::endl;
  return t;
}

// ---- the scenarios --------------------------------------------------------------------------

/// Recognisable bytes: the name, a NUL, then a pattern that differs per name and position.
std::string fileBytes(const std::string& name, std::size_t n) {
  std::string b = name + '\0';
  std::uint32_t x = 2166136261u;
  for (char c : name) x = (x ^ static_cast<unsigned char>(c)) * 16777619u;
  while (b.size() < n) b += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  b.resize(n);
  return b;
}

void makeArchive(const Options& o, const fs::path& out, int entries) {
  fs::create_directories(out.parent_path());
  const int code = runToEnd({o.genArchive, out.string(), "--entries", std::to_string(entries),
                             "--small", "--seed", std::to_string(o.seed)},
                            out.parent_path());
  if (code != 0) throw std::runtime_error("gen_archive exits " + std::to_string(code));
}

/// The name of record `k` (1-based) of an archive, up to its NUL.
std::string recordName(const std::string& archive, std::size_t k) {
  std::vector<Record> r;
  parse(archive, r);
  return upToNul(r.at(k - 1).name);
}

Scenario imgScenario(const Options& o, const std::string& name, int entries) {
  Scenario s;
  s.name = name;
  s.templ = fs::path(o.dir) / name / "template";
  s.work = fs::path(o.dir) / name / "work";
  s.cwd = s.work;
  s.archive = "gta3.img";
  makeArchive(o, s.templ / s.archive, entries);
  s.change.original = slurp(s.templ / s.archive);
  const fs::path archive = s.work / s.archive;
  if (name == "replace") {
    const std::string victim = recordName(s.change.original, std::size_t(entries) / 2);
    const std::string data = fileBytes("replacement", 1536 * 1024 + 77);
    spit(s.templ / "new.bin", data);
    s.change.replaced.push_back({victim, data});
    s.argv = {o.tamberlin,      "img",  "replace",
              archive.string(), victim, (s.work / "new.bin").string()};
  } else {
    const std::string data = fileBytes("added.dff", 1536 * 1024 + 77);
    spit(s.templ / "added.dff", data);
    s.change.added.push_back({"added.dff", data});
    s.argv = {o.tamberlin, "img", "add", archive.string(), (s.work / "added.dff").string()};
  }
  return s;
}

/// A whole installation: a folder and copies, two archive adds (the first moves an entry), a
/// replace, and a large copy last.
Scenario installScenario(const Options& o) {
  Scenario s;
  s.name = "install";
  s.templ = fs::path(o.dir) / "install" / "template";
  s.work = fs::path(o.dir) / "install" / "work";
  s.cwd = s.work / "mod";
  s.archive = "game/models/gta3.img";
  makeArchive(o, s.templ / s.archive, 63);
  spit(s.templ / "game/gta_sa.exe", "MZ");
  s.change.original = slurp(s.templ / s.archive);
  const std::string victim = recordName(s.change.original, 40);
  const std::string car = fileBytes("car.dff", 300 * 1024 + 5),
                    txd = fileBytes("car.txd", 900 * 1024);
  const std::string repl = fileBytes("repl.dff", 700 * 1024 + 3),
                    big = fileBytes("big.bin", 2 << 20);
  fs::create_directories(s.templ / "mod");
  spit(s.templ / "mod/car.dff", car);
  spit(s.templ / "mod/car.txd", txd);
  spit(s.templ / "mod/repl.dff", repl);
  spit(s.templ / "mod/big.bin", big);
  spit(s.templ / "mod/ins.cfg",
       "MAKEDIR newdir\r\nADD car.dff, newdir\\car.dff\r\n"
       "ADDINIMG \\models\\gta3.img, car.dff\r\n"
       "ADDINIMG \\models\\gta3.img, car.txd\r\n"
       "REPINIMG \\models\\gta3.img, " +
           victim +
           ", repl.dff\r\n"
           "ADD big.bin, big.bin\r\n");
  s.change.added = {{"car.dff", car}, {"car.txd", txd}};
  s.change.replaced = {{victim, repl}};
  s.copies = {{"game/newdir/car.dff", car, false}, {"game/big.bin", big, true}};
  s.argv = {o.tamberlin, "install", (s.work / "game").string()};
  return s;
}

// ---- command line ---------------------------------------------------------------------------

int usage(const std::string& why) {
  std::cerr << "crash_campaign: " << why << "\n"
            << "usage: crash_campaign [--runs N] [--seed S] [--dir DIR] [--tamberlin PATH]\n"
            << "                      [--gen-archive PATH] [--only add|add-move|replace|install]\n";
  return 2;
}

bool parseArgs(int argc, char** argv, Options& o) {
  const fs::path self = fs::absolute(argv[0]).parent_path();
  o.tamberlin = (self.parent_path() / "tamberlin").string();
  o.genArchive = (self / "gen_archive").string();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--runs")
      o.runs = std::atoi(v.c_str());
    else if (a == "--seed")
      o.seed = std::strtoull(v.c_str(), nullptr, 10);
    else if (a == "--dir")
      o.dir = v;
    else if (a == "--tamberlin")
      o.tamberlin = v;
    else if (a == "--gen-archive")
      o.genArchive = v;
    else if (a == "--only")
      o.only = v;
    else
      return false;
  }
  return o.runs > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parseArgs(argc, argv, o)) return usage("bad arguments");
  const bool ownDir = o.dir.empty();
  if (ownDir) {
    std::string t = (fs::temp_directory_path() / "crash-campaign-XXXXXX").string();
    if (!::mkdtemp(t.data())) return usage("cannot make a temporary folder");
    o.dir = t;
  }
  std::mt19937_64 rng(o.seed);
  std::size_t violations = 0;
  try {
    std::vector<Scenario> all;
    if (o.only.empty() || o.only == "add") all.push_back(imgScenario(o, "add", 60));
    if (o.only.empty() || o.only == "add-move") all.push_back(imgScenario(o, "add-move", 63));
    if (o.only.empty() || o.only == "replace") all.push_back(imgScenario(o, "replace", 60));
    if (o.only.empty() || o.only == "install") all.push_back(installScenario(o));
    if (all.empty()) return usage("unknown operation '" + o.only + "'");
    for (const Scenario& s : all) {
      const Tally t = campaign(s, o, rng);
      for (std::size_t i = 0; i < t.violations.size() && i < 10; ++i)
        std::cout << "  " << t.violations[i] << "\n";
      violations += t.violations.size();
    }
  } catch (const std::exception& e) {
    std::cerr << "crash_campaign: " << e.what() << "\n";
    violations = 1;
  }
  if (ownDir) fs::remove_all(o.dir);
  std::cout << (violations == 0 ? "crash campaign: no violations" : "crash campaign: VIOLATIONS")
            << std::endl;
  return violations == 0 ? 0 : 1;
}
