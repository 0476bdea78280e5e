#include "gui/qt/qt_form1_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "gui/qt/qt_look.h"
#include "wizard/event_guard.h"
#include "wizard/form1.h"

namespace tamberlin {

QtForm1Window::QtForm1Window(MessageBoxes& boxes, double dpi) : boxes_(boxes), dpi_(dpi) {
  if (dpi_ <= 0) {
    QScreen* screen = QGuiApplication::primaryScreen();
    dpi_ = screen ? screen->logicalDotsPerInch() : 96.0;
  }
  build();
  wireEvents();
}

QtForm1Window::~QtForm1Window() = default;

QWidget* QtForm1Window::widget(ControlId id) const {
  auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtForm1Window::place(QWidget* w, ControlId id) {
  const ControlPlace& p = placeOf(id);
  w->setObjectName(p.name);
  w->setGeometry(twipsToPixels(p.left, dpi_), twipsToPixels(p.top, dpi_),
                 twipsToPixels(p.width, dpi_), twipsToPixels(p.height, dpi_));
  w->setFont(qtFont(fontOf(p.font)));
  w->setVisible(p.visibleAtStart);
  widgets_[id] = w;
}

void QtForm1Window::build() {
  // A fixed dialog-like frame: the layout does not follow a change of size, so there is no
  // maximize button. The hints are customized, so the platform adds none of its defaults; the
  // fixed size tells window managers that ignore the hints that there is nothing to maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(twipsToPixels(kClientWidthTwips, dpi_), twipsToPixels(kClientHeightTwips, dpi_));
  setFont(qtFont(fontOf(FontId::Window)));
  setWindowIcon(wizardIcon());

  auto* image2 = new QLabel(this);
  place(image2, ControlId::Image2);
  image2_ = std::make_unique<QtPicture>(image2);

  // The panel takes the system's window colours, as text fields do, not the dialog grey.
  auto* picture1 = new QFrame(this);
  place(picture1, ControlId::Picture1);
  QPalette pal = picture1->palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Base));
  pal.setColor(QPalette::WindowText, pal.color(QPalette::Text));
  picture1->setPalette(pal);
  picture1->setAutoFillBackground(true);
  picture1->setFocusPolicy(Qt::NoFocus);
  picture1_ = std::make_unique<QtPanel>(picture1);

  auto makeLabel = [&](ControlId id) {
    auto* l = new QLabel(picture1);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(l, id);
    return std::make_unique<QtLabel>(l);
  };
  label1_ = makeLabel(ControlId::Label1);
  label2_ = makeLabel(ControlId::Label2);
  label3_ = makeLabel(ControlId::Label3);
  label4_ = makeLabel(ControlId::Label4);

  auto* drive1 = new QComboBox(picture1);
  place(drive1, ControlId::Drive1);
  drive1_ = std::make_unique<QtDriveList>(drive1);

  label5_ = makeLabel(ControlId::Label5);

  auto* dir1 = new FolderTree(picture1);
  dir1->setHeaderHidden(true);
  dir1->setRootIsDecorated(false);
  dir1->setItemsExpandable(false);
  dir1->setUniformRowHeights(true);
  dir1->setIndentation(twipsToPixels(135, dpi_));
  dir1->setSelectionMode(QAbstractItemView::SingleSelection);
  place(dir1, ControlId::Dir1);
  dir1->installEventFilter(this);
  dir1_ = std::make_unique<QtDirList>(dir1);

  auto* progress = new QProgressBar(picture1);
  progress->setRange(0, 1000);
  progress->setValue(0);
  place(progress, ControlId::ProgressBar1);
  progress_ = std::make_unique<QtProgress>(progress);

  auto* image1 = new QLabel(this);
  place(image1, ControlId::Image1);
  image1_ = std::make_unique<QtPicture>(image1);

  // As in a dialog, the button with the focus is the one Return and Enter press, and it wears
  // the default button's frame while it has the focus.
  auto* command2 = new QPushButton(this);
  place(command2, ControlId::Command2);
  command2->setAutoDefault(true);
  command2_ = std::make_unique<QtButton>(command2);
  auto* command3 = new QPushButton(this);
  place(command3, ControlId::Command3);
  command3->setAutoDefault(true);
  command3_ = std::make_unique<QtButton>(command3);

