// Form1's logic driven through a fake view: start-up, pages, the game-folder check, the close
// question and the timer's installation, on real temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "installscript/read_only_file_system.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/fake_elevator.h"
#include "support/install_rig.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "wizard/event_guard.h"
#include "wizard/form1.h"
#include "wizard/layout.h"

namespace tamberlin {
namespace {

using test::CurrentDir;
using test::TempDir;
using test::writeBytes;
namespace stdfs = std::filesystem;

const std::string kJpegMagic = "\xFF\xD8\xFF";

struct FakeControl : TextControl {
  void setVisible(bool v) override { visible = v; }
  void setEnabled(bool e) override { enabled = e; }
  void setText(const std::string& t) override {
    text = t;
    history.push_back(t);
  }
  bool visible = true, enabled = true;
  std::string text;
  std::vector<std::string> history;
};

struct FakePicture : PictureControl {
  void setVisible(bool v) override { visible = v; }
  void setEnabled(bool) override {}
  bool showStretched(const std::string& bytes) override {
    if (bytes.compare(0, kJpegMagic.size(), kJpegMagic) != 0) return false;
    shown = bytes;
    return true;
  }
  void showPixels(int w, int h, const std::vector<std::uint8_t>& px) override {
    width = w;
    height = h;
    rgb = px;
  }
  bool visible = true;
  std::string shown;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

struct FakeDrives : DriveListControl {
  void setVisible(bool v) override { visible = v; }
  void setEnabled(bool) override {}
  void setDrives(const std::vector<std::string>& t, std::size_t c) override {
    texts = t;
    current = c;
  }
  bool visible = true;
  std::vector<std::string> texts;
  std::size_t current = 99;
};

struct FakeDirs : DirListControl {
  void setVisible(bool v) override { visible = v; }
  void setEnabled(bool) override {}
  void setRows(const std::vector<DirRow>& r, std::size_t h) override {
    rows = r;
    highlighted = h;
  }
  bool visible = true;
  std::vector<DirRow> rows;
  std::size_t highlighted = 0;
};

struct FakeProgress : ProgressControl {
  void setVisible(bool v) override { visible = v; }
  void setEnabled(bool) override {}
  void setPermille(int p) override { values.push_back(p); }
  bool visible = true;
  std::vector<int> values;
};

struct FakeTimer : TimerControl {
  void setInterval(int ms) override { interval = ms; }
  int interval = -1;
};

/// The window: close requests go to Form_Unload as a toolkit would send them.
class FakeView : public Form1View, public WindowControl {
 public:
  WindowControl& window() override { return *this; }
  TextControl& Label1() override { return label1; }
  TextControl& Label2() override { return label2; }
  TextControl& Label3() override { return label3; }
  TextControl& Label4() override { return label4; }
  TextControl& Label5() override { return label5; }
  TextControl& Command2() override { return command2; }
  TextControl& Command3() override { return command3; }
  PictureControl& Image1() override { return image1; }
  PictureControl& Image2() override { return image2; }
  Control& Picture1() override { return picture1; }
  DriveListControl& Drive1() override { return drive1; }
  DirListControl& Dir1() override { return dir1; }
  ProgressControl& ProgressBar1() override { return progress; }
  TimerControl& Timer1() override { return timer; }

  void setCaption(const std::string& c) override { caption = c; }
  void requestClose() override {
    std::int16_t cancel = 0;
    form->Form_Unload(cancel);
    if (cancel == 0) closed = true;
  }
  void activate() override { ++activations; }
  void makeVisible() override { ++shows; }
  void refresh() override { ++refreshes; }

