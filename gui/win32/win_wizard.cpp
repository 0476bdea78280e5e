#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <ole2.h>

#include <cctype>
#include <utility>

#include "gui/gui.h"
#include "gui/win32/win_elevator.h"
#include "gui/win32/win_message_boxes.h"
#include "gui/win32/win_png.h"
#include "gui/win32/win_wizard_window.h"
#include "installscript/read_only_file_system.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/text_writer.h"
#include "platform/win32/wide_text.h"
#include "wizard/form1.h"

namespace tamberlin {
namespace {

/// The drive list: every drive the system has, as "c:" with the drive's root as its folder.
std::vector<DriveItem> windowsDrives() {
  std::vector<DriveItem> drives;
  wchar_t buffer[512];
  DWORD n = GetLogicalDriveStringsW(sizeof buffer / sizeof buffer[0], buffer);
  if (n == 0 || n >= sizeof buffer / sizeof buffer[0]) return drives;
  for (const wchar_t* p = buffer; *p; p += wcslen(p) + 1) {
    std::string root = wideToUtf8(p);
    if (root.size() < 2 || root[1] != ':') continue;
    std::string text{static_cast<char>(std::tolower(static_cast<unsigned char>(root[0]))), ':'};
    drives.push_back({text, root});
  }
  return drives;
}

/// True on 64-bit Windows, also for this program's 32-bit build.
bool on64BitWindows() {
#ifdef _WIN64
  return true;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

/// Boxes of a run without a user: the text goes to stderr and the answer is the default one.
class PrintedBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    standardErr() << "[" << box.title << "] " << box.text << "\n";
    if (box.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return box.defaultNo ? MsgAnswer::No : MsgAnswer::Yes;
  }
};

class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool ok_;
};

}  // namespace

int runWizard(const WizardStart& start) {
  // The elevated copy may have been started in the system's folder: its files are in the mod's.
  if (!start.gameFolder.empty()) SetCurrentDirectoryW(utf8ToWide(start.modFolder).c_str());
  Win32MessageBoxes boxes;
  OleSession ole;  // the picture loader is an OLE service
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  Win32WizardWindow window(GetModuleHandleW(nullptr), boxes);
  if (!window.create()) {
    boxes.show({"The wizard's window could not be created.", kAppTitle, MsgButtons::Ok,
                MsgIcon::None, false});
    return kExitFailed;
  }
  boxes.setOwner(window.hwnd());
  Win32Elevator elevator(window.hwnd());
  Form1 form(window, programFileSystem(), boxes,
             Form1Setup{windowsDrives(), std::string(), &elevator, on64BitWindows()});
  if (start.gameFolder.empty()) return window.run(form);
  return window.run(form, [&] { form.openInstallPage(start.gameFolder); });
}

int renderWizardPage(const std::string& page, const std::string& pngPath) {
  if (page != "welcome" && page != "folder" && page != "install") {
    standardErr() << "tamberlin: unknown page '" << page << "' (welcome, folder or install)\n";
    return 2;
  }
  OleSession ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  PrintedBoxes boxes;
  Win32WizardWindow window(GetModuleHandleW(nullptr), boxes);
  if (!window.create()) {
    standardErr() << "tamberlin: the wizard's window could not be created\n";
    return 1;
  }
  Form1Setup setup{windowsDrives(), std::string(), nullptr, on64BitWindows()};
  Form1 form(window, realFileSystem(), boxes, std::move(setup));
  if (std::optional<int> end = window.load(form)) {
    standardErr() << "tamberlin: the wizard ended at start-up (exit code " << *end << ")\n";
    return 1;
  }
  if (page != "welcome") {
    std::int16_t folderPage = 1;
    form.PageChange(folderPage);
  }
  if (page == "install") {
    // The page as it is when the installation starts; the timer never runs here.
    std::int16_t installPage = 3;
    form.PageChange(installPage);
    window.setInterval(0);
  }
  HBITMAP shot = window.showAndPaint() ? captureClientArea(window.hwnd()) : nullptr;
  bool written = shot && writePng(shot, utf8ToWide(pngPath));
  if (shot) DeleteObject(shot);
  if (!written) {
    standardErr() << "tamberlin: cannot write " << pngPath << "\n";
    return 1;
  }
  return 0;
}

}  // namespace tamberlin
