#pragma once
// The wizard as a program, whatever the window toolkit: each GUI backend (gui/qt,
// gui/win32) implements these two.

#include <string>

namespace tamberlin {

/// Where the wizard starts: on its welcome page in the current folder, or, as the elevated
/// copy that the folder page starts (wizard/game_folder_access.h), in `modFolder` straight on
/// the installation page for `gameFolder`.
struct WizardStart {
  std::string gameFolder;  ///< empty: the welcome page
  std::string modFolder;
};

/// Runs the wizard until the program ends; returns the exit code (see wizard/form1.h).
int runWizard(const WizardStart& start = {});

/// Renders page `page` ("welcome", "folder" or "install") of the wizard in the current folder
/// into the PNG file `pngPath` without user input and without running the installation.
/// Returns 0, or 1 after printing why not to stderr; 2 for an unknown page.
int renderWizardPage(const std::string& page, const std::string& pngPath);

}  // namespace tamberlin
