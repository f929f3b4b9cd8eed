#include "core/state/textfit.h"

#include <algorithm>
#include <optional>

namespace tunebelt {

namespace {

// One axis of a box: [begin, end).
struct Span {
  int begin = 0;
  int end = 0;
};

struct Placed {
  Span box;
  int shift = 0;  // how far the text moves from its natural place
};

// The ink [inkBegin, inkEnd), relative to the text's natural origin, with a
// clear pixel on both sides: inside the designed span where it fits there
// (moved as little as needed), else in a span grown from the designed one
// inside the room, the text moved back into the room where it would leave it.
std::optional<Placed> placeSpan(int origin, int inkBegin, int inkEnd, Span designed, Span room,
                                bool canMoveText) {
  if (inkBegin >= inkEnd) return Placed{designed, 0};
  const int lo = origin + inkBegin - 1;
  const int hi = origin + inkEnd + 1;
  auto shiftInto = [&](Span span) {
    if (lo < span.begin) return span.begin - lo;
    if (hi > span.end) return span.end - hi;
    return 0;
  };
  if (hi - lo <= designed.end - designed.begin) {
    const int shift = shiftInto(designed);
    if (shift == 0 || canMoveText) return Placed{designed, shift};
  }
  if (hi - lo > room.end - room.begin) return std::nullopt;
  const int shift = shiftInto(room);
  if (shift != 0 && !canMoveText) return std::nullopt;
  return Placed{{std::min(designed.begin, lo + shift), std::max(designed.end, hi + shift)}, shift};
}

std::optional<TextFit> placeText(const TextFitRule& rule, const PixelBox& designed,
                                 const TextInk& ink, double points, int width) {
  if (ink.lines > rule.maxLines) return std::nullopt;
  const bool empty = ink.empty();
  const auto across = placeSpan(designed.left, empty ? 0 : ink.left, empty ? 0 : ink.right,
                                {designed.left, designed.right()},
                                {rule.room.left, rule.room.right()}, rule.canMoveText);
  const auto down = placeSpan(designed.top, empty ? 0 : ink.top, empty ? 0 : ink.bottom,
                              {designed.top, designed.bottom()},
                              {rule.room.top, rule.room.bottom()}, rule.canMoveText);
  if (!across || !down) return std::nullopt;
  TextFit fit;
  fit.box = {across->box.begin, down->box.begin, across->box.end - across->box.begin,
             down->box.end - down->box.begin};
  fit.points = points;
  fit.textLeft = designed.left + across->shift - fit.box.left;
  fit.textTop = designed.top + down->shift - fit.box.top;
  fit.layoutWidth = width;
  fit.fits = true;
  return fit;
}

// At one size: the designed width, else (for wrapping text, whose lines
// depend on the width) the narrowest wider one that fits.
std::optional<TextFit> fitAtSize(const TextFitRule& rule, const PixelBox& designed,
                                 const MeasureText& measure, double points) {
  auto at = [&](int width) {
    return placeText(rule, designed, measure(points, width), points, width);
  };
  if (auto fit = at(designed.width)) return fit;
  if (rule.maxLines <= 1 || !rule.canMoveText) return std::nullopt;
  const int widest = rule.room.right() - designed.left;
  auto best = at(widest);
  if (!best) return std::nullopt;
  int fails = designed.width;  // the widths in (fails, fitsAt] are still open
  int fitsAt = widest;
  while (fitsAt - fails > 1) {
    const int mid = fails + (fitsAt - fails) / 2;
    if (auto fit = at(mid)) {
      best = fit;
      fitsAt = mid;
    } else {
      fails = mid;
    }
  }
  return best;
}

}  // namespace

PixelBox DesignedWithinRoom(const TextFitRule& rule) {
  const int left = std::max(rule.designed.left, rule.room.left);
  const int top = std::max(rule.designed.top, rule.room.top);
  const int right = std::min(rule.designed.right(), rule.room.right());
  const int bottom = std::min(rule.designed.bottom(), rule.room.bottom());
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

TextFit FitText(const TextFitRule& rule, const MeasureText& measure) {
  const PixelBox designed = DesignedWithinRoom(rule);
  const double step = rule.step > 0 ? rule.step : 0.25;
  for (int i = 0;; ++i) {
    const double points = rule.points - i * step;
    if (points < rule.minPoints - 1e-9 || points <= 0) break;
    if (auto fit = fitAtSize(rule, designed, measure, points)) return *fit;
  }
  TextFit fallback;
  fallback.box = rule.room;
  fallback.points = std::max(rule.minPoints, step);
  fallback.textLeft = designed.left - rule.room.left;
  fallback.textTop = designed.top - rule.room.top;
  fallback.layoutWidth = rule.room.width;
  return fallback;
}

}  // namespace tunebelt
