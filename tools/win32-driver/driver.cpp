// win32-driver: drives the unmodified wizard from outside, as a user would, for the smoke test
// under Wine (tools/windows-smoke.sh). It finds the window by its caption, reads labels and
// message boxes with WM_GETTEXT, presses buttons with BM_CLICK or with Tab and Return on the
// focused one, and opens folders in the folder list by double click and Enter. It never touches the
// wizard's code or files.
//
//   win32-driver WIZARD_EXE MOD_DIR GAME_DIR ELEVATED_GAME_DIR EMPTY_DIR SHOTS_DIR [CAPTION]
//
// Runs four sessions: a start-up failure (in EMPTY_DIR); the close question answered No then
// Yes, in a wizard started as Explorer starts it with a file dropped on it; a whole
// installation into GAME_DIR; and one into ELEVATED_GAME_DIR by a wizard that plays a limited
// user (the test hook TAMBERLIN_TEST_LIMITED_USER), so that "Next >" starts the elevated copy,
// which must open on the installation page and install while the first one waits hidden and
// then ends with the copy's exit code. For each page it asks the smoke script for a screenshot
// by creating SHOTS_DIR\NAME.want and waiting for SHOTS_DIR\NAME.png. Prints what it checks;
// the last line is "driver: ok" or "driver: FAILED: why". Exit 0 only on success.
//
// With CAPTION, only the installation, of a mod saved in another code page: line 5 of its
// text.cfg, decoded in the ANSI code page, must read as CAPTION, and the wizard's window must
// bear it.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "remote.h"

namespace driver {
namespace {

struct Failure {
  std::string what;
};

void check(bool ok, const std::string& what) {
  if (!ok) throw Failure{what};
  std::printf("  ok: %s\n", what.c_str());
  std::fflush(stdout);
}

/// Polls `done` every 50 ms for up to `seconds`.
void waitFor(const std::function<bool()>& done, double seconds, const std::string& what) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  while (!done()) {
    if (static_cast<LONG>(GetTickCount() - end) > 0) throw Failure{"timed out waiting for " + what};
    Sleep(50);
  }
}

/// Texts as the wizard's files write them (a lone CR between lines) and as windows return
/// them (CR LF) compare alike.
std::string lines(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at + 1, 1);
  return text;
}

/// Bytes in the ANSI code page (GetACP), as UTF-8.
std::string fromAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
  return narrow(wide);
}

std::vector<std::string> readTextCfg(const std::wstring& modDir) {
  std::vector<std::string> out;
  HANDLE h = CreateFileW((modDir + L"\\text.cfg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw Failure{"cannot read the mod's text.cfg"};
  std::string bytes(65536, '\0');
  DWORD got = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(h);
  bytes.resize(got);
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      out.push_back(line);
      line.clear();
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += bytes[i];
    }
  }
  if (!line.empty()) out.push_back(line);
  if (out.size() < 5) throw Failure{"the mod's text.cfg has fewer than five lines"};
  for (std::string& text : out) text = fromAnsi(text);
  return out;
}

