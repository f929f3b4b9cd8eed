#include "core/scripts/tracknames.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

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
  // A stray lead byte does not swallow it; on Windows, where no name holds
  // such a byte, the code page has no form for it either.
#ifndef _WIN32
  EXPECT_EQ(CleanTrackName("\xE2\xC2\xA3x"), "\xE2x");
#else
  EXPECT_EQ(CleanTrackName("\xE2\xC2\xA3x"), "x");
#endif
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

// Xash3D reads "^" and a digit as a colour code and would not print either:
// each "^" that would come to stand before a digit goes, any other stays.
TEST(SayTrackName, DropsEveryCaretBeforeADigit) {
  EXPECT_EQ(SayTrackName("^1Red ^7White.mp3"), "1Red 7White.mp3");
  EXPECT_EQ(SayTrackName("x^^2y^\"3.mp3"), "x2y3.mp3");
  EXPECT_EQ(SayTrackName("a^b ^ c^.mp3"), "a^b ^ c^.mp3");
}

TEST(FoldCase, FoldsTheLettersWithOneSimpleLowerCase) {
  EXPECT_EQ(FoldCase("AbC.MP3"), "abc.mp3");
  EXPECT_EQ(FoldCase("\u00c4RGER \u00d8 \u00d7"), "\u00e4rger \u00f8 \u00d7");
  EXPECT_EQ(FoldCase("\u0141\u0178\u017d"), "\u0142\u00ff\u017e");
  EXPECT_EQ(FoldCase("\u0391\u0416\u0401\uff21"), "\u03b1\u0436\u0451\uff41");
  EXPECT_EQ(FoldCase("\u6771\u4eac \xC3 x"), "\u6771\u4eac \xC3 x");  // kept, a stray byte too
}

// One name per file: collisions (case ignored) get "_2", "_3" ..., an empty
// cleaned name "track_<n>", a device name of Windows a "_" after it; the
// extension is always a lower-case ".mp3" and a name never passes 255 bytes.
TEST(CopyNames, GivesEveryFileANameOfItsOwn) {
  const std::string longest = std::string(251, 'x') + ".mp3";
  EXPECT_EQ(CopyNames({{"A B.mp3", 1},
                       {"AB.mp3", 2},
                       {"a-b.MP3", 3},
                       {"!!!.mp3", 4},
                       {"---.mp3", 5},
                       {"track_4.mp3", 6},
                       {"con.mp3", 7},
                       {"Nul.x.Mp3", 8},
                       {"com1", 9},
                       {longest, 10},
                       {std::string(251, 'X') + ".MP3", 11}}),
            (std::vector<std::string>{"AB.mp3", "AB_2.mp3", "ab_3.mp3", "track_4.mp3",
                                      "track_5.mp3", "track4.mp3", "con_.mp3", "Nul_.x.mp3",
                                      "com1_.mp3", longest, std::string(249, 'X') + "_2.mp3"}));
  // A fallback that an earlier name took gets a suffix like any other.
  EXPECT_EQ(CopyNames({{"track_2.mp3", 1}, {"%.mp3", 2}}),
            (std::vector<std::string>{"track2.mp3", "track_2.mp3"}));
  EXPECT_EQ(CopyNames({{"$.mp3", 1}, {"$$.mp3", 1}}),
            (std::vector<std::string>{"track_1.mp3", "track_1_2.mp3"}));
  // Multi-byte letters are never cut in two.
  const std::string umlauts = std::string(248, 'a') + "\u00e4\u00e4.mp3";
  EXPECT_EQ(CopyNames({{umlauts, 1}, {umlauts, 2}}),
            (std::vector<std::string>{std::string(248, 'a') + "\u00e4.mp3",
                                      std::string(248, 'a') + "_2.mp3"}));
}

// Code page 932 for a few letters: the bytes of each, or none.
std::optional<std::string> Cp932(std::string_view ch) {
  if (ch.size() == 1) return std::string(ch);
  if (ch == "\u65e5") return std::string("\x93\xfa");  // 日
  if (ch == "\u672c") return std::string("\x96\x7b");  // 本: second byte "{"
  if (ch == "\u8868") return std::string("\x95\x5c");  // 表: second byte "\"
  if (ch == "\u30bd") return std::string("\x83\x5c");  // ソ: second byte "\"
  if (ch == "\u30a2") return std::string("\x83\x41");  // ア
  return std::nullopt;
}

// Cleaning works on the bytes the game reads: a letter of two bytes is
// dropped when one of them is one the console treats specially, and so is a
// letter the code page cannot write; a name left empty gets its fallback.
TEST(CleanTrackName, DropsDoubleByteLettersWithASpecialByte) {
  EXPECT_EQ(CleanTrackName("\u65e5\u672c\u8868\u30bd\u30a2 (Live).mp3", Cp932),
            "\u65e5\u30a2Live.mp3");
  EXPECT_EQ(CleanTrackName("Caf\u00e9 \u6771.mp3", Cp932), "Caf.mp3");
  EXPECT_EQ(CopyNames({{"\u8868\u672c.mp3", 7}}, Cp932), std::vector<std::string>{"track_7.mp3"});
#ifdef _WIN32
  // The system's own tables say the same of code page 932.
  EXPECT_EQ(platform::toCodePageExactly("\u8868", 932), std::optional<std::string>("\x95\x5c"));
  EXPECT_EQ(platform::toCodePageExactly("\u00e9", 932), std::nullopt);
  const CodePage system932 = [](std::string_view ch) {
    return platform::toCodePageExactly(ch, 932);
  };
  EXPECT_EQ(CleanTrackName("\u65e5\u672c\u8868\u30bd\u30a2 (Live).mp3", system932),
            "\u65e5\u30a2Live.mp3");
#endif
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