  Form1* form = nullptr;
  FakeControl label1, label2, label3, label4, label5, command2, command3, picture1;
  FakePicture image1, image2;
  FakeDrives drive1;
  FakeDirs dir1;
  FakeProgress progress;
  FakeTimer timer;
  std::string caption;
  bool closed = false;
  int activations = 0, refreshes = 0, shows = 0;
};

/// Boxes answered from a queue (an unexpected Yes/No box gets No); `during` runs while a box
/// is open, as the user's clicks would.
class Boxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageBoxRequest& box) override {
    shown.push_back(box);
    if (during) during(box);
    if (box.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) return MsgAnswer::No;
    MsgAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& b : shown) out.push_back(b.text);
    return out;
  }
  std::vector<MsgAnswer> answers;
  std::vector<MessageBoxRequest> shown;
  std::function<void(const MessageBoxRequest&)> during;
};

const char* const kFiveLines =
    "Welcome\r\nAbout the mod\r\nInstalling\r\nPlease wait\r\nMy Mod Setup\r\n";

/// A mod folder (current while the rig lives) with the wizard's files, and a game folder.
class WizardRig {
 public:
  explicit WizardRig(Form1Setup setup = {{{"/", "/"}}, ""}, FileSystem& fs = realFileSystem())
      : game(root.file("game")), inMod(mod.path()), form(view, fs, boxes, std::move(setup)) {
    view.form = &form;
    writeBytes(mod.file("image.jpg"), kJpegMagic + "banner");
    writeBytes(mod.file("text.cfg"), kFiveLines);
    stdfs::create_directories(game + "/models");
    writeBytes(game + "/gta_sa.exe", "MZ");
    writeBytes(game + "/models/gta3.img", test::InstallRig::defaultArchive());
  }

  /// Runs a handler as the backend does; returns the exit code when it ended the program.
  std::optional<int> run(const std::function<void()>& handler) { return runEvent(boxes, handler); }

  void openFolder(const std::string& path) { ASSERT_TRUE(form.Dir1.open(path)) << path; }

  TempDir root, mod;
  std::string game;
  CurrentDir inMod;
  FakeView view;
  Boxes boxes;
  Form1 form;
};

// ---- start-up ----------------------------------------------------------------------------

