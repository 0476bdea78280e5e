#include "support/install_rig.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "platform/runtime_error.h"
#include "ui/program_end.h"

namespace tamberlin::test {

namespace fs = std::filesystem;

CurrentDir::CurrentDir(const std::string& dir) : previous_(fs::current_path().string()) {
  if (::chdir(dir.c_str()) != 0) throw std::runtime_error("cannot enter " + dir);
}

CurrentDir::~CurrentDir() {
  if (::chdir(previous_.c_str()) != 0) std::abort();
}

std::map<std::string, std::string> snapshotTree(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::string rel = fs::relative(e.path(), dir).generic_string();
    out[rel] = e.is_directory() ? "<dir>" : readBytes(e.path().string());
  }
  return out;
}

std::map<std::string, std::string> snapshotGame(const std::string& dir) {
  auto tree = snapshotTree(dir);
  for (auto it = tree.begin(); it != tree.end();)
    it = it->first == "Tamberlin" || it->first.rfind("Tamberlin/", 0) == 0 ? tree.erase(it)
                                                                           : std::next(it);
  return tree;
}

std::string InstallRig::defaultArchive() {
  return makeArchive({{4, 1, "a.dff"}, {5, 2, "car.dff"}, {7, 1, "b.txd"}}, 8 * 2048);
}

InstallRig::InstallRig(const std::string& archive, FileSystem& fsys)
    : game(root.file("game")), inMod(mod.path()), form(fsys, boxes, status, window) {
  fs::create_directories(game + "/models");
  writeBytes(game + "/gta_sa.exe", "MZ");
  if (!archive.empty()) writeBytes(archivePath(), archive);
  form.saPath = game;
}

template <class Fn>
InstallOutcome InstallRig::capture(Fn fn) {
  InstallOutcome o;
  try {
    fn();
  } catch (const ProgramEnd& end) {
    o.ended = true;
    o.exitCode = end.exitCode;
    o.completed = end.exitCode == 0 && form.forceCloseInt == 1;
  } catch (const RuntimeError& e) {
    o.error = e.number();
    o.detail = e.detail();
  }
  return o;
}

InstallOutcome InstallRig::analyse() {
  return capture([this] {
    form.ReadINS();
    form.AnalyseINS();
  });
}

InstallOutcome InstallRig::install() {
  return capture([this] { form.ImgInstall(); });
}

}  // namespace tamberlin::test
