#include "core/state/skinlayout.h"

#include <gtest/gtest.h>

namespace tunebelt {
namespace {

// The designed sizes of the main window's skin pieces.
SkinLayoutInput designed() {
  SkinLayoutInput in;
  in.titleHeight = 2490;
  in.leftside = {480, 735};
  in.add = {2205, 735};
  in.playlist = {2430, 735};
  in.remove = {2805, 735};
  in.writeScript = {2475, 735};
  in.playlistBackgroundLeft = -15;
  in.list = {840, 5220, 13335, 4830};
  return in;
}

TEST(SkinLayout, DesignedSizesGiveTheDesignedRow) {
  SkinLayout l = LayoutSkin(designed());
  EXPECT_EQ(l.leftside, (TwipsPoint{0, 2490}));
  EXPECT_EQ(l.add, (TwipsPoint{480, 2490}));
  EXPECT_EQ(l.playlist, (TwipsPoint{2685, 2490}));
  EXPECT_EQ(l.remove, (TwipsPoint{5115, 2490}));
  EXPECT_EQ(l.writeScript, (TwipsPoint{7920, 2490}));
  EXPECT_EQ(l.rightside, (TwipsPoint{10395, 2490}));
  EXPECT_EQ(l.playlistBackground, (TwipsPoint{-15, 3225}));
  EXPECT_EQ(l.moveButtonsLeft, 14180);
}

TEST(SkinLayout, HoverImagesStandOnTheirButtons) {
  SkinLayoutInput in = designed();
  in.add.width = 3000;
  SkinLayout l = LayoutSkin(in);
  EXPECT_EQ(l.addHover, l.add);
  EXPECT_EQ(l.playlistHover, l.playlist);
  EXPECT_EQ(l.removeHover, l.remove);
  EXPECT_EQ(l.writeScriptHover, l.writeScript);
}

TEST(SkinLayout, AWiderButtonPushesEveryLaterPieceBySameAmount) {
  SkinLayout before = LayoutSkin(designed());
  SkinLayoutInput in = designed();
  in.playlist.width += 600;
  SkinLayout after = LayoutSkin(in);
  EXPECT_EQ(after.add, before.add);
  EXPECT_EQ(after.playlist, before.playlist);
  EXPECT_EQ(after.remove.left, before.remove.left + 600);
  EXPECT_EQ(after.writeScript.left, before.writeScript.left + 600);
  EXPECT_EQ(after.rightside.left, before.rightside.left + 600);
  EXPECT_EQ(after.moveButtonsLeft, before.moveButtonsLeft);
}

TEST(SkinLayout, ATallerLeftPieceMovesTheBackgroundDownButTheTitleDoesNot) {
  SkinLayoutInput in = designed();
  in.leftside.height = 900;
  EXPECT_EQ(LayoutSkin(in).playlistBackground, (TwipsPoint{-15, 3390}));
  // A narrow left piece starts the buttons further left.
  in.leftside.width = 120;
  EXPECT_EQ(LayoutSkin(in).add.left, 120);
}

TEST(SkinLayout, MoveButtonsFollowTheListBox) {
  SkinLayoutInput in = designed();
  in.list = {100, 0, 9000, 10};
  EXPECT_EQ(LayoutSkin(in).moveButtonsLeft, 9105);
}

}  // namespace
}  // namespace tunebelt