TEST(Form1Load, WelcomePageFromTextCfg) {
  WizardRig rig;
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  EXPECT_EQ(rig.view.caption, "My Mod Setup");
  EXPECT_EQ(rig.view.label1.text, "Welcome");
  EXPECT_EQ(rig.view.label2.text, "About the mod\r\rClick Next to continue");
  EXPECT_EQ(rig.view.label3.text, kCreditsText);
  EXPECT_EQ(rig.view.command2.text, "Next >");
  EXPECT_EQ(rig.view.command3.text, "Cancel");
  EXPECT_EQ(rig.view.label4.text, "Drive:");
  EXPECT_EQ(rig.view.label5.text, "Folder:");
  EXPECT_FALSE(rig.view.dir1.visible);
  EXPECT_FALSE(rig.view.drive1.visible);
  EXPECT_FALSE(rig.view.label4.visible);
  EXPECT_FALSE(rig.view.label5.visible);
  EXPECT_FALSE(rig.view.progress.visible);
  EXPECT_TRUE(rig.view.command2.enabled);
  EXPECT_EQ(rig.view.timer.interval, 0);
  EXPECT_EQ(rig.view.image2.shown, kJpegMagic + "banner");
  EXPECT_EQ(rig.form.PageOnVar, 0);
  EXPECT_EQ(rig.form.InitialDrive, "/");
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(Form1Load, SeparatorPictureRows) {
  WizardRig rig;
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  const FakePicture& sep = rig.view.image1;
  ASSERT_EQ(sep.width, 600);
  ASSERT_EQ(sep.height, 2);
  ASSERT_EQ(sep.rgb.size(), 600u * 2 * 3);
  for (int x : {0, 299, 599}) {
    std::size_t up = static_cast<std::size_t>(x) * 3, low = (600 + static_cast<std::size_t>(x)) * 3;
    EXPECT_EQ(std::vector<int>({sep.rgb[up], sep.rgb[up + 1], sep.rgb[up + 2]}),
              std::vector<int>({172, 168, 153}));
    EXPECT_EQ(std::vector<int>({sep.rgb[low], sep.rgb[low + 1], sep.rgb[low + 2]}),
              std::vector<int>({255, 255, 255}));
  }
}

struct TextCfgCase {
  const char* name;
  std::string bytes;
  bool ok;
  std::string title, caption;  // TextL1 and TextL5 when ok
};

void PrintTo(const TextCfgCase& c, std::ostream* os) {
  *os << c.name;
}

class TextCfgGroups : public ::testing::TestWithParam<TextCfgCase> {};

TEST_P(TextCfgGroups, ReadInGroupsOfFive) {
  const TextCfgCase& c = GetParam();
  WizardRig rig;
  writeBytes(rig.mod.file("text.cfg"), c.bytes);
  auto code = rig.run([&] { rig.form.Form_Load(); });
  if (c.ok) {
    ASSERT_FALSE(code);
    EXPECT_EQ(rig.form.TextL1, c.title);
    EXPECT_EQ(rig.form.TextL5, c.caption);
    EXPECT_EQ(rig.view.caption, c.caption);
    EXPECT_TRUE(rig.boxes.shown.empty());
  } else {
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, kExitFailed);
    EXPECT_EQ(rig.boxes.texts(),
              std::vector<std::string>{"Error with text.cfg load process. Ending..."});
    EXPECT_EQ(rig.boxes.shown[0].title, "Tamberlin");
    EXPECT_EQ(rig.boxes.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(rig.view.caption, "") << "nothing of the window is set up after a failure";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Form1Load, TextCfgGroups,
    ::testing::Values(
        TextCfgCase{"FiveWithEnd", "a\r\nb\r\nc\r\nd\r\ne\r\n", true, "a", "e"},
        TextCfgCase{"FiveWithoutEnd", "a\r\nb\r\nc\r\nd\r\ne", true, "a", "e"},
        TextCfgCase{"BareCarriageReturns", "a\rb\rc\rd\re\r", true, "a", "e"},
        TextCfgCase{"Empty", "", true, "", ""},
        TextCfgCase{"TenLastGroupWins", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n", true,
                    "6", "10"},
        TextCfgCase{"BlanksAndCommasKept", " a, \"b\"\r\nb\r\nc\r\nd\r\n e \r\n", true, " a, \"b\"",
                    " e "},
        // A lone LF ends a line too, so files saved with Unix line ends work.
        TextCfgCase{"LoneLineFeeds", "a\nb\nc\nd\ne\n", true, "a", "e"},
        TextCfgCase{"SevenLines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", false, "", ""},
        TextCfgCase{"FourLines", "1\r\n2\r\n3\r\n4\r\n", false, "", ""},
        TextCfgCase{"EmptySixthLine", "1\r\n2\r\n3\r\n4\r\n5\r\n\r\n", false, "", ""}),
    [](const ::testing::TestParamInfo<TextCfgCase>& i) { return std::string(i.param.name); });

TEST(Form1Load, MissingTextCfgEnds) {
  WizardRig rig;
  stdfs::remove(rig.mod.file("text.cfg"));
  EXPECT_EQ(rig.run([&] { rig.form.Form_Load(); }), kExitFailed);
  EXPECT_EQ(rig.boxes.texts(),
            std::vector<std::string>{"Error with text.cfg load process. Ending..."});
}

TEST(Form1Load, BannerFailuresEndBeforeTextCfg) {
  for (const char* bytes : {"", "GIF89a? not what the platform decodes"}) {
    WizardRig rig;
    writeBytes(rig.mod.file("image.jpg"), bytes);
    stdfs::remove(rig.mod.file("text.cfg"));  // would give its own message if it were read
    EXPECT_EQ(rig.run([&] { rig.form.Form_Load(); }), kExitFailed);
    EXPECT_EQ(rig.boxes.texts(),
              std::vector<std::string>{"Error with image.jpg load process. Ending..."});
  }
  WizardRig rig;
  stdfs::remove(rig.mod.file("image.jpg"));
  stdfs::remove(rig.mod.file("text.cfg"));
  EXPECT_EQ(rig.run([&] { rig.form.Form_Load(); }), kExitFailed);
  EXPECT_EQ(rig.boxes.texts(),
            std::vector<std::string>{"Error with image.jpg load process. Ending..."});
}

TEST(Form1Load, StartupDriveIsTheOneHoldingTheCurrentFolder) {
  TempDir probe;  // where the mod folder will be: beside it
  std::string parent = stdfs::canonical(probe.path()).parent_path().string();
  WizardRig rig({{{"/", "/"}, {"parent", parent}}, ""});
  std::string modDrive = stdfs::canonical(rig.mod.path()).string();
  rig.form.Drive1.push_back({"mod", modDrive});
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  EXPECT_EQ(rig.form.InitialDrive, "mod");
  EXPECT_EQ(rig.view.drive1.current, 2u);
  EXPECT_EQ(rig.view.drive1.texts, (std::vector<std::string>{"/", "parent", "mod"}));
}

// ---- pages and the game-folder check -------------------------------------------------------

class Form1Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  }
  void next() {
    ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
  }
  WizardRig rig;
};

