#include "remote.h"

namespace driver {

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string windowText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return {};
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, 5000, &got))
    return {};
  buffer.resize(got);
  return narrow(buffer);
}

std::string className(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 127);
  return narrow(name);
}

namespace {

struct TopSearch {
  DWORD pid;
  std::string windowClass;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if ((search->pid == 0 || pid == search->pid) && IsWindowVisible(hwnd) &&
      (search->windowClass.empty() || className(hwnd) == search->windowClass))
    search->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM param) {
  auto* out = reinterpret_cast<std::vector<Child>*>(param);
  out->push_back({hwnd, className(hwnd), windowText(hwnd), IsWindowVisible(hwnd) != FALSE,
                  IsWindowEnabled(hwnd) != FALSE});
  return TRUE;
}

/// The client point at the middle of row `row`, as LPARAM for a mouse message.
LPARAM rowPoint(HWND listBox, int row) {
  LRESULT top = SendMessageW(listBox, LB_GETTOPINDEX, 0, 0);
  LRESULT height = SendMessageW(listBox, LB_GETITEMHEIGHT, 0, 0);
  if (row < top) {
    SendMessageW(listBox, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    top = row;
  }
  int y = static_cast<int>((row - top) * height + height / 2);
  return MAKELPARAM(20, y);
}

}  // namespace

std::vector<HWND> topWindows(DWORD pid, const std::string& windowClass) {
  TopSearch search{pid, windowClass, {}};
  EnumWindows(collectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<Child> children(HWND parent) {
  std::vector<Child> out;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND findChild(HWND parent, const std::string& windowClass, const std::string& text) {
  for (const Child& c : children(parent)) {
    bool sameClass = CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, c.className.c_str(), -1,
                                    windowClass.c_str(), -1) == CSTR_EQUAL;
    if (sameClass && c.visible && c.text == text) return c.hwnd;
  }
  return nullptr;
}

std::vector<std::string> listRows(HWND listBox) {
  std::vector<std::string> rows;
  LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    rows.push_back(narrow(text));
  }
  return rows;
}

void clickRow(HWND listBox, int row) {
  LPARAM at = rowPoint(listBox, row);
  PostMessageW(listBox, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(listBox, WM_LBUTTONUP, 0, at);
}

void doubleClickRow(HWND listBox, int row) {
  LPARAM at = rowPoint(listBox, row);
  PostMessageW(listBox, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(listBox, WM_LBUTTONUP, 0, at);
  PostMessageW(listBox, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(listBox, WM_LBUTTONUP, 0, at);
}

void pressEnterOnRow(HWND listBox, int row) {
  clickRow(listBox, row);
  PostMessageW(listBox, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(listBox, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
}

void press(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
}

void pressKey(HWND target, UINT virtualKey) {
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | scan);
  PostMessageW(target, WM_KEYUP, virtualKey, 1 | scan | (1u << 30) | (1u << 31));
}

HWND focusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

int titleTextWidth(HWND window) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  std::wstring title = widen(windowText(window));
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return size.cx;
}

}  // namespace driver
