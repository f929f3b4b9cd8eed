#include "core/state/credits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunebelt {
namespace {

constexpr int kStart = 4740;  // a 6450-twip window less both labels
// The first credit rises from the start top and is replaced on tick 126
// ((4740 - 2250) / 20 = 124.5); each later one starts 20 twips higher, since
// the replacing tick moves it too, and lasts 125 ticks.
constexpr int kFirst = 126;
constexpr int kLater = 125;

// The credit shown after each tick, "" while hidden, for n ticks.
std::vector<std::string> shown(CreditsRoll& roll, int ticks) {
  std::vector<std::string> out;
  for (int i = 0; i < ticks; ++i) {
    roll.tick();
    out.push_back(roll.visible() ? roll.positionCaption() + "/" + roll.nameCaption() : "");
  }
  return out;
}

// The credits in the order they appear, each listed once per appearance.
std::vector<std::string> sequence(CreditsRoll& roll, int ticks) {
  std::vector<std::string> out;
  for (const std::string& s : shown(roll, ticks)) {
    if (!s.empty() && (out.empty() || out.back() != s)) out.push_back(s);
  }
  return out;
}

TEST(Credits, LoadHidesTheLabelsAndHoldsTheFirstCredit) {
  CreditsRoll roll({"Code", "Ann", "Music", "Velloran"}, kStart);
  EXPECT_FALSE(roll.visible());
  EXPECT_EQ(roll.positionTop(), kStart);
  EXPECT_EQ(roll.nameTop(), 2400);  // until the first tick
  EXPECT_EQ(roll.positionCaption(), "Code");
  EXPECT_EQ(roll.nameCaption(), "Ann");
}

TEST(Credits, RisesTwentyTwipsPerTickWithTheNameUnderThePosition) {
  CreditsRoll roll({"Code", "Ann", "Music", "Velloran"}, kStart);
  for (int i = 1; i <= 5; ++i) {
    roll.tick();
    EXPECT_TRUE(roll.visible());
    EXPECT_EQ(roll.positionTop(), kStart - 20 * i);
    EXPECT_EQ(roll.nameTop(), roll.positionTop() + 375);
  }
}

TEST(Credits, TwoCreditsAlternate) {
  CreditsRoll roll({"Code", "Ann", "Music", "Velloran"}, kStart);
  EXPECT_EQ(sequence(roll, kFirst + kLater * 3),
            (std::vector<std::string>{"Code/Ann", "Music/Velloran", "Code/Ann", "Music/Velloran"}));
}

TEST(Credits, EachReplacedCreditIsHiddenForExactlyOneTick) {
  CreditsRoll roll({"Code", "Ann", "Music", "Velloran"}, kStart);
  std::vector<std::string> ticks = shown(roll, kFirst + kLater * 3);
  for (int i = 1; i <= static_cast<int>(ticks.size()); ++i) {
    bool replaced = i >= kFirst && (i - kFirst) % kLater == 0;
    EXPECT_EQ(ticks[i - 1].empty(), replaced) << "tick " << i;
  }
  // The hiding tick restarts from the bottom, the old text still in place.
  CreditsRoll again({"Code", "Ann", "Music", "Velloran"}, kStart);
  shown(again, kFirst - 1);
  EXPECT_LT(again.positionTop(), 2250);
  again.tick();
  EXPECT_FALSE(again.visible());
  EXPECT_EQ(again.positionCaption(), "Code");
  EXPECT_EQ(again.positionTop(), kStart - 20);
  again.tick();
  EXPECT_EQ(again.positionCaption(), "Music");
  EXPECT_EQ(again.nameCaption(), "Velloran");
}

TEST(Credits, EmptyFileNeverShowsAnything) {
  CreditsRoll roll({}, kStart);
  EXPECT_TRUE(roll.empty());
  for (int i = 0; i < 300; ++i) {
    roll.tick();
    ASSERT_FALSE(roll.visible());
  }
}

TEST(Credits, ReadsPastTheEndStartAgainAtTheFirstLine) {
  CreditsRoll single({"Code", "Ann"}, kStart);
  EXPECT_EQ(sequence(single, kFirst + kLater * 2), (std::vector<std::string>{"Code/Ann"}));
  EXPECT_EQ(single.positionCaption(), "Code");

  CreditsRoll odd({"A", "B", "C"}, kStart);
  EXPECT_EQ(sequence(odd, kFirst + kLater * 2), (std::vector<std::string>{"A/B", "C/A", "B/C"}));

  CreditsRoll one({"Only"}, kStart);
  EXPECT_EQ(sequence(one, 10), (std::vector<std::string>{"Only/Only"}));
}

TEST(Credits, StartTopIsTheOuterHeightLessBothLabels) {
  EXPECT_EQ(CreditsRoll::startTopFor(6450), 4740);
}

}  // namespace
}  // namespace tunebelt