TEST_F(Form1Pages, NextShowsFolderPageOnStartFolder) {
  next();
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_EQ(rig.view.label1.text, "GTA San Andreas Install Location");
  EXPECT_EQ(rig.view.label2.text,
            "Please locate your GTA San Andreas Install, normally in C:/program files/rockstar "
            "games/gta san andreas");
  EXPECT_TRUE(rig.view.dir1.visible);
  EXPECT_TRUE(rig.view.label5.visible);
  EXPECT_TRUE(rig.view.drive1.visible);
  EXPECT_TRUE(rig.view.label4.visible);
  EXPECT_TRUE(rig.view.command2.enabled);
  EXPECT_EQ(rig.view.timer.interval, 0);
  // No game under "/Program Files/...", no Wine prefix: the list stays on the start folder.
  EXPECT_EQ(stdfs::canonical(rig.form.Dir1.path()), stdfs::canonical(rig.mod.path()));
  ASSERT_FALSE(rig.view.dir1.rows.empty());
  EXPECT_EQ(rig.view.dir1.rows[rig.view.dir1.highlighted].text,
            stdfs::path(rig.mod.path()).filename());
}

TEST_F(Form1Pages, OpenedGameFolderPasses) {
  next();
  rig.openFolder(rig.game);
  next();
  EXPECT_EQ(rig.form.saPath, rig.game);
  EXPECT_EQ(rig.form.PageOnVar, 3);
  EXPECT_FALSE(rig.view.command2.enabled);
  EXPECT_FALSE(rig.view.command3.enabled);
  EXPECT_EQ(rig.view.label1.text, "Installing");
  EXPECT_EQ(rig.view.label2.text, "Please wait");
  EXPECT_FALSE(rig.view.dir1.visible);
  EXPECT_FALSE(rig.view.drive1.visible);
  EXPECT_FALSE(rig.view.label4.visible);
  EXPECT_FALSE(rig.view.label5.visible);
  EXPECT_TRUE(rig.view.progress.visible);
  EXPECT_EQ(rig.view.timer.interval, 10);
  EXPECT_TRUE(rig.boxes.shown.empty());
  // "Next >" on the installation page does nothing.
  next();
  EXPECT_EQ(rig.form.PageOnVar, 3);
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST_F(Form1Pages, HighlightedFolderDoesNotCount) {
  next();
  rig.openFolder(rig.root.path());
  std::size_t gameRow = 0;
  for (std::size_t i = 0; i < rig.form.Dir1.rows().size(); ++i)
    if (rig.form.Dir1.rows()[i].text == "game") gameRow = i;
  ASSERT_NE(gameRow, 0u);
  rig.form.Dir1_Highlight(gameRow);
  next();
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_EQ(rig.boxes.texts(),
            std::vector<std::string>{"GTA San Andreas Installalation not detected at /"});
  EXPECT_EQ(rig.boxes.shown[0].title, "Tamberlin");
  EXPECT_TRUE(rig.form.saPath.empty());
  // Opening it (double click) makes it current; then the check passes.
  rig.form.Dir1_Open(gameRow);
  EXPECT_EQ(stdfs::canonical(rig.form.Dir1.path()), stdfs::canonical(rig.game));
  next();
  EXPECT_EQ(rig.form.PageOnVar, 3);
}

TEST_F(Form1Pages, ProgramNameMustMatchLetterCaseAndBeAFile) {
  next();
  stdfs::rename(rig.game + "/gta_sa.exe", rig.game + "/GTA_SA.EXE");
  rig.openFolder(rig.game);
  next();
  EXPECT_EQ(rig.form.PageOnVar, 1);
  ASSERT_EQ(rig.boxes.shown.size(), 1u);

  stdfs::remove(rig.game + "/GTA_SA.EXE");
  stdfs::create_directory(rig.game + "/gta_sa.exe");
  next();
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_EQ(rig.boxes.shown.size(), 2u);
}

TEST_F(Form1Pages, VanishedFolderFailsTheCheckQuietly) {
  next();
  rig.openFolder(rig.game);
  stdfs::remove_all(rig.game);
  next();
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
}

TEST(Form1DefaultFolder, DriveDefaultThenWinePrefix) {
  TempDir drive, prefix;
  std::string onDrive = drive.path() + "/Program Files/Rockstar Games/GTA San Andreas";
  std::string inPrefix = prefix.path() + "/drive_c/Program Files/Rockstar Games/GTA San Andreas";
  stdfs::create_directories(inPrefix);
  {
    WizardRig rig({{{"/", "/"}}, prefix.path()});
    // The mod folder's drive is "/": its default folder does not exist, the prefix's does.
    ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
    ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
    EXPECT_EQ(rig.form.Dir1.path(), inPrefix);
  }
  stdfs::create_directories(onDrive);
  writeBytes(onDrive + "/gta_sa.exe", "MZ");
  {
    WizardRig rig({{{"/", "/"}}, prefix.path()});
    ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
    rig.form.InitialDrive = drive.path();  // as if the wizard had started on that drive
    rig.form.Drive1 = {{drive.path(), drive.path()}};
    ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
    EXPECT_EQ(rig.form.Dir1.path(), onDrive);
    // The game in its usual place: "Next >" passes at once.
    ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
    EXPECT_EQ(rig.form.saPath, onDrive);
    EXPECT_EQ(rig.form.PageOnVar, 3);
  }
}

TEST(Form1DefaultFolder, ProgramFilesX86OnlyOn64BitWindows) {
  TempDir drive;
  std::string x86 = drive.path() + "/Program Files (x86)/Rockstar Games/GTA San Andreas";
  stdfs::create_directories(x86);
  for (bool on64Bit : {false, true}) {
    WizardRig rig({{{drive.path(), drive.path()}}, "", nullptr, on64Bit});
    ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
    rig.form.InitialDrive = drive.path();
    ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
    EXPECT_EQ(rig.form.Dir1.path() == x86, on64Bit) << rig.form.Dir1.path();
  }
}

TEST_F(Form1Pages, DriveChangeMovesTheListAndTheMessage) {
  TempDir other;
  rig.form.Drive1.push_back({"other", other.path()});
  rig.form.Drive1.push_back({"gone", other.path() + "/not-there"});
  next();
  rig.form.Drive1_Change(1);
  EXPECT_EQ(stdfs::canonical(rig.form.Dir1.path()), stdfs::canonical(other.path()));
  EXPECT_EQ(rig.view.dir1.rows.back().text, stdfs::path(other.path()).filename());
  rig.form.Drive1_Change(2);  // not ready: the list stays
  EXPECT_EQ(stdfs::canonical(rig.form.Dir1.path()), stdfs::canonical(other.path()));
  next();
  EXPECT_EQ(rig.boxes.texts(),
            std::vector<std::string>{"GTA San Andreas Installalation not detected at gone"});
}

// ---- a game folder this process may not change ------------------------------------------

TEST(Form1Elevation, DeniedFolderStartsTheCopyAndEndsWithItsExitCode) {
  test::FakeElevator elevator;
  elevator.answer = {ElevatedRun::Ended, 0, 0};
  ReadOnlyFileSystem denied(realFileSystem());
  WizardRig rig({{{"/", "/"}}, "", &elevator}, denied);
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
  rig.openFolder(rig.game);
  // While the copy runs, nothing the user does here acts.
  elevator.during = [&] {
    std::int16_t cancel = 0;
    rig.form.Form_Unload(cancel);
    EXPECT_EQ(cancel, 1);
    rig.form.Command3_Click();
    rig.form.Command2_Click();
    rig.form.Dir1_Open(0);
  };
  EXPECT_EQ(rig.run([&] { rig.form.Command2_Click(); }), kExitInstalled);
  ASSERT_EQ(elevator.starts.size(), 1u);
  EXPECT_EQ(elevator.starts[0].gameFolder, rig.form.Dir1.path());
  EXPECT_EQ(stdfs::canonical(elevator.starts[0].modFolder), stdfs::canonical(rig.mod.path()));
  EXPECT_TRUE(rig.boxes.shown.empty());
  EXPECT_FALSE(rig.view.closed);
  EXPECT_EQ(rig.form.PageOnVar, 1) << "this copy never shows the installation page";
}

TEST(Form1Elevation, RefusedFolderStaysOnTheFolderPage) {
  test::FakeElevator elevator;
  elevator.answer = {ElevatedRun::Declined, 0, 1223};
  ReadOnlyFileSystem denied(realFileSystem());
  WizardRig rig({{{"/", "/"}}, "", &elevator}, denied);
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
  rig.openFolder(rig.game);
  ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].title, "Tamberlin");
  EXPECT_EQ(rig.boxes.shown[0].buttons, MsgButtons::Ok);
  EXPECT_NE(rig.boxes.shown[0].text.find(rig.form.Dir1.path()), std::string::npos);
  EXPECT_GT(rig.view.shows, 0) << "the window the elevator may have hidden is shown again";
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_TRUE(rig.form.saPath.empty());
  EXPECT_TRUE(rig.view.command2.enabled && rig.view.command3.enabled);
  EXPECT_EQ(rig.view.timer.interval, 0);
  // The user may try again, and then cancel as on any folder page.
  ASSERT_FALSE(rig.run([&] { rig.form.Command2_Click(); }));
  EXPECT_EQ(elevator.starts.size(), 2u);
  rig.boxes.answers = {MsgAnswer::Yes};
  ASSERT_FALSE(rig.run([&] { rig.form.Command3_Click(); }));
  EXPECT_TRUE(rig.view.closed);
}

