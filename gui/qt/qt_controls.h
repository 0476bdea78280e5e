#pragma once
// Form1's controls on Qt Widgets: each adapter holds one widget and only draws what Form1 tells
// it. User events are wired up by QtForm1Window.

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <vector>

#include "wizard/form1_view.h"

namespace tamberlin {

/// Qt's text for one of ours: UTF-8, CR line breaks made Qt's.
QString toQt(const std::string& text);

class QtLabel : public TextControl {
 public:
  explicit QtLabel(QLabel* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  void setText(const std::string& text) override { w_->setText(toQt(text)); }

 private:
  QLabel* w_;
};

class QtButton : public TextControl {
 public:
  explicit QtButton(QPushButton* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  void setText(const std::string& text) override { w_->setText(toQt(text)); }

 private:
  QPushButton* w_;
};

class QtPanel : public Control {
 public:
  explicit QtPanel(QFrame* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }

 private:
  QFrame* w_;
};

/// A picture display: a label that scales its pixmap to its own size.
class QtPicture : public PictureControl {
 public:
  explicit QtPicture(QLabel* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  bool showStretched(const std::string& fileBytes) override;
  void showPixels(int width, int height, const std::vector<std::uint8_t>& rgb) override;

 private:
  QLabel* w_;
};

class QtDriveList : public DriveListControl {
 public:
  explicit QtDriveList(QComboBox* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  void setDrives(const std::vector<std::string>& texts, std::size_t current) override;

 private:
  QComboBox* w_;
};

/// A tree that draws no expand arrows: a classic folder list shows its levels by indentation
/// and folder pictures only, and nothing in it collapses. A row whose name it has to cut short
/// shows the folder's whole path as its tooltip.
class FolderTree : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  /// Item data role of a row's whole path.
  static constexpr int kPathRole = Qt::UserRole;
  /// True when the row of `index` is too wide for the list, so its name shows cut short.
  bool cutShort(const QModelIndex& index) const;

 protected:
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
  bool viewportEvent(QEvent* event) override;
};

/// The folder list on a tree widget: the open folders nest down to the current one, whose
/// subfolders hang below it; nothing collapses. Row numbers count items in display order.
class QtDirList : public DirListControl {
 public:
  explicit QtDirList(QTreeWidget* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  void setRows(const std::vector<DirRow>& rows, std::size_t highlighted) override;
  /// The row of `item`, or -1 when it is none of ours.
  int rowOf(const QTreeWidgetItem* item) const;
  /// True while setRows rebuilds the tree (its selection signals are then not the user's).
  bool rebuilding() const { return rebuilding_; }

 private:
  QTreeWidget* w_;
  std::vector<QTreeWidgetItem*> items_;
  bool rebuilding_ = false;
};

class QtProgress : public ProgressControl {
 public:
  explicit QtProgress(QProgressBar* w) : w_(w) {}
  void setVisible(bool visible) override { w_->setVisible(visible); }
  void setEnabled(bool enabled) override { w_->setEnabled(enabled); }
  void setPermille(int permille) override { w_->setValue(permille); }

 private:
  QProgressBar* w_;
};

class QtTimer : public TimerControl {
 public:
  explicit QtTimer(QTimer* t) : t_(t) {}
  void setInterval(int milliseconds) override;

 private:
  QTimer* t_;
};

}  // namespace tamberlin
