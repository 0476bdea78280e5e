#pragma once
// The program's message boxes as the system's own MessageBoxW, owned by the wizard's window.
#include <windows.h>

#include "ui/message_box.h"

namespace tamberlin {

class Win32MessageBoxes : public MessageBoxes {
 public:
  /// Boxes are owned by `owner` once it is set (before that, and while it is hidden, they stand
  /// alone); a box blocks the owner until it is answered.
  void setOwner(HWND owner) { owner_ = owner; }
  MsgAnswer show(const MessageBoxRequest& box) override;

 private:
  HWND owner_ = nullptr;
};

/// The MessageBoxW style flags for `box`.
UINT messageBoxStyle(const MessageBoxRequest& box);

}  // namespace tamberlin