TEST(Form1Elevation, TheElevatedCopyOpensOnTheInstallationPage) {
  {
    WizardRig rig;
    ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
    ASSERT_FALSE(rig.run([&] { rig.form.openInstallPage(rig.game); }));
    EXPECT_EQ(rig.form.saPath, rig.game);
    EXPECT_EQ(rig.form.PageOnVar, 3);
    EXPECT_EQ(rig.view.label1.text, "Installing");
    EXPECT_EQ(rig.view.label2.text, "Please wait");
    EXPECT_FALSE(rig.view.command2.enabled || rig.view.command3.enabled);
    EXPECT_FALSE(rig.view.dir1.visible);
    EXPECT_EQ(rig.view.timer.interval, 10);
  }
  // Even this copy may not change the folder: it ends at once, and the first one says so.
  ReadOnlyFileSystem denied(realFileSystem());
  WizardRig rig({{{"/", "/"}}, ""}, denied);
  ASSERT_FALSE(rig.run([&] { rig.form.Form_Load(); }));
  EXPECT_EQ(rig.run([&] { rig.form.openInstallPage(rig.game); }), kExitNeedsAdmin);
  EXPECT_EQ(rig.form.PageOnVar, 0);
  EXPECT_TRUE(rig.boxes.shown.empty());
}

