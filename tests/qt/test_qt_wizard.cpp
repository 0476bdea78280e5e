// The wizard on Qt Widgets, offscreen: the user's clicks are QTest events on the real widgets,
// message boxes go through a scripted MessageBoxes (no modal loop can hang a run), and the
// program's end is the real QCoreApplication::exit.
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include "gui/qt/qt_message_boxes.h"
#include "gui/qt/qt_wizard.h"
#include "platform/file_system.h"
#include "support/archive_fixture.h"
#include "support/install_rig.h"
#include "ui/message_box.h"

namespace tamberlin {
namespace {

namespace stdfs = std::filesystem;
using test::CurrentDir;
using test::TempDir;
using test::writeBytes;

/// Answers OK boxes with OK and Yes/No boxes from a queue (No when it is empty); `during` runs
/// while a box is "open", where a user could click elsewhere.
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
  QStringList texts() const {
    QStringList out;
    for (const auto& b : shown) out << QString::fromStdString(b.text);
    return out;
  }
  std::vector<MsgAnswer> answers;
  std::vector<MessageBoxRequest> shown;
  std::function<void(const MessageBoxRequest&)> during;
};

void writeJpeg(const std::string& path, QColor colour) {
  QImage img(60, 120, QImage::Format_RGB32);
  img.fill(colour);
  QVERIFY(img.save(QString::fromStdString(path), "JPEG"));
}

/// A mod folder (the current folder while it lives) and a generated game folder.
struct Scene {
  Scene() : game(root.file("game")), inMod(mod.path()) {
    writeJpeg(mod.file("image.jpg"), QColor(30, 90, 160));
    writeBytes(mod.file("text.cfg"),
               "Welcome to Test Mod\r\nIt changes a car.\r\nInstalling Test Mod\r\nPlease "
               "wait.\r\nTest Mod Setup\r\n");
    writeBytes(
        mod.file("ins.cfg"),
        "Test Mod's script\r\nMAKEDIR data\r\nADD readme.txt,data\\readme.txt\r\n"
        "REPINIMG models\\gta3.img,car.dff,car.dff\r\nADDINIMG models\\gta3.img,new.col\r\n");
    writeBytes(mod.file("readme.txt"), "read me");
    writeBytes(mod.file("car.dff"), std::string(3000, 'D'));
    writeBytes(mod.file("new.col"), std::string(100, 'C'));
    stdfs::create_directories(game + "/models");
    writeBytes(game + "/gta_sa.exe", "MZ");
    writeBytes(game + "/models/gta3.img", test::InstallRig::defaultArchive());
  }
  TempDir root, mod;
  std::string game;
  CurrentDir inMod;
};

template <class W>
W* find(QtWizard& wizard, const char* name) {
  W* w = wizard.window().findChild<W*>(name);
  if (!w) qFatal("no widget %s", name);
  return w;
}

QTreeWidgetItem* rowNamed(QTreeWidget* tree, const QString& text) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->text(0) == text) return *it;
  return nullptr;
}

void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
  QCoreApplication::processEvents();  // the tree lays its rows out when it gets to it
  tree->scrollToItem(item);
  QPoint at = tree->visualItemRect(item).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
  QCoreApplication::processEvents();  // the open runs after the tree's own signal
}

/// True when `item` shows the style's folder picture `which`.
bool showsIcon(QTreeWidgetItem* item, QStyle::StandardPixmap which) {
  QImage shown = item->icon(0).pixmap(16).toImage();
  return shown == item->treeWidget()->style()->standardIcon(which).pixmap(16).toImage();
}

/// The tooltip the folder list shows when the mouse rests on `item`.
QString toolTipOver(QTreeWidget* tree, QTreeWidgetItem* item) {
  QCoreApplication::processEvents();
  tree->scrollToItem(item);
  QPoint at = tree->visualItemRect(item).center();
  QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree->viewport(), &help);
  QString text = QToolTip::text();
  QToolTip::hideText();
  return text;
}

