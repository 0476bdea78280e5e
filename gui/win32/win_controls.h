#pragma once
// The wizard's controls as Win32 child windows. Each only draws what Form1 tells it; the
// window (win_wizard_window.h) forwards the user's events to Form1.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/win32/win_folder_icons.h"
#include "wizard/form1_view.h"

namespace tamberlin {

/// A child window behind one of Form1's control interfaces.
template <class Interface>
class WinControl : public Interface {
 public:
  HWND hwnd() const { return hwnd_; }
  void attach(HWND hwnd) { hwnd_ = hwnd; }
  void setVisible(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
  void setEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

 protected:
  HWND hwnd_ = nullptr;
};

/// A label (STATIC) or a push button: a lone CR in a text is a line break.
class TextWindow : public WinControl<TextControl> {
 public:
  void setText(const std::string& text) override;
};

class PanelWindow : public WinControl<Control> {};

/// A picture display of the window class kPictureClass, which paints through paint().
class PictureWindow : public WinControl<PictureControl> {
 public:
  PictureWindow() = default;
  PictureWindow(const PictureWindow&) = delete;
  PictureWindow& operator=(const PictureWindow&) = delete;
  ~PictureWindow() override;

  bool showStretched(const std::string& fileBytes) override;
  void showPixels(int width, int height, const std::vector<std::uint8_t>& rgb) override;
  /// Draws the picture: stretched over `client`, or at its own size scaled from 96 to `dpi`.
  void paint(HDC dc, const RECT& client, int dpi) const;

 private:
  void replace(HBITMAP bitmap, bool stretched);

  HBITMAP bitmap_ = nullptr;
  bool stretched_ = false;
};

class DriveCombo : public WinControl<DriveListControl> {
 public:
  void setDrives(const std::vector<std::string>& texts, std::size_t current) override;
};

/// The folder list: an owner-drawn list box that indents each row and shows the shell's open
/// folder on the current folder and its parents, its closed folder on the subfolders. A row
/// whose name it cuts short shows the folder's whole path as a tooltip.
class DirListWindow : public WinControl<DirListControl> {
 public:
  DirListWindow() = default;
  DirListWindow(const DirListWindow&) = delete;
  DirListWindow& operator=(const DirListWindow&) = delete;
  ~DirListWindow() override;

  /// Once the list box exists: loads the folder pictures, adds the tooltip and makes Enter
  /// open the highlighted folder (LBN_DBLCLK to the parent, as a double click).
  void setUp();
  void setRows(const std::vector<DirRow>& rows, std::size_t highlighted) override;
  /// Draws one row for WM_DRAWITEM.
  void drawItem(const DRAWITEMSTRUCT& item, int dpi) const;
  /// The row the list box has selected, or -1.
  int selectedRow() const;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR);
  /// The row under the mouse, or -1.
  int rowUnderMouse() const;
  /// True when row `row`'s name does not fit the list's width.
  bool cutShort(int row) const;
  /// Where the row's name starts, from the list's left edge.
  static int textLeft(const DirRow& row, int dpi);

  std::vector<DirRow> rows_;
  std::unique_ptr<FolderIcons> icons_;
  HWND tip_ = nullptr;
  int tipRow_ = -1;
  std::wstring tipText_;
};

/// A push button that is the default button while it has the focus, as in a dialog: drawn with
/// the default frame, and pressed by Return or Enter (through the dialog keys of the window).
void defaultWhileFocused(HWND button);

class ProgressWindow : public WinControl<ProgressControl> {
 public:
  void setPermille(int permille) override;
};

/// The window class of PictureWindow's windows; GWLP_USERDATA holds the PictureWindow.
extern const wchar_t* const kPictureClass;
/// The window class of Picture1: the system's window colours, parent of the page's controls.
extern const wchar_t* const kPanelClass;

/// Registers kPictureClass and kPanelClass. A panel passes the notifications of its children
/// (WM_COMMAND, WM_DRAWITEM, WM_MEASUREITEM) on to its own parent, the window.
bool registerControlClasses(HINSTANCE instance);

}  // namespace tamberlin