// ---- cancel and unload ------------------------------------------------------------------------

TEST_F(Form1Pages, CancelAsksAndNoKeepsThePage) {
  next();
  rig.openFolder(rig.game);
  rig.boxes.answers = {MsgAnswer::No};
  ASSERT_FALSE(rig.run([&] { rig.form.Command3_Click(); }));
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  const MessageBoxRequest& q = rig.boxes.shown[0];
  EXPECT_EQ(q.text,
            "Installation is not complete.\rYou can however run this program again to finish "
            "installation\rDo you wish to cancel?");
  EXPECT_EQ(q.title, "Installation Cancel");
  EXPECT_EQ(q.buttons, MsgButtons::YesNo);
  EXPECT_EQ(q.icon, MsgIcon::None);
  EXPECT_FALSE(q.defaultNo);
  EXPECT_FALSE(rig.view.closed);
  EXPECT_EQ(rig.form.PageOnVar, 1);
  EXPECT_EQ(stdfs::canonical(rig.form.Dir1.path()), stdfs::canonical(rig.game));
}

TEST_F(Form1Pages, CancelYesClosesWithoutWriting) {
  auto before = test::snapshotTree(rig.root.path());
  auto modBefore = test::snapshotTree(rig.mod.path());
  rig.boxes.answers = {MsgAnswer::Yes};
  ASSERT_FALSE(rig.run([&] { rig.form.Command3_Click(); }));
  EXPECT_TRUE(rig.view.closed);
  EXPECT_EQ(rig.form.closeExitCode(), kExitCancelled);
  EXPECT_EQ(test::snapshotTree(rig.root.path()), before);
  EXPECT_EQ(test::snapshotTree(rig.mod.path()), modBefore);
}

