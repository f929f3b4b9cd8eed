#include "core/scripts/tracknames.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <string_view>

namespace tunebelt {
namespace {

using namespace std::string_view_literals;

TEST(CleanTrackName, DropsSpacesAndPunctuation) {
  EXPECT_EQ(CleanTrackName("My Song (Live) - Part_2!.mp3"), "MySongLivePart2.mp3");
  EXPECT_EQ(CleanTrackName("velloran_glasshour.mp3"), "velloranglasshour.mp3");
}

TEST(CleanTrackName, DropsEveryListedCharacter) {
  EXPECT_EQ(CleanTrackName("a '`=-+_!\"$%^&*()b"), "ab");
  EXPECT_EQ(CleanTrackName("___"), "");
}

// The console's tokenizer makes words of their own of "," "{" "}" ":" (and of
// the brackets and apostrophe dropped above): a path holding one would reach
// the mp3 command cut short.
TEST(CleanTrackName, DropsWhatTheConsoleSplitsWordsAt) {
  EXPECT_EQ(CleanTrackName("Hello,World {Live}: 1.mp3"), "HelloWorldLive1.mp3");
}

TEST(CleanTrackName, KeepsOtherPunctuationAndLetters) {
#ifndef _WIN32
  EXPECT_EQ(CleanTrackName("a.b#d@e~f[g]h/kl?.mp3"), "a.b#d@e~f[g]h/kl?.mp3");
#else
  // Windows takes neither "<", ">", "|" nor "?" in a file name, and the game
  // no letter outside the ANSI code page (here 1252).
  EXPECT_EQ(CleanTrackName("a.b#d@e~f[g]h<k>|l?.mp3"), "a.b#d@e~f[g]hkl.mp3");
  if (::GetACP() == 1252) {
    EXPECT_EQ(CleanTrackName("Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x8E\xB5.mp3"),
              "Caf\xC3\xA9.mp3");
  }
#endif
  EXPECT_EQ(CleanTrackName("AC\\DC - Thunder.mp3"), "ACDCThunder.mp3");
  EXPECT_EQ(CleanTrackName("Ärger über Ñandú.mp3"), "ÄrgerüberÑandú.mp3");
}

TEST(CleanTrackName, DropsThePoundSignAsOneCharacter) {
  EXPECT_EQ(CleanTrackName("\xC2\xA3"
                           "5 Tune.mp3"),
            "5Tune.mp3");
  // Neighbours of the pound sign in UTF-8 stay whole: ¢ (C2 A2), © (C2 A9),
  // ã (C3 A3, same continuation byte), and a three-byte € (E2 82 AC).
  EXPECT_EQ(CleanTrackName("\xC2\xA2\xC2\xA9\xC3\xA3\xE2\x82\xAC"),
            "\xC2\xA2\xC2\xA9\xC3\xA3\xE2\x82\xAC");
  EXPECT_EQ(CleanTrackName("\xE2\xC2\xA3x"), "\xE2x");  // a stray lead byte does not swallow it
}

// The game splits a quoted alias at ";", so a file named a;quit;.mp3 would run
// "quit"; control characters would break the line.
TEST(CleanTrackName, DropsSemicolonAndControlCharacters) {
  EXPECT_EQ(CleanTrackName("a;quit;.mp3"), "aquit.mp3");
  EXPECT_EQ(CleanTrackName("a\tb\nc\rd\x01"
                           "e\x1F"
                           "f\x7F"
                           "g\0h.mp3"sv),
            "abcdefgh.mp3");
}

TEST(SayTrackName, DropsOnlyQuotesSemicolonsAndControls) {
  EXPECT_EQ(SayTrackName("Say \"Hi\"; quit\t.mp3"), "Say Hi quit.mp3");
  EXPECT_EQ(SayTrackName("My Song (Live) - Part_2! \xC2\xA3 \xC3\x84.mp3"),
            "My Song (Live) - Part_2! \xC2\xA3 \xC3\x84.mp3");
}

TEST(ModFolderName, IsTheTextAfterTheLastSeparator) {
  EXPECT_EQ(ModFolderName("C:\\Program Files\\Steam\\SteamApps\\someone\\counter-strike\\cstrike"),
            "cstrike");
  EXPECT_EQ(ModFolderName("/home/p/.steam/half-life/cstrike"), "cstrike");
  EXPECT_EQ(ModFolderName("C:/games\\dod"), "dod");
  EXPECT_EQ(ModFolderName("C:\\games/dod"), "dod");
}

TEST(ModFolderName, IsEmptyWithoutSeparatorOrWithSeparatorLast) {
  EXPECT_EQ(ModFolderName("cstrike"), "");
  EXPECT_EQ(ModFolderName("C:\\x\\cstrike/"), "");
  EXPECT_EQ(ModFolderName(""), "");
}

TEST(TrimModFolder, RemovesOneTrailingSeparator) {
  std::string a = "D:\\Games\\cstrike\\";
  EXPECT_TRUE(TrimModFolder(a));
  EXPECT_EQ(a, "D:\\Games\\cstrike");

  std::string b = "D:\\Games\\cstrike\\\\";
  EXPECT_TRUE(TrimModFolder(b));
  EXPECT_EQ(b, "D:\\Games\\cstrike\\");

  std::string c = "/games/cstrike/";
  EXPECT_TRUE(TrimModFolder(c));
  EXPECT_EQ(c, "/games/cstrike");

  std::string d = "/games/cstrike ";
  EXPECT_FALSE(TrimModFolder(d));
  EXPECT_EQ(d, "/games/cstrike ");

  std::string e;
  EXPECT_FALSE(TrimModFolder(e));
}

}  // namespace
}  // namespace tunebelt
