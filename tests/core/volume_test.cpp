#include "core/state/volume.h"

#include <gtest/gtest.h>

namespace tunebelt {
namespace {

TEST(Volume, TextInRangeStays) {
  EXPECT_EQ(validvolume("100"), "100");
  EXPECT_EQ(validvolume("0"), "0");
  EXPECT_EQ(validvolume("15"), "15");
  EXPECT_EQ(validvolume("007"), "007");
  EXPECT_EQ(validvolume(""), "");  // an emptied box stays empty
}

TEST(Volume, DecimalTextInRangeKeepsItsPoint) {
  EXPECT_EQ(validvolume("33.5"), "33.5");
  EXPECT_EQ(validvolume("0.5"), "0.5");
  EXPECT_EQ(validvolume("1.5"), "1.5");
  EXPECT_EQ(validvolume("."), ".");  // the start of ".5"
  EXPECT_EQ(validvolume(".5"), ".5");
  EXPECT_EQ(validvolume("7."), "7.");
  EXPECT_EQ(validvolume("100.000"), "100.000");
}

TEST(Volume, OutOfRangeLosesItsLastCharacterUntilInRange) {
  EXPECT_EQ(validvolume("101"), "10");
  EXPECT_EQ(validvolume("150"), "15");   // typing a 0 behind 15
  EXPECT_EQ(validvolume("5000"), "50");  // pasted: 500, then 50
  EXPECT_EQ(validvolume("1000"), "100");
  EXPECT_EQ(validvolume("99999999999999999999"), "99");
  EXPECT_EQ(validvolume("100.5"), "100.");
  EXPECT_EQ(validvolume("100.0000000001"), "100.000000000");
  EXPECT_EQ(validvolume("250.5"), "25");
}

TEST(Volume, TextThatIsNotANumberIsShortenedLikeOutOfRange) {
  EXPECT_EQ(validvolume("abc"), "");
  EXPECT_EQ(validvolume("-"), "");
  EXPECT_EQ(validvolume("-5"), "");
  EXPECT_EQ(validvolume("1.5."), "1.5");
  EXPECT_EQ(validvolume("1..5"), "1.");
  EXPECT_EQ(validvolume("1,5"), "1");
  EXPECT_EQ(validvolume("4x2"), "4");
  EXPECT_EQ(validvolume("50%"), "50");
  EXPECT_EQ(validvolume("7\xC3\xA9"), "7");  // a character of two bytes
}

TEST(Volume, ApplyRoundsAHalfToTheEvenNeighbour) {
  EXPECT_EQ(ApplyVolumeText("33.5", 80), 34);
  EXPECT_EQ(ApplyVolumeText("0.5", 80), 0);
  EXPECT_EQ(ApplyVolumeText("1.5", 80), 2);
  EXPECT_EQ(ApplyVolumeText("2.5", 80), 2);
  EXPECT_EQ(ApplyVolumeText("99.5", 80), 100);
  EXPECT_EQ(ApplyVolumeText(".5", 80), 0);
  // Only an exact half goes to the even side; the digits decide, not a
  // binary fraction.
  EXPECT_EQ(ApplyVolumeText("2.5000000000000000001", 80), 3);
  EXPECT_EQ(ApplyVolumeText("2.4999999999999999999", 80), 2);
  EXPECT_EQ(ApplyVolumeText("2.50", 80), 2);
  EXPECT_EQ(ApplyVolumeText("7.", 80), 7);
}

TEST(Volume, ApplyOfTheBoxAfterTypingPastTheTop) {
  // 100.5 never reaches Apply: the box keeps "100.", which is 100.
  const std::string box = validvolume("100.5");
  EXPECT_EQ(ApplyVolumeText(box, 80), 100);
  EXPECT_EQ(ApplyVolumeText("100.5", 80), 80);  // not a volume at all
}

TEST(Volume, ApplyTakesTheNumberOrKeepsThePreviousValue) {
  EXPECT_EQ(ApplyVolumeText("35", 80), 35);
  EXPECT_EQ(ApplyVolumeText("0", 80), 0);
  EXPECT_EQ(ApplyVolumeText("100", 80), 100);
  EXPECT_EQ(ApplyVolumeText("", 60), 60);
  EXPECT_EQ(ApplyVolumeText(".", 60), 60);
  EXPECT_EQ(ApplyVolumeText("abc", 60), 60);
  EXPECT_EQ(ApplyVolumeText("101", 60), 60);
}

}  // namespace
}  // namespace tunebelt