TEST_F(Form1Pages, CloseBoxAsksUnlessForced) {
  std::int16_t cancel = 0;
  rig.boxes.answers = {MsgAnswer::No};
  rig.form.Form_Unload(cancel);
  EXPECT_EQ(cancel, 1);
  cancel = 0;
  rig.boxes.answers = {MsgAnswer::Yes};
  rig.form.Form_Unload(cancel);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(rig.boxes.shown.size(), 2u);
  rig.form.forceCloseInt = 1;
  rig.form.Form_Unload(cancel);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.form.closeExitCode(), kExitInstalled);
}

// ---- the timer and the installation -----------------------------------------------------------

class Form1Timer : public Form1Pages {
 protected:
  /// Walks to the installation page on the game folder.
  void toInstallPage() {
    next();
    rig.openFolder(rig.game);
    next();
    ASSERT_EQ(rig.form.PageOnVar, 3);
  }
  std::optional<int> tick() {
    return rig.run([&] { rig.form.Timer1_Timer(); });
  }
};

TEST_F(Form1Timer, TickRunsTheWholeInstallationOnce) {
  writeBytes(rig.mod.file("ins.cfg"), "MAKEDIR data\r\nADD new.txt,data\\new.txt\r\nnote\r\n");
  writeBytes(rig.mod.file("new.txt"), "hello");
  toInstallPage();
  auto code = tick();
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, kExitInstalled);
  EXPECT_EQ(rig.boxes.texts(), std::vector<std::string>{"Installation Complete"});
  EXPECT_EQ(rig.boxes.shown[0].title, "Tamberlin");
  EXPECT_EQ(test::readBytes(rig.game + "/data/new.txt"), "hello");
  EXPECT_EQ(rig.form.forceCloseInt, 1);
  EXPECT_EQ(rig.view.timer.interval, 0) << "one tick only";
  // The status line showed "Installing"; the bar ran from 0 to the end, lines done of all.
  auto& texts = rig.view.label2.history;
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Installing"), texts.end());
  ASSERT_FALSE(rig.view.progress.values.empty());
  EXPECT_EQ(rig.view.progress.values.front(), 0);
  EXPECT_EQ(rig.view.progress.values.back(), 1000);
  EXPECT_TRUE(std::is_sorted(rig.view.progress.values.begin(), rig.view.progress.values.end()));
  EXPECT_GT(rig.view.refreshes, 0) << "the window repaints while the installation runs";
  // A second tick after the end does nothing.
  EXPECT_FALSE(tick());
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
}

