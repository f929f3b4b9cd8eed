#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/style.h"
#include "ui/units.h"

namespace tunebelt::ui {

namespace {

constexpr int kFlagWidth = 25;
constexpr int kFlagHeight = 14;

QPixmap blankPicture(int width, int height, const QColor& fill) {
  QPixmap pm(width, height);
  pm.fill(fill);
  return pm;
}

}  // namespace

QPixmap unionFlagPicture() {
  const QColor blue(1, 33, 105);
  const QColor red(200, 16, 46);
  QPixmap pm = blankPicture(kFlagWidth, kFlagHeight, blue);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QLineF d1(0, 0, kFlagWidth, kFlagHeight);
  const QLineF d2(0, kFlagHeight, kFlagWidth, 0);
  p.setPen(QPen(Qt::white, 3.0));
  p.drawLine(d1);
  p.drawLine(d2);
  p.setPen(QPen(red, 1.0));
  p.drawLine(d1);
  p.drawLine(d2);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(10, 0, 5, kFlagHeight), Qt::white);
  p.fillRect(QRect(0, 5, kFlagWidth, 4), Qt::white);
  p.fillRect(QRect(11, 0, 3, kFlagHeight), red);
  p.fillRect(QRect(0, 6, kFlagWidth, 2), red);
  return pm;
}

QPixmap germanFlagPicture() {
  QPixmap pm = blankPicture(kFlagWidth, kFlagHeight, Qt::black);
  QPainter p(&pm);
  p.fillRect(QRect(0, 5, kFlagWidth, 4), QColor(221, 0, 0));
  p.fillRect(QRect(0, 9, kFlagWidth, 5), QColor(255, 206, 0));
  return pm;
}

QPixmap wordsPicture(const QString& words, int width, int height, bool lit) {
  QPixmap pm = blankPicture(width, height, kAccentOrange);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont f = designFont("Arial", 9.0, lit);
  f.setPixelSize(height * 3 / 5);
  f.setCapitalization(QFont::AllUppercase);
  f.setLetterSpacing(QFont::AbsoluteSpacing, lit ? 3.0 : 3.5);
  p.setFont(f);
  const QRect box(0, 0, width, height);
  if (lit) {
    // A soft glow: the words drawn a few times, faint and offset, before
    // the sharp ones.
    p.setPen(QColor(255, 236, 190, 90));
    for (int dx = -2; dx <= 2; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        if (dx != 0 || dy != 0) p.drawText(box.translated(dx, dy), Qt::AlignCenter, words);
      }
    }
  }
  p.setPen(kWhite);
  p.drawText(box, Qt::AlignCenter, words);
  return pm;
}

}  // namespace tunebelt::ui
