#include "core/state/textfit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tunebelt {
namespace {

// A face whose text is `perPoint` pixels wide per point of size, with its
// ink from `lead` pixels after the text's origin; one line 1.4 times the
// size high from y 1. Wrapping text breaks into as many lines as the width
// needs.
struct FakeFace {
  double perPoint = 20;
  int lead = 1;
  bool wraps = false;
  int calls = 0;
  TextInk operator()(double points, int width) {
    ++calls;
    const int length = int(std::ceil(perPoint * points));
    const int lineHeight = int(std::ceil(points * 1.4));
    TextInk ink;
    ink.lines = 1;
    int lineLength = length;
    if (wraps) {
      const int room = width - 2;
      ink.lines = (length + room - 1) / room;
      lineLength = std::min(length, room);
    }
    ink.left = lead;
    ink.right = lead + lineLength;
    ink.top = 1;
    ink.bottom = 1 + ink.lines * lineHeight;
    return ink;
  }
};

MeasureText measureWith(FakeFace& face) {
  return [&face](double points, int width) { return face(points, width); };
}

TextFitRule rule(PixelBox designed, PixelBox room, double points = 10) {
  TextFitRule r;
  r.designed = designed;
  r.room = room;
  r.points = points;
  r.minPoints = points * 0.6;
  return r;
}

TEST(FitText, TextThatFitsStaysAtTheDesignedBoxAndSize) {
  FakeFace face;  // 200 px of ink from x 1, 14 px high from y 1
  const TextFit fit = FitText(rule({50, 20, 203, 17}, {40, 10, 400, 40}), measureWith(face));
  EXPECT_TRUE(fit.fits);
  EXPECT_EQ(fit.box, (PixelBox{50, 20, 203, 17}));
  EXPECT_EQ(fit.points, 10);
  EXPECT_EQ(fit.textLeft, 0);
  EXPECT_EQ(fit.textTop, 0);
  EXPECT_EQ(face.calls, 1);
}

TEST(FitText, InkOnTheEdgeMovesInsideTheDesignedBoxBeforeTheBoxGrows) {
  // An italic first letter reaching pixel 0 (the fault of the old drag
  // caption): moved one pixel in, the box stays.
  FakeFace face;
  face.lead = 0;
  TextFit fit = FitText(rule({50, 20, 203, 17}, {40, 10, 400, 40}), measureWith(face));
  EXPECT_EQ(fit.box, (PixelBox{50, 20, 203, 17}));
  EXPECT_EQ(fit.textLeft, 1);
  // Where the box has no pixel to spare, it grows instead; the text stays
  // where the design puts it.
  face.lead = -2;  // an overhang left of the origin
  fit = FitText(rule({50, 20, 201, 17}, {40, 10, 400, 40}), measureWith(face));
  EXPECT_EQ(fit.box, (PixelBox{47, 20, 204, 17}));
  EXPECT_EQ(fit.textLeft, 3);
  EXPECT_EQ(fit.points, 10);
}

TEST(FitText, WiderTextGrowsIntoTheRoomTowardsTheFreeSide) {
  FakeFace face;
  face.perPoint = 30;  // 300 px at the designed size
  // Room to the right: the box keeps its left edge.
  TextFit fit = FitText(rule({50, 20, 200, 17}, {50, 10, 400, 40}), measureWith(face));
  EXPECT_TRUE(fit.fits);
  EXPECT_EQ(fit.points, 10);
  EXPECT_EQ(fit.box, (PixelBox{50, 20, 302, 17}));
  // Room only to the left, as for the drag caption over its tab: the right
  // edge stays and the text moves left to keep inside.
  fit = FitText(rule({250, 20, 200, 17}, {40, 10, 410, 40}), measureWith(face));
  EXPECT_EQ(fit.box.right(), 450);
  EXPECT_EQ(fit.box.width, 302);
  EXPECT_EQ(fit.box.left + fit.textLeft + face.lead, fit.box.left + 1);  // one clear pixel
  EXPECT_EQ(fit.points, 10);
}

TEST(FitText, TextTooWideForTheRoomTakesTheLargestSizeThatFits) {
  FakeFace face;
  face.perPoint = 30;
  // 262 px of room: 30 px per point plus the lead and two clear pixels
  // leave room for 8.5 points.
  const TextFit fit = FitText(rule({50, 20, 200, 17}, {50, 10, 262, 40}), measureWith(face));
  EXPECT_TRUE(fit.fits);
  EXPECT_DOUBLE_EQ(fit.points, 8.5);
  EXPECT_LE(fit.box.right(), 312);
  EXPECT_GE(fit.box.width, 200);
}

TEST(FitText, TallTextGrowsDownOrUpWithinTheRoom) {
  FakeFace face;  // 14 px of ink from y 1: needs a 16 px box
  // The room ends at the designed bottom (a list below): the box grows up.
  TextFit fit = FitText(rule({50, 20, 300, 12}, {40, 10, 400, 22}), measureWith(face));
  EXPECT_EQ(fit.box.bottom(), 32);
  EXPECT_EQ(fit.box.height, 16);
  EXPECT_EQ(fit.box.top + fit.textTop + 1, fit.box.top + 1);
  // Room below: the top stays.
  fit = FitText(rule({50, 20, 300, 12}, {40, 20, 400, 30}), measureWith(face));
  EXPECT_EQ(fit.box, (PixelBox{50, 20, 300, 16}));
  EXPECT_EQ(fit.textTop, 0);
}

TEST(FitText, DesignedBoxReachingOutOfTheRoomIsCutToIt) {
  FakeFace face;
  face.perPoint = 10;
  const TextFit fit = FitText(rule({805, 747, 222, 18}, {520, 740, 500, 26}), measureWith(face));
  EXPECT_EQ(fit.box, (PixelBox{805, 747, 215, 18}));
}

TEST(FitText, WrappingTextTakesTheNarrowestWiderBoxForItsLines) {
  FakeFace face;
  face.wraps = true;
  face.perPoint = 60;  // 600 px: three lines at the designed 202 px width
  TextFitRule r = rule({50, 20, 202, 31}, {50, 20, 400, 40});
  r.maxLines = 2;
  const TextFit fit = FitText(r, measureWith(face));
  EXPECT_TRUE(fit.fits);
  EXPECT_EQ(fit.points, 10);
  // Two lines need 300 px of line: a 302 px box, the narrowest that does.
  EXPECT_EQ(fit.layoutWidth, 302);
  EXPECT_EQ(fit.box.width, 302);
  EXPECT_EQ(fit.box.height, 31);
  // A text that may not wrap never takes a second line.
  r.maxLines = 1;
  EXPECT_FALSE(FitText(r, measureWith(face)).fits);
}

TEST(FitText, ButtonTextThatCannotMoveMustFitWhereItIsDrawn) {
  FakeFace face;
  face.lead = 0;  // touches the face's edge where the button draws it
  TextFitRule r = rule({0, 0, 210, 20}, {0, 0, 210, 20});
  r.canMoveText = false;
  const TextFit fit = FitText(r, measureWith(face));
  EXPECT_FALSE(fit.fits);
  EXPECT_EQ(fit.points, 6);
  face.lead = 1;
  EXPECT_EQ(FitText(r, measureWith(face)).points, 10);
}

TEST(FitText, NothingFitsGivesTheRoomAtTheSmallestSize) {
  FakeFace face;
  face.perPoint = 100;
  const TextFit fit = FitText(rule({50, 20, 200, 17}, {50, 10, 300, 40}), measureWith(face));
  EXPECT_FALSE(fit.fits);
  EXPECT_EQ(fit.box, (PixelBox{50, 10, 300, 40}));
  EXPECT_DOUBLE_EQ(fit.points, 6);
}

TEST(FitText, EmptyTextKeepsTheDesignedBox) {
  const TextFit fit =
      FitText(rule({50, 20, 200, 17}, {50, 10, 300, 40}), [](double, int) { return TextInk{}; });
  EXPECT_TRUE(fit.fits);
  EXPECT_EQ(fit.box, (PixelBox{50, 20, 200, 17}));
}

}  // namespace
}  // namespace tunebelt