/// Runs the event loop until the program ends; 99 when it does not within 20 s.
int runUntilEnd() {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(20000);
  return QCoreApplication::exec();
}

}  // namespace

class QtWizardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void wholeRunFromWelcomeToInstallationComplete() {
    Scene scene;
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QCOMPARE(wizard.load(), std::optional<int>());
    wizard.show();

    // Welcome page, laid out from the twips table at 96 dpi.
    QCOMPARE(wizard.window().windowTitle(), QString("Test Mod Setup"));
    QCOMPARE(wizard.window().size(), QSize(497, 360));
    // A fixed size and no maximize button, whatever the window manager.
    QVERIFY(!(wizard.window().windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(wizard.window().minimumSize(), wizard.window().maximumSize());
    auto* label1 = find<QLabel>(wizard, "Label1");
    auto* label2 = find<QLabel>(wizard, "Label2");
    QCOMPARE(label1->text(), QString("Welcome to Test Mod"));
    QCOMPARE(label1->geometry(), QRect(8, 16, 337, 49));
    QCOMPARE(label2->text(), QString("It changes a car.\n\nClick Next to continue"));
    QCOMPARE(find<QLabel>(wizard, "Image1")->geometry(), QRect(-15, 312, 600, 2));
    QVERIFY(!find<QLabel>(wizard, "Image2")->pixmap().isNull());
    auto* next = find<QPushButton>(wizard, "Command2");
    QVERIFY(next->hasFocus() || !QApplication::focusWidget());
    auto* tree = find<QTreeWidget>(wizard, "Dir1");
    QVERIFY(!tree->isVisible());

    // Folder page, on the start-up folder (no game in the usual places here).
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(label1->text(), QString("GTA San Andreas Install Location"));
    QVERIFY(tree->isVisible());
    QVERIFY(find<QComboBox>(wizard, "Drive1")->isVisible());
    QCOMPARE(find<QComboBox>(wizard, "Drive1")->currentText(), QString("/"));
    QCOMPARE(tree->currentItem()->text(0),
             QString::fromStdString(stdfs::path(scene.mod.path()).filename().string()));

    // Up to the temporary folder, then down into the game folder's parent.
    QTreeWidgetItem* tmpRow = tree->currentItem()->parent();
    QVERIFY(tmpRow);
    doubleClick(tree, tmpRow);
    QString rootName = QString::fromStdString(stdfs::path(scene.root.path()).filename().string());
    QTreeWidgetItem* rootRow = rowNamed(tree, rootName);
    QVERIFY(rootRow);
    doubleClick(tree, rootRow);
    QTreeWidgetItem* gameRow = rowNamed(tree, "game");
    QVERIFY(gameRow);

    // Highlighted only: the check runs on the open folder and fails with the message.
    QCoreApplication::processEvents();
    tree->scrollToItem(gameRow);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(gameRow).center());
    QCOMPARE(tree->currentItem(), gameRow);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringList{"GTA San Andreas Installalation not detected at /"});
    QCOMPARE(label1->text(), QString("GTA San Andreas Install Location"));

    // Opened with Enter: now "Next >" passes and the installation page is set up at once.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(tree->currentItem()->text(0), QString("game"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(label1->text(), QString("Installing Test Mod"));
    QVERIFY(!next->isEnabled());
    QVERIFY(!find<QPushButton>(wizard, "Command3")->isEnabled());
    QVERIFY(!tree->isVisible());
    auto* bar = find<QProgressBar>(wizard, "ProgressBar1");
    QVERIFY(bar->isVisible());

