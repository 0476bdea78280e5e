#include "gui/qt/qt_look.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tamberlin {

QFont qtFont(const FontChoice& wanted) {
  QFont font;
  const QStringList installed = QFontDatabase::families();
  for (const std::string& family : wanted.families) {
    QString name = QString::fromStdString(family);
    if (installed.contains(name, Qt::CaseInsensitive)) {
      font.setFamily(name);
      break;
    }
  }
  font.setPointSizeF(wanted.pointSize);
  return font;
}

QIcon wizardIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // A box with an arrow going into it: something is being installed.
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  p.setBrush(QColor(196, 140, 60));
  p.drawRoundedRect(QRectF(3.5, 15.5, 25, 14), 2, 2);
  QPainterPath arrow;
  arrow.moveTo(12, 2);
  arrow.lineTo(20, 2);
  arrow.lineTo(20, 12);
  arrow.lineTo(25, 12);
  arrow.lineTo(16, 22);
  arrow.lineTo(7, 12);
  arrow.lineTo(12, 12);
  arrow.closeSubpath();
  p.setBrush(QColor(40, 110, 60));
  p.drawPath(arrow);
  p.end();
  return QIcon(pixmap);
}

}  // namespace tamberlin
