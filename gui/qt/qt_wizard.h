#pragma once
// The whole wizard on Qt: the window, its logic and what the machine offers as drives, put
// together. runWizard() and renderWizardPage() (gui/gui.h) use it; tests drive it with
// their own file system and message boxes.

#include <memory>
#include <optional>

#include "gui/qt/qt_form1_window.h"
#include "wizard/drives.h"
#include "wizard/form1.h"

namespace tamberlin {

class FileSystem;
class MessageBoxes;

/// The drive list and Wine prefix of this machine: mount points from /proc/self/mounts, the
/// home folder, $WINEPREFIX or ~/.wine.
Form1Setup machineSetup();

class QtWizard {
 public:
  QtWizard(FileSystem& fs, MessageBoxes& boxes, Form1Setup setup, double dpi = 0);

  /// Runs Form_Load. Returns the exit code when start-up ended the program (the window is
  /// then never shown); otherwise nothing, and the welcome page is ready to show.
  std::optional<int> load();
  /// Shows the window with the focus on "Next >".
  void show();

  QtForm1Window& window() { return window_; }
  Form1& form() { return form_; }

 private:
  MessageBoxes& boxes_;
  QtForm1Window window_;
  Form1 form_;
};

}  // namespace tamberlin