    // The timer's tick runs the installation; its boxes are answered; the program ends with 0.
    int code = runUntilEnd();
    QCOMPARE(code, 0);
    QCOMPARE(boxes.texts(), (QStringList{"GTA San Andreas Installalation not detected at /",
                                         "new.col", "Installation Complete"}));
    QCOMPARE(bar->value(), 1000);
    QVERIFY(!wizard.window().isVisible());
    QCOMPARE(test::readBytes(scene.game + "/data/readme.txt"), std::string("read me"));
    test::Parsed archive = test::parseArchive(test::readBytes(scene.game + "/models/gta3.img"));
    QCOMPARE(archive.count, 4u);
    QCOMPARE(archive.records[3].name.substr(0, 7), std::string("new.col"));
  }

  void keyboardPressesTheFocusedButton() {
    Scene scene;
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(&wizard.window()));
    auto* next = find<QPushButton>(wizard, "Command2");
    auto* cancel = find<QPushButton>(wizard, "Command3");
    // The focus starts on "Next >", which shows it with the default button's frame.
    QCOMPARE(QApplication::focusWidget(), next);
    QVERIFY(next->isDefault() && !cancel->isDefault());
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(find<QLabel>(wizard, "Label1")->text(), QString("GTA San Andreas Install Location"));

    // Tab takes focus and frame to "Cancel"; Return, Enter and Space each press it.
    QTest::keyClick(next, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), cancel);
    QVERIFY(cancel->isDefault() && !next->isDefault());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
      boxes.answers = {MsgAnswer::No};
      QTest::keyClick(cancel, key);
    }
    QCOMPARE(boxes.shown.size(), std::size_t(3));
    for (const MessageBoxRequest& box : boxes.shown)
      QCOMPARE(box.title, std::string("Installation Cancel"));
    QVERIFY(wizard.window().isVisible());
  }

  void folderListTellsOpenedFromHighlighted() {
    Scene scene;
    const std::string longName = "A folder whose name is far too long for the folder list";
    stdfs::create_directories(scene.root.file(longName));
    std::string root = stdfs::canonical(scene.root.path()).string();
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}, {"games", root}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    wizard.form().Drive1_Change(1);
    auto* tree = find<QTreeWidget>(wizard, "Dir1");
    QTreeWidgetItem* opened =
        rowNamed(tree, QString::fromStdString(stdfs::path(root).filename().string()));
    QTreeWidgetItem* game = rowNamed(tree, "game");
    QTreeWidgetItem* cut = rowNamed(tree, QString::fromStdString(longName));
    QVERIFY(opened && game && cut);
    QVERIFY(!showsIcon(opened, QStyle::SP_DirClosedIcon));  // the two pictures differ

    // The opened folder and its parents show open folders, the subfolders closed ones, also
    // the one that is only highlighted.
    QCoreApplication::processEvents();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(game).center());
    QCOMPARE(tree->currentItem(), game);
    QVERIFY(showsIcon(opened, QStyle::SP_DirOpenIcon));
    QVERIFY(showsIcon(opened->parent(), QStyle::SP_DirOpenIcon));
    QVERIFY(showsIcon(game, QStyle::SP_DirClosedIcon));
    QVERIFY(showsIcon(cut, QStyle::SP_DirClosedIcon));

    // Only a name cut short has a tooltip: its folder's whole path.
    QCOMPARE(toolTipOver(tree, game), QString());
    QCOMPARE(toolTipOver(tree, cut), QString::fromStdString(root + "/" + longName));

    doubleClick(tree, game);
    game = rowNamed(tree, "game");
    QVERIFY(game && showsIcon(game, QStyle::SP_DirOpenIcon));
  }

  void closeQuestionAnsweredBothWays() {
    Scene scene;
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);

    // The close box, answered No: the window stays on the folder page.
    boxes.answers = {MsgAnswer::No};
    QVERIFY(!wizard.window().close());
    QVERIFY(wizard.window().isVisible());
    QCOMPARE(boxes.shown.size(), std::size_t(1));
    QCOMPARE(boxes.shown[0].title, std::string("Installation Cancel"));
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::YesNo);
    QCOMPARE(find<QLabel>(wizard, "Label1")->text(), QString("GTA San Andreas Install Location"));

    // "Cancel", answered Yes: the program ends with the cancel code, nothing installed.
    boxes.answers = {MsgAnswer::Yes};
    QTimer::singleShot(
        0, [&] { QTest::mouseClick(find<QPushButton>(wizard, "Command3"), Qt::LeftButton); });
    QCOMPARE(runUntilEnd(), kExitCancelled);
    QCOMPARE(boxes.shown.size(), std::size_t(2));
    QVERIFY(!wizard.window().isVisible());
    QVERIFY(!stdfs::exists(scene.game + "/data"));
  }

  void closeDuringInstallationIsNotActedOn() {
    Scene scene;
    writeBytes(scene.mod.file("ins.cfg"), "ADDINIMG models\\gta3.img,new.col\r\n");
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    int closeTries = 0;
    boxes.during = [&](const MessageBoxRequest& box) {
      if (box.text != "new.col") return;
      ++closeTries;
      // The status line shows the installation's texts while it runs.
      QCOMPARE(find<QLabel>(wizard, "Label2")->text(), QString("Installing"));
      QVERIFY(!wizard.window().close());
      QVERIFY(wizard.window().isVisible());
    };
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    QVERIFY(wizard.form().Dir1.open(scene.game));
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    QCOMPARE(runUntilEnd(), 0);
    QCOMPARE(closeTries, 1);
    QCOMPARE(boxes.texts(), (QStringList{"new.col", "Installation Complete"}));
  }

  void errorEndsTheProgramWithItsNumber() {
    Scene scene;
    writeBytes(scene.mod.file("ins.cfg"), "MAKEDIR data\r\nADD nothing.txt,data\\x.txt\r\n");
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    QVERIFY(wizard.form().Dir1.open(scene.game));
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    QCOMPARE(runUntilEnd(), kExitFailed);
    QCOMPARE(boxes.shown.size(), std::size_t(1));
    QVERIFY2(boxes.texts()[0].startsWith("Run-time error '53':\r\rFile not found"),
             qPrintable(boxes.texts()[0]));
    QVERIFY(!stdfs::exists(scene.game + "/data"));  // checked before the first change
  }

  void startupFailuresEndBeforeTheWindowShows_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString image = "Error with image.jpg load process. Ending...";
    const QString text = "Error with text.cfg load process. Ending...";
    QTest::newRow("banner missing") << "image.jpg" << QByteArray() << image;
    QTest::newRow("banner not a picture")
        << "image.jpg" << QByteArray("\xFF\xD8\xFF\xE0 broken") << image;
    QTest::newRow("text.cfg short")
        << "text.cfg" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n") << text;
    QTest::newRow("text.cfg missing") << "text.cfg" << QByteArray() << text;
  }

  void startupFailuresEndBeforeTheWindowShows() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    Scene scene;
    std::string path = scene.mod.file(file.toStdString());
    if (bytes.isEmpty())
      stdfs::remove(path);
    else
      writeBytes(path, bytes.toStdString());
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 96);
    QCOMPARE(wizard.load(), std::optional<int>(kExitFailed));
    QCOMPARE(boxes.texts(), QStringList{message});
    QCOMPARE(boxes.shown[0].title, std::string("Tamberlin"));
    QVERIFY(!wizard.window().isVisible());
  }

  void driveListMovesTheFolderList() {
    Scene scene;
    Boxes boxes;
    std::string other = stdfs::canonical(scene.root.path()).string();
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}, {"games", other}}, ""}, 96);
    QVERIFY(!wizard.load());
    wizard.show();
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    auto* drives = find<QComboBox>(wizard, "Drive1");
    QCOMPARE(drives->count(), 2);
    // A user's choice in the list (keyboard on the closed combo box) is a drive change.
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Down);
    QCOMPARE(drives->currentText(), QString("games"));
    QCOMPARE(wizard.form().Dir1.path(), other);
    auto* tree = find<QTreeWidget>(wizard, "Dir1");
    QVERIFY(rowNamed(tree, "game"));
    QTest::mouseClick(find<QPushButton>(wizard, "Command2"), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringList{"GTA San Andreas Installalation not detected at games"});
  }

  void realMessageBoxesAsAsked() {
    // The real boxes, answered by a timer that inspects the open box and presses Return, as a
    // user would.
    QtMessageBoxes boxes;
    struct Seen {
      QString title, text;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QMessageBox::StandardButtons buttons;
      QString defaultText;
      int width = 0;
    } seen;
    auto answerNextBox = [&seen] {
      QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(),
                box->text(),
                box->icon(),
                box->standardButtons(),
                box->defaultButton() ? box->defaultButton()->text() : QString(),
                box->width()};
        QTest::keyClick(box, Qt::Key_Return);
        if (box->isVisible()) box->reject();
      });
    };
    // Wide enough for the title in a bold title font, with room beside it for the frame's
    // icon and buttons.
    auto fitsTitle = [&seen] {
      QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
      font.setBold(true);
      return seen.width >= QFontMetrics(font).horizontalAdvance(seen.title) + 100;
    };
    answerNextBox();
    MsgAnswer a = boxes.show({"Installation is not complete.\rYou can\rDo you wish to cancel?",
                              "Installation Cancel", MsgButtons::YesNo, MsgIcon::None, false});
    QCOMPARE(a, MsgAnswer::Yes);
    QCOMPARE(seen.title, QString("Installation Cancel"));
    QCOMPARE(seen.text, QString("Installation is not complete.\nYou can\nDo you wish to cancel?"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(fitsTitle());

    answerNextBox();
    a = boxes.show({"Error # 53", "Veldra", MsgButtons::YesNo, MsgIcon::Warning, true});
    QCOMPARE(a, MsgAnswer::No);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.title, QString("Veldra"));

    answerNextBox();
    a = boxes.show({"Installation Complete", "Tamberlin", MsgButtons::Ok, MsgIcon::None, false});
    QCOMPARE(a, MsgAnswer::Ok);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!seen.defaultText.isEmpty());
    QCOMPARE(seen.text, QString("Installation Complete"));

    // The ADDINIMG box: a short name, an OK button and the whole title above them.
    answerNextBox();
    boxes.show({"new.col", "Tamberlin", MsgButtons::Ok, MsgIcon::None, false});
    QCOMPARE(seen.title, QString("Tamberlin"));
    QVERIFY2(fitsTitle(), qPrintable(QString::number(seen.width)));
  }

  void layoutFollowsTheScreensDpi() {
    Scene scene;
    Boxes boxes;
    QtWizard wizard(realFileSystem(), boxes, {{{"/", "/"}}, ""}, 192);
    QVERIFY(!wizard.load());
    QCOMPARE(wizard.window().size(), QSize(994, 720));
    QCOMPARE(find<QLabel>(wizard, "Label1")->geometry(), QRect(16, 32, 674, 98));
    QCOMPARE(find<QLabel>(wizard, "Image1")->geometry(), QRect(-29, 624, 1200, 4));
  }

  void screenshotOptionRendersPages() {
    Scene scene;
    for (const char* page : {"welcome", "folder", "install"}) {
      QString out = QString::fromStdString(scene.root.file(std::string(page) + ".png"));
      QProcess p;
      p.start(TAMBERLIN_BINARY, {"--screenshot", page, out});
      QVERIFY(p.waitForFinished(30000));
      QCOMPARE(p.exitCode(), 0);
      QImage shot(out);
      QCOMPARE(shot.size(), QSize(497, 360));
      // The separator's two rows, and the banner's colour on the left.
      QCOMPARE(QColor(shot.pixel(100, 312)), QColor(172, 168, 153));
      QCOMPARE(QColor(shot.pixel(100, 313)), QColor(255, 255, 255));
      QColor banner(shot.pixel(20, 100));
      QVERIFY2(qAbs(banner.red() - 30) < 12 && qAbs(banner.blue() - 160) < 12, page);
    }
    QProcess bad;
    bad.start(TAMBERLIN_BINARY, {"--screenshot", "nowhere", "x.png"});
    QVERIFY(bad.waitForFinished(30000));
    QCOMPARE(bad.exitCode(), 2);
  }
};

}  // namespace tamberlin

QTEST_MAIN(tamberlin::QtWizardTest)
#include "test_qt_wizard.moc"
