#include "gui/win32/win_elevator.h"

#include <shellapi.h>

#include <string>

#include "platform/ansi.h"
#include "platform/elevation.h"

namespace tamberlin {
namespace {

std::wstring thisProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

/// The limited-user test hook is not passed on: the elevated copy plays no one.
class TestHookWithheld {
 public:
  TestHookWithheld() : name_(utf8ToWide(kLimitedUserVariable)) {
    DWORD n = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
    if (n == 0) return;
    value_.resize(n);
    n = GetEnvironmentVariableW(name_.c_str(), value_.data(), n);
    value_.resize(n);
    had_ = true;
    SetEnvironmentVariableW(name_.c_str(), nullptr);
  }
  ~TestHookWithheld() {
    if (had_) SetEnvironmentVariableW(name_.c_str(), value_.c_str());
  }
  TestHookWithheld(const TestHookWithheld&) = delete;
  TestHookWithheld& operator=(const TestHookWithheld&) = delete;

 private:
  std::wstring name_, value_;
  bool had_ = false;
};

bool isUserInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST);
}

/// Waits for `process` to end while this thread goes on answering the system (paints, and
/// messages other programs send to every window); clicks and keys are dropped. False when the
/// wait itself failed.
bool waitAnswering(HANDLE process) {
  bool quit = false;
  WPARAM quitCode = 0;
  bool ended = false;
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
      } else if (!isUserInput(msg.message)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return ended;
}

}  // namespace

bool Win32Elevator::isElevated() {
  return processIsElevated();
}

ElevatedRun Win32Elevator::runElevated(const std::string& gameFolder,
                                       const std::string& modFolder) {
  const std::wstring program = thisProgram();
  const std::wstring parameters = utf8ToWide(elevatedParameters(gameFolder, modFolder));
  const std::wstring folder = utf8ToWide(modFolder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The process handle to wait on; the program's own messages instead of the shell's.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner_;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  BOOL started;
  {
    TestHookWithheld withheld;
    started = ShellExecuteExW(&info);
  }
  if (!started) {
    DWORD e = GetLastError();
    if (e == ERROR_CANCELLED) return {ElevatedRun::Declined, 0, e};
    return {ElevatedRun::Failed, 0, e};
  }
  if (!info.hProcess) return {ElevatedRun::Failed, 0, ERROR_INVALID_HANDLE};
  if (owner_) ShowWindow(owner_, SW_HIDE);
  bool ended = waitAnswering(info.hProcess);
  DWORD code = 0;
  if (!ended || !GetExitCodeProcess(info.hProcess, &code)) {
    DWORD e = GetLastError();
    CloseHandle(info.hProcess);
    return {ElevatedRun::Failed, 0, e};
  }
  CloseHandle(info.hProcess);
  return {ElevatedRun::Ended, static_cast<int>(code), 0};
}

}  // namespace tamberlin
