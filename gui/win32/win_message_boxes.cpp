#include "gui/win32/win_message_boxes.h"

#include "platform/ansi.h"
#include "wizard/display_text.h"

namespace tamberlin {

UINT messageBoxStyle(const MessageBoxRequest& box) {
  UINT style = MB_SETFOREGROUND;
  if (box.buttons == MsgButtons::YesNo) {
    style |= MB_YESNO;
    if (box.defaultNo) style |= MB_DEFBUTTON2;
  } else {
    style |= MB_OK;
  }
  if (box.icon == MsgIcon::Warning) style |= MB_ICONWARNING;
  return style;
}

MsgAnswer Win32MessageBoxes::show(const MessageBoxRequest& box) {
  HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
  std::wstring text = utf8ToWide(withLineBreaks(box.text, "\r\n"));
  std::wstring title = utf8ToWide(box.title);
  UINT style = messageBoxStyle(box) | (owner ? MB_APPLMODAL : MB_TASKMODAL);
  switch (MessageBoxW(owner, text.c_str(), title.c_str(), style)) {
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    default:
      return box.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
}

}  // namespace tamberlin