/// True for the button a dialog presses on Enter: it is drawn with the default frame.
bool isDefaultButton(HWND button) {
  LONG style = GetWindowLongW(button, GWL_STYLE);
  return button && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

struct Box {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
};

/// True when the box is wide enough for its whole title and the close button beside it, with
/// as much again to spare for the frame.
bool fitsTitle(const Box& b) {
  RECT r;
  GetWindowRect(b.hwnd, &r);
  return r.right - r.left >= titleTextWidth(b.hwnd) + 2 * GetSystemMetrics(SM_CXSIZE);
}

/// Waits until `control` has the keyboard focus of its window.
void waitForFocus(HWND window, HWND control, const std::string& what) {
  waitFor([&] { return focusedWindow(window) == control; }, 10, what);
}

/// How the driver starts a wizard.
struct Launch {
  std::wstring arguments;    ///< after the program's name; empty for none
  bool asExplorer = false;   ///< no console and no standard handles, as from Explorer
  bool limitedUser = false;  ///< with the test hook that plays a limited user
};

/// A started wizard, or one found running (the elevated copy).
class Wizard {
 public:
  Wizard(const std::wstring& exe, const std::wstring& folder, const Launch& launch = {}) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!launch.arguments.empty()) commandLine += L" " + launch.arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    DWORD flags = 0;
    if (launch.asExplorer) {
      flags = DETACHED_PROCESS;
      si.dwFlags = STARTF_USESTDHANDLES;  // all three null
    }
    if (launch.limitedUser) SetEnvironmentVariableW(L"TAMBERLIN_TEST_LIMITED_USER", L"1");
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                             nullptr, folder.c_str(), &si, &pi);
    SetEnvironmentVariableW(L"TAMBERLIN_TEST_LIMITED_USER", nullptr);
    if (!ok) throw Failure{"cannot start the wizard"};
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    WaitForInputIdle(process_, 10000);
  }
  explicit Wizard(DWORD pid)
      : process_(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid)),
        pid_(pid) {
    if (!process_) throw Failure{"cannot open the process of the elevated copy"};
  }
  ~Wizard() {
    if (running()) TerminateProcess(process_, 99);
    CloseHandle(process_);
  }
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  DWORD pid() const { return pid_; }

  bool running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  DWORD exitCode(double seconds) const {
    waitFor([&] { return !running(); }, seconds, "the wizard to end");
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

  /// The wizard's window, found by its caption.
  HWND window(const std::string& caption) const {
    HWND found = nullptr;
    waitFor(
        [&] {
          for (HWND h : topWindows(pid_, ""))
            if (className(h) != "#32770" && windowText(h) == caption) found = h;
          return found != nullptr;
        },
        20, "the window \"" + caption + "\"");
    return found;
  }

  /// The message box the wizard shows next.
  Box box(double seconds = 20) const {
    Box b;
    waitFor(
        [&] {
          std::vector<HWND> boxes = topWindows(pid_, "#32770");
          if (boxes.empty()) return false;
          b.hwnd = boxes.front();
          return true;
        },
        seconds, "a message box");
    b.title = windowText(b.hwnd);
    HWND text = GetDlgItem(b.hwnd, 0xFFFF);  // a message box's text control
    b.text = lines(text ? windowText(text) : std::string());
    std::printf("  box [%s] %s\n", b.title.c_str(), b.text.c_str());
    return b;
  }

  bool hasBox() const { return !topWindows(pid_, "#32770").empty(); }

  void answer(const Box& b, int button) const {
    HWND h = GetDlgItem(b.hwnd, button);
    check(h != nullptr, "the box has the button it needs");
    press(h);
    waitFor([&] { return !IsWindow(b.hwnd) || !IsWindowVisible(b.hwnd); }, 10, "the box to close");
  }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

/// The wizard window with `caption` of a process other than `notPid`, once one is shown.
DWORD otherWizard(const std::string& caption, DWORD notPid) {
  DWORD found = 0;
  waitFor(
      [&] {
        for (HWND h : topWindows(0, ""))
          if (className(h) != "#32770" && windowText(h) == caption) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid != notPid) found = pid;
          }
        return found != 0;
      },
      30, "the elevated copy's window");
  return found;
}

class Session {
 public:
  Session(std::wstring exe, std::wstring mod, std::wstring game, std::wstring elevatedGame,
          std::wstring empty, std::wstring shots)
      : exe_(std::move(exe)),
        mod_(std::move(mod)),
        game_(std::move(game)),
        elevatedGame_(std::move(elevatedGame)),
        empty_(std::move(empty)),
        shots_(std::move(shots)),
        texts_(readTextCfg(mod_)) {}

  void startupFailure();
  void closeQuestion();
  void installation();
  void elevatedInstallation();
  void captionReads(const std::string& caption);

