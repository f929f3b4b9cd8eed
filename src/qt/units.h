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

}  // namespace tunebelt::qt
