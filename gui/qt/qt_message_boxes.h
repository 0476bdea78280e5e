#pragma once
// Message boxes on Qt Widgets: modal QMessageBox with the buttons, icon, default button and
// title the request asks for, never narrower than its title.

#include <QPointer>
#include <QWidget>

#include "ui/message_box.h"

namespace tamberlin {

class QtMessageBoxes : public MessageBoxes {
 public:
  /// Boxes are centred on `parent` once it is set and visible.
  void setParent(QWidget* parent) { parent_ = parent; }
  MsgAnswer show(const MessageBoxRequest& box) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tamberlin
