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

int DirListWindow::textLeft(const DirRow& row, int dpi) {
  return MulDiv(2 + row.indent * 12 + 16 + 4, dpi, 96);
}

void DirListWindow::drawItem(const DRAWITEMSTRUCT& item, int dpi) const {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID < rows_.size()) {
    const DirRow& row = rows_[item.itemID];
    int icon = MulDiv(16, dpi, 96);
    int x = r.left + MulDiv(2 + row.indent * 12, dpi, 96);
    if (icons_) icons_->draw(dc, x, r.top + (r.bottom - r.top - icon) / 2, icon, row.open);
    RECT text = r;
    text.left = r.left + textLeft(row, dpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    std::wstring w = utf8ToWide(row.text);
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

DirListWindow::~DirListWindow() {
  if (tip_) DestroyWindow(tip_);
}

void DirListWindow::setUp() {
  icons_ = std::make_unique<FolderIcons>();
  INITCOMMONCONTROLSEX tips{sizeof tips, ICC_BAR_CLASSES};
  InitCommonControlsEx(&tips);
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(hwnd_, GA_ROOT), nullptr,
                         nullptr, nullptr);
  if (tip_) {
    // One tool, the whole list; its text is asked for each time it shows (TTN_GETDISPINFO,
    // sent to the list itself), so it follows the row under the mouse.
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SetWindowSubclass(hwnd_, proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

int DirListWindow::rowUnderMouse() const {
  POINT at;
  GetCursorPos(&at);
  ScreenToClient(hwnd_, &at);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, at)) return -1;
  LRESULT hit = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
  if (HIWORD(hit) != 0 || LOWORD(hit) >= rows_.size()) return -1;
  return LOWORD(hit);
}

bool DirListWindow::cutShort(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return false;
  int dpi = windowDpi(hwnd_);
  std::wstring text = utf8ToWide(rows_[row].text);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  RECT client;
  GetClientRect(hwnd_, &client);
  return textLeft(rows_[row], dpi) + size.cx > client.right;
}

LRESULT CALLBACK DirListWindow::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR data) {
  auto* self = reinterpret_cast<DirListWindow*>(data);
  switch (msg) {
    case WM_GETDLGCODE:
      // Enter opens the highlighted folder instead of going to the window's dialog keys.
      if (wp == VK_RETURN) return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
      break;
    case WM_KEYDOWN:
      if (wp != VK_RETURN) break;
      SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(hwnd));
      return 0;
    case WM_MOUSEMOVE: {
      // Another row: the shown tip goes, and the next one asks for its row's text.
      int row = self->rowUnderMouse();
      if (row != self->tipRow_ && self->tip_) SendMessageW(self->tip_, TTM_POP, 0, 0);
      self->tipRow_ = row;
      break;
    }
    case WM_NOTIFY: {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
      if (info->hdr.hwndFrom != self->tip_ || info->hdr.code != TTN_GETDISPINFOW) break;
      int row = self->rowUnderMouse();
      // An empty text shows no tip: names that fit need none.
      self->tipText_ = self->cutShort(row) ? utf8ToWide(self->rows_[row].path) : std::wstring();
      info->lpszText = self->tipText_.data();
      return 0;
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
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

LRESULT CALLBACK defaultWhileFocusedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR) {
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS)
    SendMessageW(hwnd, BM_SETSTYLE, msg == WM_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
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

void defaultWhileFocused(HWND button) {
  SetWindowSubclass(button, defaultWhileFocusedProc, 1, 0);
}

}  // namespace tamberlin
