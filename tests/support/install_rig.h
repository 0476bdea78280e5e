#pragma once
// A whole installation in a test: a mod folder (the current folder while the rig lives), a game
// folder with "gta_sa.exe" and a small "models\gta3.img", and Form1Install wired to recording
// doubles.

#include <map>
#include <string>
#include <vector>

#include "facade/form1_install.h"
#include "platform/file_system.h"
#include "support/archive_fixture.h"
#include "support/fake_ui.h"

namespace tamberlin::test {

/// Makes `dir` the current folder until the object goes, then restores the previous one.
class CurrentDir {
 public:
  explicit CurrentDir(const std::string& dir);
  ~CurrentDir();
  CurrentDir(const CurrentDir&) = delete;
  CurrentDir& operator=(const CurrentDir&) = delete;

 private:
  std::string previous_;
};

/// Records the window calls of an installation, in order ("focus", "visible", "start 3", ...).
class RecordingWindow : public InstallWindow {
 public:
  void setFocus() override { calls.push_back("focus"); }
  void makeVisible() override { calls.push_back("visible"); }
  void lineStarted(std::size_t index, std::size_t total, const std::string&) override {
    calls.push_back("start " + std::to_string(index) + "/" + std::to_string(total));
  }
  void lineDone(std::size_t index, std::size_t) override {
    calls.push_back("done " + std::to_string(index));
  }
  std::vector<std::string> calls;
};

/// How an installation ended.
struct InstallOutcome {
  bool completed = false;  ///< ended through ProgramEnd{0} after "Installation Complete"
  bool ended = false;      ///< ended through ProgramEnd (any code)
  int exitCode = -1;
  int error = 0;       ///< number of the RuntimeError that escaped, 0 when none
  std::string detail;  ///< its detail
};

/// Files and folders under a folder: relative path ("/"-separated) -> content, folders as "<dir>".
std::map<std::string, std::string> snapshotTree(const std::string& dir);
/// The same for a game folder, less the install journals' own folder.
std::map<std::string, std::string> snapshotGame(const std::string& dir);

class InstallRig {
 public:
  /// `archive` is the bytes of the game's models/gta3.img (none made when empty).
  explicit InstallRig(const std::string& archive = defaultArchive(),
                      FileSystem& fs = realFileSystem());

  /// Three entries in sectors 4.. (room for more records): a.dff, car.dff, b.txd.
  static std::string defaultArchive();

  std::string modFile(const std::string& name) const { return mod.file(name); }
  std::string gameFile(const std::string& rel) const { return game + "/" + rel; }
  std::string archivePath() const { return gameFile("models/gta3.img"); }

  void writeScript(const std::string& bytes) const { writeBytes(mod.file("ins.cfg"), bytes); }
  void writeMod(const std::string& name, const std::string& bytes) const {
    writeBytes(mod.file(name), bytes);
  }
  /// Loads the script as ReadINS would and runs AnalyseINS only.
  InstallOutcome analyse();
  /// Runs ImgInstall.
  InstallOutcome install();

  TempDir root;
  TempDir mod;
  std::string game;
  RecordingStatus status;
  ScriptedBoxes boxes;
  RecordingWindow window;
  CurrentDir inMod;
  Form1Install form;

 private:
  template <class Fn>
  InstallOutcome capture(Fn fn);
};

}  // namespace tamberlin::test
