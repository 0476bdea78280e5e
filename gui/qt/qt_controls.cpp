#include "gui/qt/qt_controls.h"

#include <QHelpEvent>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QToolTip>

#include "wizard/display_text.h"

namespace tamberlin {

QString toQt(const std::string& text) {
  return QString::fromStdString(withLineBreaks(text, "\n"));
}

bool QtPicture::showStretched(const std::string& fileBytes) {
  QImage image;
  // The content tells the format; the name "image.jpg" does not.
  if (!image.loadFromData(reinterpret_cast<const uchar*>(fileBytes.data()),
                          static_cast<int>(fileBytes.size())))
    return false;
  w_->setScaledContents(true);
  w_->setPixmap(QPixmap::fromImage(image));
  return true;
}

void QtPicture::showPixels(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * height * 3)
    return;
  QImage image(rgb.data(), width, height, width * 3, QImage::Format_RGB888);
  // The layout gives the control the picture's own size in twips, so scaling to the control
  // is showing it at its own size on any screen.
  w_->setScaledContents(true);
  w_->setPixmap(QPixmap::fromImage(image.copy()));
}

void QtDriveList::setDrives(const std::vector<std::string>& texts, std::size_t current) {
  QSignalBlocker quiet(w_);
  w_->clear();
  for (const std::string& t : texts)
    w_->addItem(w_->style()->standardIcon(QStyle::SP_DriveHDIcon), toQt(t));
  if (current < texts.size()) w_->setCurrentIndex(static_cast<int>(current));
}

bool FolderTree::cutShort(const QModelIndex& index) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  return itemDelegateForIndex(index)->sizeHint(option, index).width() > option.rect.width();
}

bool FolderTree::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  QModelIndex index = indexAt(help->pos());
  if (index.isValid() && cutShort(index))
    QToolTip::showText(help->globalPos(), index.data(kPathRole).toString(), viewport(),
                       visualRect(index));
  else
    QToolTip::hideText();
  return true;
}

void QtDirList::setRows(const std::vector<DirRow>& rows, std::size_t highlighted) {
  rebuilding_ = true;
  w_->clear();
  items_.clear();
  QIcon openIcon = w_->style()->standardIcon(QStyle::SP_DirOpenIcon);
  QIcon closedIcon = w_->style()->standardIcon(QStyle::SP_DirClosedIcon);
  // Each open folder is the parent of the next row; closed ones hang below the last open one.
  QTreeWidgetItem* lastOpen = nullptr;
  for (const DirRow& row : rows) {
    auto* item = lastOpen ? new QTreeWidgetItem(lastOpen) : new QTreeWidgetItem(w_);
    item->setText(0, toQt(row.text));
    item->setIcon(0, row.open ? openIcon : closedIcon);
    item->setData(0, FolderTree::kPathRole, toQt(row.path));
    if (row.open) lastOpen = item;
    items_.push_back(item);
  }
  for (QTreeWidgetItem* item : items_)
    if (item->childCount() > 0) item->setExpanded(true);
  if (highlighted < items_.size()) {
    w_->setCurrentItem(items_[highlighted]);
    // The current folder near the top, with a couple of its parents above it and as many of
    // its subfolders below it as fit, as the Win32 list shows it.
    w_->scrollToItem(items_[highlighted > 2 ? highlighted - 2 : 0],
                     QAbstractItemView::PositionAtTop);
    w_->scrollToItem(items_[highlighted]);
  }
  rebuilding_ = false;
}

int QtDirList::rowOf(const QTreeWidgetItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<int>(i);
  return -1;
}

void QtTimer::setInterval(int milliseconds) {
  if (milliseconds <= 0) {
    t_->stop();
  } else {
    t_->setInterval(milliseconds);
    t_->start();
  }
}

}  // namespace tamberlin
