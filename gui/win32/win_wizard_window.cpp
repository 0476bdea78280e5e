#include "gui/win32/win_wizard_window.h"

#include <commctrl.h>

#include "gui/win32/win_dpi.h"
#include "platform/ansi.h"
#include "wizard/event_guard.h"
#include "wizard/form1.h"

namespace tamberlin {
namespace {

const wchar_t* const kWindowClass = L"TamberlinWizard";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFirstControlId = 100;
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
/// The drive list's drop-down part, below the box the layout places.
constexpr int kDropDownTwips = 2400;

int controlId(ControlId id) {
  return kFirstControlId + static_cast<int>(id);
}

bool isUserInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST);
}

}  // namespace

Win32WizardWindow::Win32WizardWindow(HINSTANCE instance, MessageBoxes& boxes)
    : instance_(instance), boxes_(boxes) {}

Win32WizardWindow::~Win32WizardWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  for (HFONT font : fonts_)
    if (font) DeleteObject(font);
}

bool Win32WizardWindow::create() {
  if (!registerControlClasses(instance_)) return false;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return false;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", kWindowStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;

  // Creation order is the tab order (Command2, Command3, then the lists in Picture1) and the
  // stacking order, first on top: the lists and their labels lie above the page's long labels,
  // whose rectangles reach over them; of two labels the later one in the layout lies on top; and
  // the separator lies above the banner.
  const DWORD label = SS_LEFT | SS_NOPREFIX;
  command2_.attach(makeChild(ControlId::Command2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP));
  command3_.attach(makeChild(ControlId::Command3, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP));
  picture1_.attach(makeChild(ControlId::Picture1, kPanelClass, WS_CLIPCHILDREN));
  drive1_.attach(
      makeChild(ControlId::Drive1, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP));
  dir1_.attach(makeChild(ControlId::Dir1, L"LISTBOX",
                         LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                             WS_VSCROLL | WS_TABSTOP));
  label5_.attach(makeChild(ControlId::Label5, L"STATIC", label));
  label4_.attach(makeChild(ControlId::Label4, L"STATIC", label));
  progress_.attach(makeChild(ControlId::ProgressBar1, PROGRESS_CLASSW, 0));
  label1_.attach(makeChild(ControlId::Label1, L"STATIC", label));
  label2_.attach(makeChild(ControlId::Label2, L"STATIC", label));
  label3_.attach(makeChild(ControlId::Label3, L"STATIC", label));
  image1_.attach(makeChild(ControlId::Image1, kPictureClass, 0));
  image2_.attach(makeChild(ControlId::Image2, kPictureClass, 0));
  for (HWND child : {command2_.hwnd(), command3_.hwnd(), picture1_.hwnd(), label1_.hwnd(),
                     label2_.hwnd(), label3_.hwnd(), label4_.hwnd(), drive1_.hwnd(), label5_.hwnd(),
                     dir1_.hwnd(), progress_.hwnd(), image1_.hwnd(), image2_.hwnd()})
    if (!child) return false;
  SetWindowLongPtrW(image1_.hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&image1_));
  SetWindowLongPtrW(image2_.hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&image2_));
  SetWindowLongPtrW(picture1_.hwnd(), GWL_EXSTYLE, WS_EX_CONTROLPARENT);
  SetWindowLongPtrW(dir1_.hwnd(), GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  SendMessageW(progress_.hwnd(), PBM_SETRANGE32, 0, 1000);
  dir1_.setUp();
  // The focus starts on "Next >", which wears the default frame from the start.
  defaultWhileFocused(command2_.hwnd());
  defaultWhileFocused(command3_.hwnd());
  SendMessageW(command2_.hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);

  dpi_ = windowDpi(hwnd_);
  placeControls(dpi_);
  SIZE outer =
      outerSizeFor(twipsToPixels(kClientWidthTwips, dpi_), twipsToPixels(kClientHeightTwips, dpi_),
                   kWindowStyle, WS_EX_CONTROLPARENT, dpi_);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + (work.right - work.left - outer.cx) / 2;
  int y = work.top + (work.bottom - work.top - outer.cy) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

HWND Win32WizardWindow::makeChild(ControlId id, const wchar_t* windowClass, DWORD style) {
  const ControlPlace& place = placeOf(id);
  HWND parent = place.onPicture1 ? picture1_.hwnd() : hwnd_;
  style |= WS_CHILD | WS_CLIPSIBLINGS | (place.visibleAtStart ? WS_VISIBLE : 0);
  return CreateWindowExW(0, windowClass, L"", style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(id))), instance_,
                         nullptr);
}

