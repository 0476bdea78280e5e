#pragma once
// Reaching into another process's windows as a user's tools do: find them, read their texts,
// press their buttons. Nothing here knows the wizard's code; only what the user sees.
#include <windows.h>

#include <string>
#include <vector>

namespace driver {

std::string narrow(const std::wstring& wide);
std::wstring widen(const std::string& utf8);

/// One child window as found: its class, text and whether it is shown.
struct Child {
  HWND hwnd;
  std::string className;
  std::string text;
  bool visible;
  bool enabled;
};

/// The text of a window of another process (WM_GETTEXT, with a time limit).
std::string windowText(HWND hwnd);
std::string className(HWND hwnd);

/// The visible top-level windows of process `pid` (any process when 0) with class `windowClass`
/// (any when empty).
std::vector<HWND> topWindows(DWORD pid, const std::string& windowClass);

/// Every child (at any depth) of `parent`, in stacking order.
std::vector<Child> children(HWND parent);

/// The first visible child of `parent` of class `windowClass` whose text is `text`; nullptr
/// when none.
HWND findChild(HWND parent, const std::string& windowClass, const std::string& text);

/// The rows of a list box (LB_GETTEXT).
std::vector<std::string> listRows(HWND listBox);

/// A user's click, double click or Enter on a list box row: the messages the mouse or the
/// keyboard would produce, posted to the list box.
void clickRow(HWND listBox, int row);
void doubleClickRow(HWND listBox, int row);
void pressEnterOnRow(HWND listBox, int row);

/// Presses a button as a click would (BM_CLICK, posted so a modal box it opens cannot block us).
void press(HWND button);

/// A key pressed and released on `target`, which should be the focused window: the messages the
/// keyboard would produce, posted, so they pass through the program's dialog keys.
void pressKey(HWND target, UINT virtualKey);

/// The window with the keyboard focus in the thread of `window`, or nullptr.
HWND focusedWindow(HWND window);

/// The width the title of `window` takes in its caption font.
int titleTextWidth(HWND window);

}  // namespace driver
