#include "wizard/form1.h"

#include <utility>

#include "installscript/game_folder.h"
#include "installscript/write_probe.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "wizard/event_guard.h"
#include "wizard/layout.h"
#include "wizard/separator.h"

namespace tamberlin {

const char* const kCancelQuestion =
    "Installation is not complete.\rYou can however run this program again to finish "
    "installation\rDo you wish to cancel?";
const char* const kNotDetectedPrefix = "GTA San Andreas Installalation not detected at ";

namespace {

const char* const kFolderTitle = "GTA San Andreas Install Location";
const char* const kFolderText =
    "Please locate your GTA San Andreas Install, normally in C:/program files/rockstar "
    "games/gta san andreas";
const char* const kImageError = "Error with image.jpg load process. Ending...";
const char* const kTextError = "Error with text.cfg load process. Ending...";

std::vector<std::string> driveTexts(const std::vector<DriveItem>& drives) {
  std::vector<std::string> texts;
  for (const DriveItem& d : drives) texts.push_back(d.text);
  return texts;
}

}  // namespace

Form1::Form1(Form1View& view, FileSystem& fs, MessageBoxes& boxes, Form1Setup setup)
    : Form1Install(fs, boxes, *this, *this),
      Drive1(std::move(setup.drives)),
      Dir1(fs),
      File1(fs),
      view_(view),
      winePrefix_(std::move(setup.winePrefix)),
      elevator_(setup.elevator),
      programFilesX86_(setup.programFilesX86) {}

const std::string& Form1::driveText() const {
  static const std::string none;
  return Drive1Index < Drive1.size() ? Drive1[Drive1Index].text : none;
}

void Form1::initControls() {
  view_.Label3().setText(kCreditsText);
  view_.Label4().setText("Drive:");
  view_.Label5().setText("Folder:");
  view_.Command2().setText("Next >");
  view_.Command3().setText("Cancel");
  view_.Label4().setVisible(false);
  view_.Label5().setVisible(false);
  view_.Drive1().setVisible(false);
  view_.Dir1().setVisible(false);
  view_.ProgressBar1().setVisible(false);
  view_.Timer1().setInterval(0);
  view_.Image1().showPixels(kSeparatorWidthPx, kSeparatorHeightPx, separatorPixels());
}

void Form1::Form_Load() {
  initControls();
  std::string startFolder = fs_.currentDir();
  Dir1.open(startFolder);
  Drive1Index = driveOf(Drive1, Dir1.path().empty() ? startFolder : Dir1.path());
  view_.Drive1().setDrives(driveTexts(Drive1), Drive1Index);
  InitialDrive = driveText();

  imageloadA();
  textcfgloadA();
  view_.window().setCaption(TextL5);
  view_.Label1().setText(TextL1);
  view_.Label2().setText(TextL2 + "\r\rClick Next to continue");
}

void Form1::failStartup(const std::string& message) {
  boxes_.show({message, kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
  throw ProgramEnd{kExitFailed};
}

void Form1::imageloadA() {
  std::string bytes;
  try {
    bytes = readWholeFile(fs_, "image.jpg");
  } catch (const RuntimeError&) {
    failStartup(kImageError);
  }
  if (!view_.Image2().showStretched(bytes)) failStartup(kImageError);
}

void Form1::textcfgloadA() {
  std::vector<std::string> lines;
  try {
    lines = readTextLines(fs_, "text.cfg");
  } catch (const RuntimeError&) {
    failStartup(kTextError);
  }
  // Groups of five; the end is tested only before a group, so a short group is a failure and
  // the last whole group wins.
  std::string* texts[] = {&TextL1, &TextL2, &TextL3, &TextL4, &TextL5};
  std::size_t next = 0;
  while (next < lines.size()) {
    for (std::string* text : texts) {
      if (next >= lines.size()) failStartup(kTextError);
      *text = lines[next++];
    }
  }
}

void Form1::showDirList() {
  view_.Dir1().setRows(Dir1.rows(), Dir1.highlighted());
}

void Form1::PageChange(std::int16_t& PageOn) {
  PageOnVar = PageOn;
  if (PageOn == 1) PageOn = 2;
  if (PageOn == 2) {
    for (std::size_t i = 0; i < Drive1.size(); ++i)
      if (Drive1[i].text == InitialDrive) Drive1Index = i;
    view_.Drive1().setDrives(driveTexts(Drive1), Drive1Index);
    view_.Label1().setText(kFolderTitle);
    view_.Label2().setText(kFolderText);
    view_.Dir1().setVisible(true);
    view_.Label5().setVisible(true);
    view_.Label4().setVisible(true);
    view_.Drive1().setVisible(true);
    // The game's usual home first; a folder that is not there leaves the list where it was.
    for (const std::string& folder :
         gameFolderCandidates(driveText(), winePrefix_, programFilesX86_))
      if (Dir1.open(folder)) break;
    showDirList();
  }
  if (PageOn == 3) {
    view_.Command2().setEnabled(false);
    view_.Command3().setEnabled(false);
    view_.Label1().setText(TextL3);
    view_.Label2().setText(TextL4);
    view_.Dir1().setVisible(false);
    view_.Drive1().setVisible(false);
    view_.Label4().setVisible(false);
    view_.Label5().setVisible(false);
    permille_ = -1;
    showProgress(0);
    view_.ProgressBar1().setVisible(true);
    view_.Timer1().setInterval(10);
  }
}

void Form1::Command2_Click() {
  if (busy()) return;
  if (PageOnVar == 0) {
    std::int16_t page = 1;
    PageChange(page);
  } else if (PageOnVar == 1) {
    File1.setPath(Dir1.path());
    File1.setPattern(kGameProgram);
    std::string first = File1.items().empty() ? std::string() : File1.items().front();
    if (first != kGameProgram) {
      boxes_.show(
          {kNotDetectedPrefix + driveText(), kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
    } else if (mayChange(File1.path())) {
      saPath = File1.path();
      std::int16_t page = 3;
      PageChange(page);
    }
  }
}

bool Form1::mayChange(const std::string& gameFolder) {
  // While the elevated copy runs, this window acts on nothing the user does.
  struct Elevating {
    bool& flag;
    explicit Elevating(bool& f) : flag(f) { flag = true; }
    ~Elevating() { flag = false; }
  };
  FolderDecision decision;
  {
    Elevating during(elevating_);
    decision = decideGameFolder(fs_, elevator_, gameFolder, fs_.currentDir());
  }
  if (decision.kind == FolderDecision::Ended) throw ProgramEnd{decision.exitCode};
  if (decision.kind == FolderDecision::Install) return true;
  view_.window().makeVisible();
  boxes_.show({decision.message, kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
  return false;
}

void Form1::openInstallPage(const std::string& gameFolder) {
  if (probeGameFolder(fs_, gameFolder) == FolderAccess::Denied) throw ProgramEnd{kExitNeedsAdmin};
  saPath = gameFolder;
  std::int16_t page = 3;
  PageChange(page);
}

void Form1::Command3_Click() {
  if (busy()) return;
  view_.window().requestClose();
}

void Form1::Form_Unload(std::int16_t& Cancel) {
  // While the installation runs, here or in the elevated copy, nothing closes the window: the
  // program ends when it stops.
  if (busy()) {
    Cancel = 1;
    return;
  }
  if (forceCloseInt == 1) return;
  MsgAnswer answer = boxes_.show(
      {kCancelQuestion, "Installation Cancel", MsgButtons::YesNo, MsgIcon::None, false});
  if (answer != MsgAnswer::Yes) Cancel = 1;
}

void Form1::Timer1_Timer() {
  // One tick only: the timer is stopped before anything else, and a tick that comes while the
  // installation's message boxes are open does nothing.
  view_.Timer1().setInterval(0);
  if (installing_) return;
  installing_ = true;
  try {
    ImgInstall();
  } catch (const RuntimeError& e) {
    boxes_.show({runTimeErrorText(e), kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
    throw ProgramEnd{kExitFailed};
  }
  throw ProgramEnd{kExitInstalled};
}

void Form1::Drive1_Change(std::size_t index) {
  if (busy() || index >= Drive1.size()) return;
  Drive1Index = index;
  // A drive that is not ready leaves the folder list where it was.
  if (Dir1.open(Drive1[index].root)) showDirList();
}

void Form1::Dir1_Highlight(std::size_t row) {
  Dir1.highlight(row);
}

void Form1::Dir1_Open(std::size_t row) {
  if (busy()) return;
  Dir1.openRow(row);
  showDirList();
}

void Form1::setStatus(const std::string& text) {
  view_.Label2().setText(text);
  view_.window().refresh();
}

void Form1::showProgress(double linesDone) {
  int permille = 0;
  if (linesTotal_ > 0)
    permille = static_cast<int>(1000.0 * linesDone / static_cast<double>(linesTotal_));
  if (permille > 1000) permille = 1000;
  if (permille == permille_) return;
  permille_ = permille;
  view_.ProgressBar1().setPermille(permille);
  view_.window().refresh();
}

void Form1::copyProgress(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  showProgress(static_cast<double>(lineIndex_) +
               static_cast<double>(done) / static_cast<double>(total));
}

void Form1::setFocus() {
  view_.window().activate();
}

void Form1::makeVisible() {
  view_.window().makeVisible();
}

void Form1::lineStarted(std::size_t index, std::size_t total, const std::string& /*line*/) {
  linesTotal_ = total;
  lineIndex_ = index;
  showProgress(static_cast<double>(index));
}

void Form1::lineDone(std::size_t index, std::size_t total) {
  linesTotal_ = total;
  lineIndex_ = index + 1;
  showProgress(static_cast<double>(index + 1));
}

}  // namespace tamberlin
