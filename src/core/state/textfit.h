// Where a caption goes and at what size, whatever face the system gives it:
// all of its ink inside its box with a clear pixel at each edge, at the
// designed box and size where it fits there, else in a box widened into the
// free space around the designed one, else at a smaller size. The arithmetic
// only; the window measures the ink with the font it got.
#pragma once

#include <functional>

namespace tunebelt {

// A rectangle in pixels; right and bottom are one past the last pixel.
struct PixelBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const PixelBox&) const = default;
};

// The ink of a text drawn at its natural place in a box whose top left is
// (0, 0): the smallest rectangle holding every pixel it colours (right and
// bottom one past the last), and the number of lines it took. An empty text
// has no ink.
struct TextInk {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int lines = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

struct TextFitRule {
  PixelBox designed;
  // The free space the box may grow into; the designed box is cut to it.
  PixelBox room;
  // The most lines the text may take (1: it never wraps).
  int maxLines = 1;
  double points = 0;     // the designed size
  double minPoints = 0;  // the smallest size tried
  double step = 0.25;
  // The widget can draw its text away from its natural place (a picture
  // button or a label that paints itself). Without, the text must fit where
  // the widget puts it.
  bool canMoveText = true;
};

struct TextFit {
  PixelBox box;
  double points = 0;
  // Where the text's natural place lies in the box, from its top left.
  int textLeft = 0;
  int textTop = 0;
  // The width the text was laid out for (wrapping text breaks its lines
  // there).
  int layoutWidth = 0;
  // False when even the smallest size does not fit the room; the box and
  // size are then the room and the smallest size.
  bool fits = false;
};

// The ink of the text at a size, laid out for a box of a width.
using MeasureText = std::function<TextInk(double points, int width)>;

// The designed box cut to the room (what the design draws outside the free
// space it leaves cannot be seen).
PixelBox DesignedWithinRoom(const TextFitRule& rule);

// The first of: the designed box at the designed size; the narrowest box
// the room allows at that size; the same at each smaller size, down to the
// smallest. A box only grows: it holds the designed box (cut to the room)
// and the text's ink with a pixel to spare at each side. Text that would
// reach past the room moves back into it, where the widget can move it.
TextFit FitText(const TextFitRule& rule, const MeasureText& measure);

}  // namespace tunebelt