 private:
  void shot(const std::string& name);
  std::vector<Child> labels(HWND window) const;
  bool labelShown(HWND window, const std::string& text) const;
  HWND button(HWND window, const std::string& text) const;
  HWND folderList(HWND window) const;
  void openGameFolder(const Wizard& wizard, HWND window, const std::wstring& game);
  HWND toGameFolder(const Wizard& wizard, const std::wstring& game, bool shots);
  void answerInstallation(const Wizard& wizard, bool shots,
                          const std::function<void(const Box&)>& atComplete = {});

  std::wstring exe_, mod_, game_, elevatedGame_, empty_, shots_;
  std::vector<std::string> texts_;
};

void Session::shot(const std::string& name) {
  if (shots_.empty()) return;
  std::wstring want = shots_ + L"\\" + widen(name) + L".want";
  std::wstring png = shots_ + L"\\" + widen(name) + L".png";
  Sleep(300);  // let the window finish painting
  HANDLE h = CreateFileW(want.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  waitFor([&] { return GetFileAttributesW(png.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20,
          "the screenshot " + name);
  std::printf("  screenshot %s\n", name.c_str());
}

std::vector<Child> Session::labels(HWND window) const {
  std::vector<Child> out;
  for (const Child& c : children(window))
    if (c.visible && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, c.className.c_str(), -1,
                                    "Static", -1) == CSTR_EQUAL)
      out.push_back(c);
  return out;
}

bool Session::labelShown(HWND window, const std::string& text) const {
  for (const Child& c : labels(window))
    if (lines(c.text) == text) return true;
  return false;
}

HWND Session::button(HWND window, const std::string& text) const {
  HWND h = findChild(window, "Button", text);
  check(h != nullptr, "the button \"" + text + "\" is shown");
  return h;
}

HWND Session::folderList(HWND window) const {
  for (const Child& c : children(window))
    if (c.visible && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, c.className.c_str(), -1,
                                    "ListBox", -1) == CSTR_EQUAL)
      return c.hwnd;
  throw Failure{"no folder list on the folder page"};
}

void Session::startupFailure() {
  std::printf("session: start-up without image.jpg\n");
  Wizard wizard(exe_, empty_);
  Box b = wizard.box();
  check(b.title == "Tamberlin", "the box has the application title");
  check(b.text == "Error with image.jpg load process. Ending...", "the image.jpg message");
  wizard.answer(b, IDOK);
  check(wizard.exitCode(10) == 1, "the program ends with exit code 1");
}

void Session::closeQuestion() {
  std::printf("session: the close question, in a wizard started by Explorer with a file\n");
  Launch dropped;
  dropped.arguments = L"\"" + mod_ + L"\\readme.txt\"";
  dropped.asExplorer = true;
  Wizard wizard(exe_, mod_, dropped);
  HWND window = wizard.window(texts_[4]);
  check(true, "a file passed by Explorer starts the wizard");
  // A wizard started from Explorer has no keyboard focus to start with; Return on the focused
  // button is checked in the installation session.
  HWND cancel = button(window, "Cancel");
  press(cancel);
  Box b = wizard.box();
  check(b.title == "Installation Cancel", "\"Cancel\" asks the question");
  check(fitsTitle(b), "the question's box is as wide as its title");
  check(b.text ==
            "Installation is not complete.\rYou can however run this program again to finish "
            "installation\rDo you wish to cancel?",
        "the question's three lines");
  check(isDefaultButton(GetDlgItem(b.hwnd, IDYES)) && !isDefaultButton(GetDlgItem(b.hwnd, IDNO)),
        "Yes is the default button");
  wizard.answer(b, IDNO);
  Sleep(300);
  check(wizard.running() && IsWindowVisible(window), "No keeps the window open");
  check(labelShown(window, texts_[0]), "on the page it showed");
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
  b = wizard.box();
  check(b.title == "Installation Cancel", "the close box asks the same question");
  wizard.answer(b, IDYES);
  check(wizard.exitCode(10) == 3, "Yes ends the program (exit code 3)");
}

void Session::openGameFolder(const Wizard& wizard, HWND window, const std::wstring& gameDir) {
  // From the root down, one folder opened at a time, as a user would click through.
  std::vector<std::string> path;
  std::string game = narrow(gameDir), part;
  for (char c : game + "\\") {
    if (c == '\\' && !part.empty()) {
      path.push_back(path.empty() ? part + "\\" : part);
      part.clear();
    } else if (c != '\\') {
      part += c;
    }
  }
  HWND list = folderList(window);
  auto rowOf = [&](const std::string& name, std::size_t from) {
    std::vector<std::string> rows = listRows(list);
    for (std::size_t i = from; i < rows.size(); ++i)
      if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, rows[i].c_str(), -1, name.c_str(),
                         -1) == CSTR_EQUAL)
        return static_cast<int>(i);
    return -1;
  };
  auto openRow = [&](std::size_t depth, bool byEnter) {
    int row = -1;
    waitFor([&] { return (row = rowOf(path[depth], depth)) >= 0; }, 10, "the row " + path[depth]);
    std::vector<std::string> before = listRows(list);
    if (byEnter)
      pressEnterOnRow(list, row);
    else
      doubleClickRow(list, row);
    waitFor(
        [&] {
          std::vector<std::string> rows = listRows(list);
          return rows != before && rows.size() > depth && rowOf(path[depth], depth) == int(depth);
        },
        10, "the folder " + path[depth] + " to open");
  };
  for (std::size_t depth = 0; depth + 1 < path.size(); ++depth) openRow(depth, depth == 1);
  check(true, "opened the game folder's parent by double click and Enter");

  // Only highlighted, the game folder is not the current folder: the check fails.
  std::size_t last = path.size() - 1;
  int row = rowOf(path[last], last);
  check(row >= 0, "the game folder is listed");
  clickRow(list, row);
  Sleep(200);
  press(button(window, "Next >"));
  Box b = wizard.box();
  check(b.text == "GTA San Andreas Installalation not detected at z:",
        "a highlighted folder is not taken");
  wizard.answer(b, IDOK);
  openRow(last, false);
}

