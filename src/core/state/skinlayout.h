// Where the skinned controls of the main window go once their pictures are
// known. Everything is in twips; the window converts to pixels.
#pragma once

namespace tunebelt {

struct TwipsPoint {
  int left = 0;
  int top = 0;
  bool operator==(const TwipsPoint&) const = default;
};

struct TwipsSize {
  int width = 0;
  int height = 0;
};

struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What the placement reads: the title strip's own height (it stretches its
// picture, so this is never the picture's height), the sizes of the row's
// pieces as their pictures made them, the playlist background's current
// left, and the list box.
struct SkinLayoutInput {
  int titleHeight = 0;
  TwipsSize leftside;
  TwipsSize add;
  TwipsSize playlist;
  TwipsSize remove;
  TwipsSize writeScript;
  int playlistBackgroundLeft = 0;
  TwipsRect list;
};

// The positions the placement gives. The hover images stand exactly on their
// buttons; the two move buttons share one left, 5 twips right of the list.
struct SkinLayout {
  TwipsPoint leftside;
  TwipsPoint add;
  TwipsPoint playlist;
  TwipsPoint remove;
  TwipsPoint writeScript;
  TwipsPoint rightside;
  TwipsPoint playlistBackground;
  TwipsPoint addHover;
  TwipsPoint playlistHover;
  TwipsPoint removeHover;
  TwipsPoint writeScriptHover;
  int moveButtonsLeft = 0;
};

inline constexpr int kMoveButtonGap = 5;

SkinLayout LayoutSkin(const SkinLayoutInput& in);

}  // namespace tunebelt
