#include "gui/qt/qt_wizard.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "gui/gui.h"
#include "gui/qt/qt_message_boxes.h"
#include "installscript/read_only_file_system.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "wizard/event_guard.h"

namespace tamberlin {

Form1Setup machineSetup() {
  std::ifstream mounts("/proc/self/mounts");
  std::stringstream text;
  text << mounts.rdbuf();
  const char* home = std::getenv("HOME");
  const char* prefix = std::getenv("WINEPREFIX");
  Form1Setup setup;
  setup.drives = posixDrives(mountPointsFromTable(text.str()), home ? home : "");
  if (prefix && *prefix)
    setup.winePrefix = prefix;
  else if (home && *home)
    setup.winePrefix = joinPath(home, ".wine");
  return setup;
}

QtWizard::QtWizard(FileSystem& fs, MessageBoxes& boxes, Form1Setup setup, double dpi)
    : boxes_(boxes), window_(boxes, dpi), form_(window_, fs, boxes, std::move(setup)) {
  window_.attach(form_);
}

std::optional<int> QtWizard::load() {
  // Not through the window's dispatch: no event loop runs yet, so the end is returned.
  return runEvent(boxes_, [this] { form_.Form_Load(); });
}

void QtWizard::show() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    window_.move(area.center() - window_.rect().center());
  }
  window_.show();
  window_.activateWindow();
  window_.widget(ControlId::Command2)->setFocus();
}

namespace {

/// QApplication wants argc and argv that outlive it.
int qtArgc = 1;
char qtProgramName[] = "tamberlin";
char* qtArgv[] = {qtProgramName, nullptr};

bool haveDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

/// Message boxes for a screenshot run: printed, never shown, answered as the cautious choice.
class PrintedBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    std::cerr << "[" << box.title << "] " << box.text << "\n";
    return box.buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
  }
};

}  // namespace

int runWizard(const WizardStart& start) {
  if (!haveDisplay()) {
    std::cerr << "tamberlin: no display to open the wizard's window on (DISPLAY and "
                 "WAYLAND_DISPLAY are not set).\nRun 'tamberlin install GAME_DIR' in the mod's "
                 "folder to install without a window.\n";
    return 1;
  }
  // The elevated copy's start: never on Linux, which has no elevation, but the same contract.
  if (!start.gameFolder.empty()) QDir::setCurrent(QString::fromStdString(start.modFolder));
  QApplication app(qtArgc, qtArgv);
  QApplication::setQuitOnLastWindowClosed(false);
  QtMessageBoxes boxes;
  QtWizard wizard(programFileSystem(), boxes, machineSetup());
  if (auto code = wizard.load()) return *code;
  if (!start.gameFolder.empty())
    if (auto code = runEvent(boxes, [&] { wizard.form().openInstallPage(start.gameFolder); }))
      return *code;
  boxes.setParent(&wizard.window());
  wizard.show();
  return QApplication::exec();
}

int renderWizardPage(const std::string& page, const std::string& pngPath) {
  if (page != "welcome" && page != "folder" && page != "install") {
    std::cerr << "tamberlin: unknown page '" << page << "' (welcome, folder or install)\n";
    return 2;
  }
  if (!haveDisplay()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(qtArgc, qtArgv);
  PrintedBoxes boxes;
  QtWizard wizard(realFileSystem(), boxes, machineSetup(), 96);
  if (auto code = wizard.load()) {
    std::cerr << "tamberlin: the wizard ended at start-up (exit code " << *code << ")\n";
    return 1;
  }
  Form1& form = wizard.form();
  if (page != "welcome") {
    std::int16_t folderPage = 1;
    form.PageChange(folderPage);
  }
  if (page == "install") {
    // The page as it is when the installation starts; the timer never runs here.
    std::int16_t installPage = 3;
    form.PageChange(installPage);
    wizard.window().Timer1().setInterval(0);
  }
  wizard.window().setAttribute(Qt::WA_DontShowOnScreen);
  wizard.show();
  QApplication::processEvents();
  QImage shot = wizard.window().grab().toImage();
  if (!shot.save(QString::fromStdString(pngPath), "PNG")) {
    std::cerr << "tamberlin: cannot write " << pngPath << "\n";
    return 1;
  }
  return 0;
}

}  // namespace tamberlin