/// From the welcome page to the folder page opened on `game`, checking each page on the way.
HWND Session::toGameFolder(const Wizard& wizard, const std::wstring& game, bool shots) {
  HWND window = wizard.window(texts_[4]);
  check(true, "the caption is line 5 of text.cfg");
  check(labelShown(window, texts_[0]), "the welcome title");
  check(labelShown(window, texts_[1] + "\r\rClick Next to continue"), "the welcome text");
  LONG style = GetWindowLongW(window, GWL_STYLE);
  check((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0, "a fixed frame without maximize button");
  HWND start = button(window, "Next >");
  waitForFocus(window, start, "the focus on \"Next >\"");
  check(isDefaultButton(start), "the focus starts on \"Next >\", drawn as the default button");
  if (shots) shot("1-welcome");

  pressKey(start, VK_RETURN);  // Return presses the focused button
  waitFor([&] { return labelShown(window, "GTA San Andreas Install Location"); }, 10,
          "the folder page");
  check(labelShown(window,
                   "Please locate your GTA San Andreas Install, normally in C:/program "
                   "files/rockstar games/gta san andreas"),
        "the folder page's text");
  check(labelShown(window, "Folder:") && labelShown(window, "Drive:"), "the lists' labels");
  if (shots) shot("2-folder");

  press(button(window, "Next >"));  // still in the mod's own folder
  Box b = wizard.box();
  check(b.title == "Tamberlin" && b.text == "GTA San Andreas Installalation not detected at z:",
        "the mod's folder is not a game folder");
  wizard.answer(b, IDOK);

  openGameFolder(wizard, window, game);
  if (shots) shot("3-game-folder");
  return window;
}

/// Answers the installation's boxes until "Installation Complete" (`atComplete` runs while
/// that box is open), which must come.
void Session::answerInstallation(const Wizard& wizard, bool shots,
                                 const std::function<void(const Box&)>& atComplete) {
  bool complete = false, first = true;
  while (wizard.running() && !complete) {
    if (!wizard.hasBox()) {
      Sleep(50);
      continue;
    }
    Box b = wizard.box();
    if (b.title == "Veldra") {
      wizard.answer(b, IDNO);
      throw Failure{"the archive engine reported an error: " + b.text};
    }
    if (first && shots) shot("4-installing");
    first = false;
    check(fitsTitle(b), "the box is as wide as its title");
    complete = b.text == "Installation Complete";
    if (complete && shots) shot("5-complete");
    if (complete && atComplete) atComplete(b);
    wizard.answer(b, IDOK);
  }
  check(complete, "\"Installation Complete\" was shown");
  check(wizard.exitCode(20) == 0, "the program ends with exit code 0");
}

void Session::installation() {
  std::printf("session: installation\n");
  Wizard wizard(exe_, mod_);
  HWND window = toGameFolder(wizard, game_, true);
  HWND next = button(window, "Next >");
  HWND cancel = button(window, "Cancel");
  press(next);
  waitFor([&] { return !IsWindowEnabled(next) || !wizard.running(); }, 10, "the install page");
  check(!IsWindowEnabled(next) && !IsWindowEnabled(cancel), "both buttons disabled");
  answerInstallation(wizard, true);
}

void Session::elevatedInstallation() {
  std::printf("session: installation through the elevated copy\n");
  Launch limited;
  limited.limitedUser = true;
  Wizard first(exe_, mod_, limited);
  HWND window = toGameFolder(first, elevatedGame_, false);
  press(button(window, "Next >"));
  Wizard copy(otherWizard(texts_[4], first.pid()));
  HWND copyWindow = copy.window(texts_[4]);
  check(true, "the elevated copy's window is shown");
  check(first.running() && !IsWindowVisible(window), "the first wizard waits, hidden");
  // The copy shows the installation page straight away; the page's text soon gives way to the
  // status line.
  check(labelShown(copyWindow, texts_[2]), "the copy shows the installation page's title");
  HWND next = findChild(copyWindow, "Button", "Next >");
  HWND cancel = findChild(copyWindow, "Button", "Cancel");
  check(next && cancel && !IsWindowEnabled(next) && !IsWindowEnabled(cancel),
        "the copy's buttons are disabled");
  shot("6-elevated-copy");
  answerInstallation(copy, false, [&](const Box&) {
    check(first.running(), "the first wizard is still waiting at the end");
  });
  check(first.exitCode(20) == 0, "the first wizard ends with the copy's exit code, 0");
}

void Session::captionReads(const std::string& caption) {
  std::printf("session: a mod in code page %u\n", GetACP());
  check(texts_[4] == caption, "line 5 of text.cfg reads as \"" + caption + "\"");
}

}  // namespace
}  // namespace driver

int wmain(int argc, wchar_t** argv) {
  using namespace driver;
  if (argc != 7 && argc != 8) {
    std::fprintf(stderr,
                 "usage: win32-driver WIZARD_EXE MOD_DIR GAME_DIR ELEVATED_GAME_DIR EMPTY_DIR "
                 "SHOTS_DIR [CAPTION]\n");
    return 2;
  }
  try {
    Session session(argv[1], argv[2], argv[3], argv[4], argv[5], argv[6]);
    if (argc == 8) {
      session.captionReads(narrow(argv[7]));
      session.installation();
      std::printf("driver: ok\n");
      return 0;
    }
    session.startupFailure();
    session.closeQuestion();
    session.installation();
    session.elevatedInstallation();
  } catch (const Failure& f) {
    std::printf("driver: FAILED: %s\n", f.what.c_str());
    return 1;
  }
  std::printf("driver: ok\n");
  return 0;
}