TEST_F(Form1Timer, NothingActsWhileBoxesOfTheInstallationAreOpen) {
  writeBytes(rig.mod.file("ins.cfg"), "ADDINIMG models\\gta3.img,extra.col\r\n");
  writeBytes(rig.mod.file("extra.col"), std::string(100, 'c'));
  toInstallPage();
  int nested = 0;
  rig.boxes.during = [&](const MessageBoxRequest& box) {
    if (box.text != "extra.col") return;
    ++nested;
    std::int16_t cancel = 0;
    rig.form.Form_Unload(cancel);
    EXPECT_EQ(cancel, 1) << "a close request during the installation is not acted on";
    rig.form.Command3_Click();
    rig.form.Command2_Click();
    rig.form.Timer1_Timer();  // a stray tick must not start a second installation
    rig.form.Dir1_Open(0);
  };
  auto code = tick();
  EXPECT_EQ(nested, 1);
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, kExitInstalled);
  EXPECT_EQ(rig.boxes.texts(), (std::vector<std::string>{"extra.col", "Installation Complete"}));
  EXPECT_FALSE(rig.view.closed);
}

TEST_F(Form1Timer, ErrorShowsNumberAndDescriptionAndEndsWithFailure) {
  writeBytes(rig.mod.file("ins.cfg"),
             "MAKEDIR first\r\nADD missing.txt,first\\x.txt\r\nMAKEDIR never\r\n");
  toInstallPage();
  auto code = tick();
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, kExitFailed);
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text.rfind("Run-time error '53':\r\rFile not found", 0), 0u)
      << rig.boxes.shown[0].text;
  // The line is checked before the first change: the box comes before anything is made.
  EXPECT_FALSE(stdfs::exists(rig.game + "/first")) << "nothing changed";
  EXPECT_FALSE(stdfs::exists(rig.mod.file("installing.tmp")));
  EXPECT_FALSE(stdfs::exists(rig.game + "/never"));
  EXPECT_EQ(rig.form.forceCloseInt, 0);
}

TEST_F(Form1Timer, LargeCopyMovesTheBarWithinItsLine) {
  toInstallPage();
  rig.form.lineStarted(1, 4, "ADD big");
  rig.form.copyProgress(50, 100);
  rig.form.lineDone(1, 4);
  EXPECT_EQ(rig.view.progress.values, (std::vector<int>{0, 250, 375, 500}));
}

// ---- the event guard ----------------------------------------------------------------------

TEST(RunEvent, EndsAndFailuresBecomeExitCodes) {
  Boxes boxes;
  EXPECT_FALSE(runEvent(boxes, [] {}));
  EXPECT_EQ(runEvent(boxes, [] { throw ProgramEnd{7}; }), 7);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(runEvent(boxes, [] { throw RuntimeError(err::kPathNotFound, "C:\\x"); }), 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Run-time error '76':\r\rPath not found: C:\\x");
  EXPECT_EQ(runEvent(boxes, [] { throw std::bad_alloc(); }), 1);
  EXPECT_EQ(boxes.shown[1].text, "Run-time error '7':\r\rOut of memory");
  EXPECT_EQ(runEvent(boxes, [] { throw std::logic_error("oops"); }), 1);
  EXPECT_EQ(runEvent(boxes, [] { throw 42; }), 1);
  EXPECT_EQ(boxes.shown.size(), 4u);
}

}  // namespace
}  // namespace tamberlin
