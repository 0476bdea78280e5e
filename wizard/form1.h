#pragma once
// The wizard's window Form1: start-up from "text.cfg" and "image.jpg", the three pages with
// "Next >" and the game-folder check, the close question, and the one-shot timer that runs the
// installation. Its controls are reached through Form1View, so no toolkit appears here; a
// backend creates the view, forwards each user event to the handler of the same name and runs
// every handler through runEvent() (event_guard.h).
//
// Handlers that end the program throw ProgramEnd (ui/program_end.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "facade/form1_install.h"
#include "ui/status_line.h"
#include "wizard/dir_list.h"
#include "wizard/drives.h"
#include "wizard/file_list.h"
#include "wizard/form1_view.h"
#include "wizard/game_folder_access.h"

namespace tamberlin {

/// Exit codes of the wizard.
constexpr int kExitInstalled = 0;  ///< "Installation Complete" was acknowledged
constexpr int kExitFailed =
    1;  ///< a start-up file failed to load, or an error ended the installation
constexpr int kExitCancelled = 3;  ///< the user confirmed the close question

/// The text of the close question: three lines separated by lone CRs.
extern const char* const kCancelQuestion;
/// The folder page's message, followed directly by the drive text.
extern const char* const kNotDetectedPrefix;

class Form1 : public StatusLine, public InstallWindow, public Form1Install {
 public:
  Form1(Form1View& view, FileSystem& fs, MessageBoxes& boxes, Form1Setup setup);

  // Window state.
  std::string InitialDrive;
  std::int16_t PageOnVar = 0;
  std::string TextL1, TextL2, TextL3, TextL4, TextL5;

  // Data of the list controls, which the view only draws.
  std::vector<DriveItem> Drive1;  ///< the drive list's items
  std::size_t Drive1Index = 0;    ///< the drive list's current drive
  DirList Dir1;
  FileList File1;

  /// The drive list's drive text.
  const std::string& driveText() const;

  // Events.
  void Form_Load();
  void imageloadA();
  void textcfgloadA();
  void PageChange(std::int16_t& PageOn);
  void Command2_Click();
  void Command3_Click();
  /// A non-zero `Cancel` on return keeps the window open.
  void Form_Unload(std::int16_t& Cancel);
  void Timer1_Timer();
  /// The elevated copy's start (game_folder_access.h), after Form_Load: straight to the
  /// installation page on `gameFolder`, as a passed game-folder check leads there. Ends the
  /// program with kExitNeedsAdmin when even this copy may not change the folder.
  void openInstallPage(const std::string& gameFolder);
  /// The user chose drive `index` in the drive list.
  void Drive1_Change(std::size_t index);
  /// The user highlighted (clicked) row `row` of the folder list.
  void Dir1_Highlight(std::size_t row);
  /// The user opened (double-clicked, or pressed Enter on) row `row` of the folder list.
  void Dir1_Open(std::size_t row);

  /// True from the timer's tick on: the installation runs and the program ends when it stops.
  bool installing() const { return installing_; }
  /// The exit code of a close that Form_Unload let through.
  int closeExitCode() const { return forceCloseInt == 1 ? kExitInstalled : kExitCancelled; }

  // Label2 as the installation's status line.
  void setStatus(const std::string& text) override;
  void copyProgress(std::uint64_t done, std::uint64_t total) override;

  // The window as the installation sees it.
  void setFocus() override;
  void makeVisible() override;
  void lineStarted(std::size_t index, std::size_t total, const std::string& line) override;
  void lineDone(std::size_t index, std::size_t total) override;

 private:
  void initControls();
  [[noreturn]] void failStartup(const std::string& message);
  void showDirList();
  void showProgress(double linesDone);
  /// True when this process may change `gameFolder`. Otherwise the folder page stays after a
  /// message, or the program ends with the exit code of the elevated copy that installed.
  bool mayChange(const std::string& gameFolder);
  /// The installation runs, or the elevated copy does: no user event acts.
  bool busy() const { return installing_ || elevating_; }

  Form1View& view_;
  std::string winePrefix_;
  Elevator* elevator_;
  bool programFilesX86_;
  bool installing_ = false;
  bool elevating_ = false;
  std::size_t linesTotal_ = 0;
  std::size_t lineIndex_ = 0;
  int permille_ = -1;
};

}  // namespace tamberlin
