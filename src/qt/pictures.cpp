#include "qt/pictures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

#include "qt/style.h"
#include "qt/units.h"

namespace tunebelt::qt {

namespace {

constexpr int kFlagWidth = 25;
constexpr int kFlagHeight = 14;

QPixmap blankPicture(int width, int height, const QColor& fill) {
  QPixmap pm(width, height);
  pm.fill(fill);
  return pm;
}

// The words' font: the skin's face at three fifths of the picture's height,
// spaced as widely as the picture's width allows (at most `spacing`), and
// smaller where even unspaced words would not fit with a pixel to spare.
QFont wordsFont(const QString& words, int width, int height, qreal spacing) {
  QFont f;
  for (int size = height * 3 / 5; size >= std::max(6, height * 2 / 5); --size) {
    f = skinFont(size);
    f.setCapitalization(QFont::AllUppercase);
    for (qreal s = spacing; s >= 0; s -= 0.5) {
      f.setLetterSpacing(QFont::AbsoluteSpacing, s);
      const QFontMetricsF fm(f);
      // The spacing follows every letter, the last one too: it is not ink.
      if (fm.horizontalAdvance(words) - s + 2 <= width && fm.height() + 2 <= height) return f;
    }
  }
  return f;
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
  p.setFont(wordsFont(words, width - (lit ? 4 : 0), height, lit ? 3.0 : 3.5));
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

}  // namespace tunebelt::qt
