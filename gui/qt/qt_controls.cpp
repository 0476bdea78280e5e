#include "gui/qt/qt_controls.h"

#include <QImage>
#include <QPixmap>
#include <QStyle>

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
    item->setToolTip(0, item->text(0));
    if (row.open) lastOpen = item;
    items_.push_back(item);
  }
  for (QTreeWidgetItem* item : items_)
    if (item->childCount() > 0) item->setExpanded(true);
  if (highlighted < items_.size()) {
    w_->setCurrentItem(items_[highlighted]);
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
