#include "state/volume.h"

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

TEST(Volume, OutOfRangeLosesItsLastCharacterUntilInRange) {
  EXPECT_EQ(validvolume("101"), "10");
  EXPECT_EQ(validvolume("150"), "15");   // typing a 0 behind 15
  EXPECT_EQ(validvolume("5000"), "50");  // pasted: 500, then 50
  EXPECT_EQ(validvolume("99999999999999999999"), "99");
}

TEST(Volume, TextThatIsNotAWholeNumberIsShortenedLikeOutOfRange) {
  EXPECT_EQ(validvolume("abc"), "");
  EXPECT_EQ(validvolume("-"), "");
  EXPECT_EQ(validvolume("-5"), "");
  EXPECT_EQ(validvolume("1.5"), "1");
  EXPECT_EQ(validvolume("4x2"), "4");
  EXPECT_EQ(validvolume("50%"), "50");
  EXPECT_EQ(validvolume("7\xC3\xA9"), "7");  // a character of two bytes
}

TEST(Volume, ApplyTakesTheNumberOrKeepsThePreviousValue) {
  EXPECT_EQ(ApplyVolumeText("35", 80), 35);
  EXPECT_EQ(ApplyVolumeText("0", 80), 0);
  EXPECT_EQ(ApplyVolumeText("100", 80), 100);
  EXPECT_EQ(ApplyVolumeText("", 60), 60);
  EXPECT_EQ(ApplyVolumeText("abc", 60), 60);
  EXPECT_EQ(ApplyVolumeText("101", 60), 60);
}

}  // namespace
}  // namespace tunebelt
