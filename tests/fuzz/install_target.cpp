// Arbitrary bytes as "ins.cfg" of a whole installation. The game folder and the mod folder lie
// in a sandbox next to an "outside" folder and a file that no script may reach. Properties:
// - no change outside the game folder, but the scratch file in the mod folder: the file system
//   refuses it before it happens (JailFileSystem), and the sandbox is compared afterwards;
// - the installation ends through the program's own ways (complete, an error box's No, or a
//   run-time error), never through another exception;
// - every file of the game folder that begins with "VER2" is a sound archive afterwards.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "fuzz/fuzz_engine.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/jail_file_system.h"
#include "imgarchive/check.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "ui/program_end.h"

namespace tamberlin::fuzz {
namespace {

namespace stdfs = std::filesystem;
using Tree = std::map<std::string, std::string>;

/// A "VER2" archive of `count` one-sector entries from sector 1 on: with 62 the directory has
/// room for one more record, so the second add of a run moves an entry.
std::string smallArchive(std::uint32_t count) {
  std::string a(std::size_t(1 + count) * sector, '\0');
  a.replace(0, 4, "VER2");
  auto put = [&a](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) a[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(4, count);
  for (std::uint32_t k = 1; k <= count; ++k) {
    const std::string name = k == 1   ? "car.dff"
                             : k == 2 ? "b.txd"
                                      : "m" + std::to_string(k) + ".dff";
    const std::size_t rec = 8 + 32 * (k - 1);
    put(rec, k);
    put(rec + 4, 1);
    a.replace(rec + 8, name.size(), name);
    a.replace(std::size_t(k) * sector, name.size(), name);
  }
  return a;
}

/// The files of the sandbox as it is made before every run: relative path -> bytes.
const Tree& initialFiles() {
  static const Tree files = {
      {"game/gta_sa.exe", "MZ game"},
      {"game/models/gta3.img", smallArchive(62)},
      {"game/data/a.txt", "a"},
      {"game/data/b.txt", "b"},
      {"mod/car.dff", "car.dff" + std::string(3000, 'c')},
      {"mod/my car.txd", "my car.txd" + std::string(5000, 't')},
      {"mod/empty.dat", ""},
      {"outside/secret.txt", "secret"},
      {"outside/models/gta3.img", smallArchive(3)},
      {"top.txt", "top"},
  };
  return files;
}

Tree snapshot(const stdfs::path& root) {
  Tree t;
  for (const auto& e : stdfs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    t[rel] = e.is_directory() ? "<dir>" : readFile(e.path().string());
  }
  return t;
}

void makeSandbox(const stdfs::path& root) {
  for (const auto& e : stdfs::directory_iterator(root)) stdfs::remove_all(e.path());
  for (const auto& [rel, bytes] : initialFiles()) {
    stdfs::create_directories((root / rel).parent_path());
    writeFile((root / rel).string(), bytes);
  }
}

/// Runs the installation with `script` as ins.cfg from the mod folder; returns what escaped it
/// other than the program's own ways of ending ("" when nothing did).
std::string install(const stdfs::path& root, const std::string& script, bool answerYes) {
  writeFile((root / "mod/ins.cfg").string(), script);
  JailFileSystem jail(realFileSystem(), {(root / "game").string()},
                      {(root / "mod/installing.tmp").string()});
  QuietStatus status;
  YesBoxes yes;
  struct NoBoxes : MessageBoxes {
    MsgAnswer show(const MessageBoxRequest& b) override {
      return b.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
  } no;
  InstallWindow window;
  Form1Install form(jail, answerYes ? static_cast<MessageBoxes&>(yes) : no, status, window);
  form.saPath = (root / "game").string();
  try {
    form.ImgInstall();
  } catch (const ProgramEnd&) {
  } catch (const RuntimeError&) {
  } catch (const FuzzFailure&) {
    throw;
  } catch (const std::exception& e) {
    return std::string("an exception escaped the installation: ") + e.what();
  }
  return {};
}

void checkSandbox(const stdfs::path& root) {
  Tree expected;
  for (const auto& [rel, bytes] : initialFiles()) {
    if (rel.rfind("game/", 0) == 0) continue;
    expected[rel] = bytes;
    for (stdfs::path p = stdfs::path(rel).parent_path(); !p.empty(); p = p.parent_path())
      expected[p.generic_string()] = "<dir>";
  }
  expected["mod/ins.cfg"] = readFile((root / "mod/ins.cfg").string());
  Tree now = snapshot(root);
  now.erase("mod/installing.tmp");
  for (auto it = now.begin(); it != now.end();)
    it = it->first == "game" || it->first.rfind("game/", 0) == 0 ? now.erase(it) : std::next(it);
  for (const auto& [rel, bytes] : now)
    fuzzCheck(expected.count(rel) && expected[rel] == bytes, "changed outside the game: " + rel);
  fuzzCheck(now.size() == expected.size(), "a file outside the game folder went missing");
}

void checkArchives(const stdfs::path& game) {
  for (const auto& e : stdfs::recursive_directory_iterator(game)) {
    if (!e.is_regular_file()) continue;
    const std::string bytes = readFile(e.path().string());
    if (bytes.compare(0, 4, "VER2") != 0) continue;
    const ArchiveReport r = checkArchive(realFileSystem(), e.path().string());
    fuzzCheck(r.ok(), "unsound archive " + e.path().string() + ": " +
                          (r.errors.empty() ? std::string() : r.errors.front()));
  }
}

}  // namespace

void installTarget(const std::uint8_t* data, std::size_t size) {
  const stdfs::path root = scratchDir("install");
  makeSandbox(root);
  const std::string script(reinterpret_cast<const char*>(data), size);
  char previous[PATH_MAX];
  fuzzCheck(::getcwd(previous, sizeof previous) != nullptr, "getcwd");
  fuzzCheck(::chdir((root / "mod").c_str()) == 0, "chdir");
  std::string escaped;
  try {
    escaped = install(root, script, size == 0 || data[0] % 2 == 0);
  } catch (...) {
    if (::chdir(previous) != 0) std::abort();
    throw;
  }
  fuzzCheck(::chdir(previous) == 0, "chdir back");
  fuzzCheck(escaped.empty(), escaped);
  checkSandbox(root);
  checkArchives(root / "game");
}

}  // namespace tamberlin::fuzz
