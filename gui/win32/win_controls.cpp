#include "gui/win32/win_controls.h"

#include <commctrl.h>

#include "gui/win32/win_dpi.h"
#include "gui/win32/win_picture.h"
#include "platform/ansi.h"
#include "wizard/display_text.h"

namespace tamberlin {

const wchar_t* const kPictureClass = L"TamberlinPicture";
const wchar_t* const kPanelClass = L"TamberlinPanel";

void TextWindow::setText(const std::string& text) {
  SetWindowTextW(hwnd_, utf8ToWide(withLineBreaks(text, "\r\n")).c_str());
}

PictureWindow::~PictureWindow() {
  if (bitmap_) DeleteObject(bitmap_);
}

void PictureWindow::replace(HBITMAP bitmap, bool stretched) {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  stretched_ = stretched;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool PictureWindow::showStretched(const std::string& fileBytes) {
  HBITMAP bitmap = decodePicture(fileBytes);
  if (!bitmap) return false;
  replace(bitmap, true);
  return true;
}

void PictureWindow::showPixels(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (HBITMAP bitmap = bitmapFromRgb(width, height, rgb)) replace(bitmap, false);
}

void PictureWindow::paint(HDC dc, const RECT& client, int dpi) const {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (!bitmap_) return;
  SIZE size = bitmapSize(bitmap_);
  int width = stretched_ ? client.right - client.left : MulDiv(size.cx, dpi, 96);
  int height = stretched_ ? client.bottom - client.top : MulDiv(size.cy, dpi, 96);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap_);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, client.left, client.top, width, height, source, 0, 0, size.cx, size.cy, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

void DriveCombo::setDrives(const std::vector<std::string>& texts, std::size_t current) {
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts)
    SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToWide(text).c_str()));
  SendMessageW(hwnd_, CB_SETCURSEL, current < texts.size() ? current : 0, 0);
}

void DirListWindow::setRows(const std::vector<DirRow>& rows, std::size_t highlighted) {
  rows_ = rows;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const DirRow& row : rows_)
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToWide(row.text).c_str()));
  if (highlighted < rows_.size()) {
    SendMessageW(hwnd_, LB_SETCURSEL, highlighted, 0);
    // The current folder and a few of its subfolders in view, as far as the list allows.
    std::size_t above = highlighted > 2 ? highlighted - 2 : 0;
    SendMessageW(hwnd_, LB_SETTOPINDEX, above, 0);
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int DirListWindow::selectedRow() const {
  LRESULT row = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  return row == LB_ERR ? -1 : static_cast<int>(row);
}

namespace {

/// A folder symbol `size` pixels wide: a tab and a body; an open folder is lighter and shows
/// its front flap.
void drawFolder(HDC dc, int x, int y, int size, bool open) {
  int h = size * 3 / 4;
  COLORREF edge = RGB(150, 110, 30);
  HBRUSH body = CreateSolidBrush(open ? RGB(255, 228, 140) : RGB(236, 196, 84));
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ oldBrush = SelectObject(dc, body);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Rectangle(dc, x, y + 1, x + size * 2 / 5, y + h / 4 + 2);
  Rectangle(dc, x, y + h / 4, x + size, y + h);
  if (open) {
    MoveToEx(dc, x + 1, y + h - 1, nullptr);
    LineTo(dc, x + size / 4, y + h * 2 / 4);
    LineTo(dc, x + size, y + h * 2 / 4);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(body);
  DeleteObject(pen);
}

}  // namespace

void DirListWindow::drawItem(const DRAWITEMSTRUCT& item, int dpi) const {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID < rows_.size()) {
    const DirRow& row = rows_[item.itemID];
    int unit = MulDiv(12, dpi, 96);
    int x = r.left + MulDiv(2, dpi, 96) + row.indent * unit;
    int icon = MulDiv(14, dpi, 96);
    drawFolder(dc, x, r.top + (r.bottom - r.top - icon * 3 / 4) / 2, icon, row.open);
    RECT text = r;
    text.left = x + icon + MulDiv(4, dpi, 96);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    std::wstring w = utf8ToWide(row.text);
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

void ProgressWindow::setPermille(int permille) {
  SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
}

namespace {

LRESULT CALLBACK pictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
    RECT client;
    GetClientRect(hwnd, &client);
    auto* picture = reinterpret_cast<const PictureWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (picture) picture->paint(dc, client, windowDpi(hwnd));
    if (msg == WM_PAINT) EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;  // paint() covers every pixel
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK panelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK enterOpensProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETDLGCODE && wp == VK_RETURN)
    return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
  if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    int id = GetDlgCtrlID(hwnd);
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

bool registerControlClasses(HINSTANCE instance) {
  WNDCLASSEXW picture{};
  picture.cbSize = sizeof picture;
  picture.lpfnWndProc = pictureProc;
  picture.hInstance = instance;
  picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  picture.lpszClassName = kPictureClass;
  WNDCLASSEXW panel = picture;
  panel.lpfnWndProc = panelProc;
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  panel.lpszClassName = kPanelClass;
  return RegisterClassExW(&picture) != 0 && RegisterClassExW(&panel) != 0;
}

void openOnEnter(HWND listBox) {
  SetWindowSubclass(listBox, enterOpensProc, 1, 0);
}

}  // namespace tamberlin
