#include "gui/qt/qt_message_boxes.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

#include "gui/qt/qt_controls.h"

namespace tamberlin {
namespace {

/// The width a window needs for its whole title in a window manager's title bar.
int titleBarWidth(const QWidget& window) {
  // Decorations mostly draw the title bold; beside it stand the window's icon and up to three
  // buttons, each about as wide as the bar is high.
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  font.setBold(true);
  int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
  int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
  return text + 5 * bar;
}

/// A message box at least as wide as its title needs in the window manager's title bar. Qt
/// sizes a box by its text and buttons, so a short text ("new.col") with an OK button gives a
/// box whose title the frame cuts short.
class TitledBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    widen();
  }
  bool event(QEvent* event) override {
    bool done = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest) widen();  // QMessageBox sizes itself anew
    return done;
  }

 private:
  void widen() {
    int wanted = titleBarWidth(*this);
    if (screen()) wanted = qMin(wanted, screen()->availableGeometry().width());
    if (!isVisible() || width() >= wanted) return;
    QLayout* box = layout();
    int height =
        box && box->hasHeightForWidth() ? box->totalHeightForWidth(wanted) : this->height();
    setFixedSize(wanted, qMax(height, minimumSizeHint().height()));
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
  }
};

}  // namespace

MsgAnswer QtMessageBoxes::show(const MessageBoxRequest& box) {
  QWidget* parent = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
  TitledBox mb(box.icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
               toQt(box.title), toQt(box.text), QMessageBox::NoButton, parent);
  mb.setTextFormat(Qt::PlainText);
  if (box.buttons == MsgButtons::YesNo) {
    mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    mb.setDefaultButton(box.defaultNo ? QMessageBox::No : QMessageBox::Yes);
    mb.setEscapeButton(QMessageBox::No);
    return mb.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
  }
  mb.setStandardButtons(QMessageBox::Ok);
  mb.setDefaultButton(QMessageBox::Ok);
  mb.exec();
  return MsgAnswer::Ok;
}

}  // namespace tamberlin
