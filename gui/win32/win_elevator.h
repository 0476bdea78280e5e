#pragma once
// Administrator rights on Windows: the elevated copy started through the system's elevation
// prompt (ShellExecuteExW, verb "runas"), and the wait for it.
#include <windows.h>

#include "wizard/game_folder_access.h"

namespace tamberlin {

class Win32Elevator : public Elevator {
 public:
  /// `owner` is the wizard's window: the prompt's owner, hidden while the copy runs.
  explicit Win32Elevator(HWND owner) : owner_(owner) {}

  bool isElevated() override;
  ElevatedRun runElevated(const std::string& gameFolder, const std::string& modFolder) override;

 private:
  HWND owner_;
};

}  // namespace tamberlin
