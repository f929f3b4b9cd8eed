// Window measures are designed in twips; Qt takes device-independent
// pixels. At 96 dots per inch a pixel is 15 twips.
#pragma once

#include <QRect>

namespace tunebelt::qt {

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

// The rectangle moved, not resized, into `screen` where it sticks out (its
// top left kept on the screen when it is the larger); unchanged for an empty
// screen.
inline QRect movedOntoScreen(QRect r, const QRect& screen) {
  if (screen.isEmpty()) return r;
  if (r.right() > screen.right()) r.moveRight(screen.right());
  if (r.bottom() > screen.bottom()) r.moveBottom(screen.bottom());
  if (r.left() < screen.left()) r.moveLeft(screen.left());
  if (r.top() < screen.top()) r.moveTop(screen.top());
  return r;
}

}  // namespace tunebelt::qt