  QWidget* previous = nullptr;
  for (ControlId id : focusOrder()) {
    QWidget* w = widget(id);
    if (!w || w->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
  // The focus starts on "Next >" and shows there from the start, not only after a Tab.
  command2->setFocus();
  command2->setDefault(true);
  setAttribute(Qt::WA_KeyboardFocusChange);

  qtimer_ = new QTimer(this);
  timer1_ = std::make_unique<QtTimer>(qtimer_);
}

void QtForm1Window::wireEvents() {
  connect(static_cast<QPushButton*>(widget(ControlId::Command2)), &QPushButton::clicked, this,
          [this] { dispatch([this] { form_->Command2_Click(); }); });
  connect(static_cast<QPushButton*>(widget(ControlId::Command3)), &QPushButton::clicked, this,
          [this] { dispatch([this] { form_->Command3_Click(); }); });
  connect(qtimer_, &QTimer::timeout, this, [this] { dispatch([this] { form_->Timer1_Timer(); }); });
  connect(static_cast<QComboBox*>(widget(ControlId::Drive1)), &QComboBox::activated, this,
          [this](int index) {
            if (index >= 0)
              dispatch([this, index] { form_->Drive1_Change(static_cast<std::size_t>(index)); });
          });
  auto* tree = static_cast<QTreeWidget*>(widget(ControlId::Dir1));
  connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    int row = dir1_->rowOf(item);
    if (dir1_->rebuilding() || row < 0) return;
    dispatch([this, row] { form_->Dir1_Highlight(static_cast<std::size_t>(row)); });
  });
  // Opening rebuilds the tree, so it runs after the tree's own signal has returned.
  connect(
      tree, &QTreeWidget::itemDoubleClicked, this,
      [this](QTreeWidgetItem* item) {
        int row = dir1_->rowOf(item);
        if (row >= 0) dispatch([this, row] { form_->Dir1_Open(static_cast<std::size_t>(row)); });
      },
      Qt::QueuedConnection);
}

bool QtForm1Window::eventFilter(QObject* watched, QEvent* event) {
  auto* tree = widget(ControlId::Dir1);
  if (watched == tree && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      int row = dir1_->rowOf(static_cast<QTreeWidget*>(tree)->currentItem());
      if (row >= 0)
        QMetaObject::invokeMethod(
            this,
            [this, row] {
              dispatch([this, row] { form_->Dir1_Open(static_cast<std::size_t>(row)); });
            },
            Qt::QueuedConnection);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void QtForm1Window::dispatch(const std::function<void()>& handler) {
  if (ended_ || !form_) return;
  if (auto code = runEvent(boxes_, handler)) endProgram(*code);
}

void QtForm1Window::endProgram(int code) {
  if (ended_) return;
  ended_ = true;
  qtimer_->stop();
  hide();                        // hiding sends no close event, so no close question is asked
  QCoreApplication::exit(code);  // never quit(), which would send close events
}

void QtForm1Window::closeEvent(QCloseEvent* event) {
  if (ended_ || !form_) {
    event->accept();
    return;
  }
  std::int16_t cancel = 0;
  auto code = runEvent(boxes_, [this, &cancel] { form_->Form_Unload(cancel); });
  if (ended_) {  // a nested event ended the program meanwhile
    event->accept();
    return;
  }
  if (code) {
    event->accept();
    endProgram(*code);
  } else if (cancel != 0) {
    event->ignore();
  } else {
    event->accept();
    endProgram(form_->closeExitCode());
  }
}

void QtForm1Window::setCaption(const std::string& caption) {
  setWindowTitle(toQt(caption));
}

void QtForm1Window::activate() {
  if (isVisible() && !isActiveWindow()) activateWindow();
}

void QtForm1Window::makeVisible() {
  if (!isVisible() && !ended_) show();
}

void QtForm1Window::refresh() {
  // Paint what changed, at most every few hundredths of a second; input stays queued.
  if (sinceRefresh_.isValid() && sinceRefresh_.elapsed() < 40) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceRefresh_.restart();
}

}  // namespace tamberlin