HWND Win32WizardWindow::windowOf(ControlId id) const {
  switch (id) {
    case ControlId::Image2:
      return image2_.hwnd();
    case ControlId::Picture1:
      return picture1_.hwnd();
    case ControlId::Label1:
      return label1_.hwnd();
    case ControlId::Label2:
      return label2_.hwnd();
    case ControlId::Label3:
      return label3_.hwnd();
    case ControlId::Label4:
      return label4_.hwnd();
    case ControlId::Drive1:
      return drive1_.hwnd();
    case ControlId::Label5:
      return label5_.hwnd();
    case ControlId::Dir1:
      return dir1_.hwnd();
    case ControlId::ProgressBar1:
      return progress_.hwnd();
    case ControlId::Image1:
      return image1_.hwnd();
    case ControlId::Command2:
      return command2_.hwnd();
    case ControlId::Command3:
      return command3_.hwnd();
    default:
      return nullptr;  // Label6, List1 and File1 hold data only
  }
}

void Win32WizardWindow::placeControls(int dpi) {
  for (HFONT& font : fonts_) {
    if (font) DeleteObject(font);
    font = nullptr;
  }
  for (FontId id : {FontId::Window, FontId::Title, FontId::Body})
    fonts_[static_cast<int>(id)] = createLayoutFont(id, dpi);
  auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
  for (const ControlPlace& place : layoutTable()) {
    HWND h = windowOf(place.id);
    if (!h) continue;
    int height = px(place.height) + (place.id == ControlId::Drive1 ? px(kDropDownTwips) : 0);
    SetWindowPos(h, nullptr, px(place.left), px(place.top), px(place.width), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[static_cast<int>(place.font)]),
                 TRUE);
  }
  // Rows of the folder list as tall as its font's lines, with a little air.
  HDC dc = GetDC(dir1_.hwnd());
  HGDIOBJ old = SelectObject(dc, fonts_[static_cast<int>(placeOf(ControlId::Dir1).font)]);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(dir1_.hwnd(), dc);
  int rowHeight = tm.tmHeight + MulDiv(3, dpi, 96);
  SendMessageW(dir1_.hwnd(), LB_SETITEMHEIGHT, 0, rowHeight);
}

std::optional<int> Win32WizardWindow::load(Form1& form) {
  form_ = &form;
  if (std::optional<int> end = runEvent(boxes_, [&] { form.Form_Load(); })) {
    // A start-up file failed: the program ends before the window is ever shown.
    endProgram(*end);
    return exitCode_;
  }
  return std::nullopt;
}

bool Win32WizardWindow::showAndPaint() {
  if (!hwnd_) return false;
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  refresh();
  return hwnd_ != nullptr;
}

int Win32WizardWindow::run(Form1& form, const std::function<void()>& opening) {
  if (std::optional<int> end = load(form)) return *end;
  if (opening) {
    if (std::optional<int> end = runEvent(boxes_, opening)) {
      endProgram(*end);
      return exitCode_;
    }
  }
  ShowWindow(hwnd_, SW_SHOW);
  // Focus rectangles show from the start, not only once a key has been pressed.
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  UpdateWindow(hwnd_);
  SetFocus(command2_.hwnd());
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return exitCode_;
}

void Win32WizardWindow::setCaption(const std::string& caption) {
  SetWindowTextW(hwnd_, utf8ToWide(caption).c_str());
}

void Win32WizardWindow::requestClose() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Win32WizardWindow::activate() {
  if (hwnd_ && IsWindowVisible(hwnd_)) SetForegroundWindow(hwnd_);
}

