#include "gui/qt/qt_message_boxes.h"

#include <QMessageBox>

#include "gui/qt/qt_controls.h"

namespace tamberlin {

MsgAnswer QtMessageBoxes::show(const MessageBoxRequest& box) {
  QWidget* parent = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
  QMessageBox mb(box.icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
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
