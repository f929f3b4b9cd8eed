// Window measures are designed in twips; Qt takes device-independent
// pixels. At 96 dots per inch a pixel is 15 twips.
#pragma once

#include <string_view>

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "core/state/skinlayout.h"

namespace tunebelt::ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel (halves away from zero).
constexpr int px(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int twips(int pixels) {
  return pixels * kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(px(left), px(top), px(width), px(height));
}

inline const QColor kAccentOrange(246, 145, 16);
inline const QColor kDarkGrey(64, 64, 64);
inline const QColor kLightGrey(205, 205, 205);
inline const QColor kWhite(255, 255, 255);

// The accent orange every window of the program is drawn on.
inline void fillWithAccentOrange(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, kAccentOrange);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

// A font by the design's family name. Where the family is missing, a face
// with the same metrics comes first (so texts fit their designed boxes),
// then the system's sans face.
inline QFont designFont(const QString& family, double points, bool bold = false,
                        bool italic = false) {
  QFont f;
  QStringList families{family};
  if (family == "Arial")
    families << "Liberation Sans"
             << "Arimo"
             << "Nimbus Sans";
  if (family == "Verdana")
    families << "DejaVu Sans"
             << "Bitstream Vera Sans";
  if (family == "Tahoma")
    families << "DejaVu Sans Condensed"
             << "DejaVu Sans";
  f.setFamilies(families);
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(points);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

inline QString qs(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace tunebelt::ui
