#pragma once
// The wizard as a program, whatever the window toolkit: each GUI backend (platform/qt,
// platform/win32) implements these two.

#include <string>

namespace tamberlin {

/// Runs the wizard in the current folder (the mod's folder) until the program ends; returns
/// the exit code (see wizard/form1.h).
int runWizard();

/// Renders page `page` ("welcome", "folder" or "install") of the wizard in the current folder
/// into the PNG file `pngPath` without user input and without running the installation.
/// Returns 0, or 1 after printing why not to stderr; 2 for an unknown page.
int renderWizardPage(const std::string& page, const std::string& pngPath);

}  // namespace tamberlin
