#include "gui/win32/win_message_boxes.h"

#include "platform/ansi.h"
#include "wizard/display_text.h"

namespace tamberlin {
namespace {

/// The width a window needs for its whole title: the text in the caption font, the close
/// button and room for the other caption buttons and the icon, and the frame.
int titleWidth(HWND window, const std::wstring& title) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE text{};
  GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &text);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  DeleteObject(font);
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  int frame = (outer.right - outer.left) - (client.right - client.left);
  return text.cx + 4 * metrics.iCaptionWidth + frame;
}

/// Widens `box` to its title's width, keeping it centred where it was and its contents
/// centred in it. MessageBoxW sizes a box by its text and buttons only.
void widenToTitle(HWND box) {
  wchar_t title[256] = {};
  GetWindowTextW(box, title, 255);
  RECT r;
  GetWindowRect(box, &r);
  int grow = titleWidth(box, title) - (r.right - r.left);
  if (grow <= 0) return;
  SetWindowPos(box, nullptr, r.left - grow / 2, r.top, r.right - r.left + grow, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT c;
    GetWindowRect(child, &c);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&c), 2);
    SetWindowPos(child, nullptr, c.left + grow / 2, c.top, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

/// The hook that catches the next message box of this thread as it is activated.
HHOOK boxHook = nullptr;

LRESULT CALLBACK onBoxActivate(int code, WPARAM wp, LPARAM lp) {
  HHOOK hook = boxHook;
  if (code == HCBT_ACTIVATE && hook) {
    wchar_t name[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(wp), name, 15);
    if (lstrcmpW(name, L"#32770") == 0) {
      boxHook = nullptr;  // the box's own dialogs later are not ours to touch
      UnhookWindowsHookEx(hook);
      widenToTitle(reinterpret_cast<HWND>(wp));
    }
  }
  return CallNextHookEx(hook, code, wp, lp);
}

}  // namespace

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
  if (!boxHook) boxHook = SetWindowsHookExW(WH_CBT, onBoxActivate, nullptr, GetCurrentThreadId());
  int answer = MessageBoxW(owner, text.c_str(), title.c_str(), style);
  if (boxHook) {  // the box never became active
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
  }
  switch (answer) {
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    default:
      return box.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
}

}  // namespace tamberlin