void Win32WizardWindow::makeVisible() {
  if (hwnd_ && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
}

void Win32WizardWindow::refresh() {
  // Paints and the system's own messages go through; clicks and keys are dropped, so nothing
  // the user does reaches Form1 while a handler is still running. The close box still asks
  // Form1 (through WM_CLOSE), which keeps the window open during the installation.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (isUserInput(msg.message)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (hwnd_) UpdateWindow(hwnd_);
}

void Win32WizardWindow::setInterval(int milliseconds) {
  if (!hwnd_) return;
  if (milliseconds > 0)
    SetTimer(hwnd_, kTimerId, static_cast<UINT>(milliseconds), nullptr);
  else
    KillTimer(hwnd_, kTimerId);
}

void Win32WizardWindow::dispatch(const std::function<void()>& handler) {
  if (!form_ || ending_) return;
  if (std::optional<int> end = runEvent(boxes_, handler)) endProgram(*end);
}

void Win32WizardWindow::endProgram(int exitCode) {
  if (ending_) return;
  ending_ = true;
  exitCode_ = exitCode;
  if (hwnd_) {
    KillTimer(hwnd_, kTimerId);
    DestroyWindow(hwnd_);
  }
}

void Win32WizardWindow::onClose() {
  if (!form_ || ending_) return;
  std::int16_t cancel = 0;
  if (std::optional<int> end = runEvent(boxes_, [&] { form_->Form_Unload(cancel); }))
    endProgram(*end);
  else if (cancel == 0)
    endProgram(form_->closeExitCode());
}

void Win32WizardWindow::onCommand(int id, int code) {
  Form1& form = *form_;
  if (id == controlId(ControlId::Command2) && code == BN_CLICKED) {
    dispatch([&] { form.Command2_Click(); });
  } else if (id == controlId(ControlId::Command3) && code == BN_CLICKED) {
    dispatch([&] { form.Command3_Click(); });
  } else if (id == controlId(ControlId::Drive1) && code == CBN_SELCHANGE) {
    LRESULT index = SendMessageW(drive1_.hwnd(), CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) dispatch([&] { form.Drive1_Change(static_cast<std::size_t>(index)); });
  } else if (id == controlId(ControlId::Dir1) && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
    int row = dir1_.selectedRow();
    if (row < 0) return;
    if (code == LBN_SELCHANGE)
      dispatch([&] { form.Dir1_Highlight(static_cast<std::size_t>(row)); });
    else
      dispatch([&] { form.Dir1_Open(static_cast<std::size_t>(row)); });
  }
}

LRESULT Win32WizardWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (form_ && !ending_) onCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (static_cast<int>(wp) != controlId(ControlId::Dir1)) break;
      dir1_.drawItem(*item, dpi_);
      return TRUE;
    }
    case WM_TIMER:
      if (wp == kTimerId && form_) dispatch([this] { form_->Timer1_Timer(); });
      return 0;
    case WM_CLOSE:
      onClose();
      return 0;
    case WM_ACTIVATE:
      // As in a dialog, the focus comes back to the control that had it (after a message box,
      // too), not to the window itself, where no key would reach a button.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
      } else if (!HIWORD(wp)) {
        HWND to = focus_ && IsWindow(focus_) ? focus_ : command2_.hwnd();
        SetFocus(IsWindowEnabled(to) && IsWindowVisible(to) ? to : hwnd_);
      }
      return 0;
    case 0x02E0: {  // WM_DPICHANGED: the window moved to a screen of another density
      dpi_ = HIWORD(wp);
      placeControls(dpi_);
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SIZE outer = outerSizeFor(twipsToPixels(kClientWidthTwips, dpi_),
                                twipsToPixels(kClientHeightTwips, dpi_), kWindowStyle,
                                WS_EX_CONTROLPARENT, dpi_);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(exitCode_);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32WizardWindow::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32WizardWindow*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32WizardWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->handle(hwnd, msg, wp, lp);
  } catch (...) {
    // runEvent() already stops everything Form1 throws; this stops what the window's own
    // drawing and placing might.
    self->endProgram(1);
    return 0;
  }
}

}  // namespace tamberlin
