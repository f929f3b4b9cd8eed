#include "scripts/playlistscripts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::crlf;
using test::readFile;

ProgramState Playlist(const std::vector<std::string>& names) {
  ProgramState s;
  for (const auto& n : names) {
    s.PlaylistPaths.push_back("/music/" + n);
    s.PlaylistNames.push_back(n);
  }
  return s;
}

ProgramState NumberedPlaylist(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) names.push_back("t" + std::to_string(i) + ".mp3");
  return Playlist(names);
}

std::set<std::string> FilesIn(const test::TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// The six lines of track n in a playlist whose file names need no cleaning.
std::vector<std::string> SixLines(int n, int next, int prev, const std::string& file) {
  const std::string t = std::to_string(n), x = std::to_string(next), p = std::to_string(prev);
  return {
      "alias track" + t + " \"mp3 play mp3s\\" + file + "; alias nexttracks nexttrack" + t +
          "; alias prevtrack prevtrack" + t + "\"",
      "alias lptrack" + t + " \"mp3 loop mp3s\\" + file + "; alias nexttracks nexttrack" + t +
          "; alias prevtrack prevtrack" + t + "\"",
      "alias nexttrack" + t + " \"alias looptrack lptrack" + x + "; alias playtrack track" + x +
          "; alias saytrack saytrack" + x + "; alias tsaytrack tsaytrack" + x +
          "; echo Tunebelt: next track; playtrack;\"",
      "alias prevtrack" + t + " \"alias looptrack lptrack" + p + "; alias playtrack track" + p +
          "; playtrack; alias saytrack saytrack" + p + "; alias tsaytrack tsaytrack" + p +
          "; echo Tunebelt: previous track;\"",
      "alias saytrack" + t + " \"say listening to " + file + " with Tunebelt\"",
      "alias tsaytrack" + t + " \"say_team listening to " + file + " with Tunebelt;\"",
  };
}

TEST(WritePlaylistScripts, ThreeTracksMakeOneFile) {
  test::TempDir mod;
  test::RecordingHost host;
  ProgramState s = Playlist({"Intro.mp3", "Two Words.mp3", "Finale!.mp3"});
  WritePlaylistScripts(s, mod.str(), host);

  const std::string expected = crlf({
      "",
      R"(alias track1 "mp3 play mp3s\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")",
      R"(alias lptrack1 "mp3 loop mp3s\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")",
      R"(alias nexttrack1 "alias looptrack lptrack2; alias playtrack track2; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack1 "alias looptrack lptrack3; alias playtrack track3; playtrack; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: previous track;")",
      R"(alias saytrack1 "say listening to Intro.mp3 with Tunebelt")",
      R"(alias tsaytrack1 "say_team listening to Intro.mp3 with Tunebelt;")",
      R"(alias track2 "mp3 play mp3s\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2")",
      R"(alias lptrack2 "mp3 loop mp3s\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2")",
      R"(alias nexttrack2 "alias looptrack lptrack3; alias playtrack track3; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack2 "alias looptrack lptrack1; alias playtrack track1; playtrack; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: previous track;")",
      R"(alias saytrack2 "say listening to Two Words.mp3 with Tunebelt")",
      R"(alias tsaytrack2 "say_team listening to Two Words.mp3 with Tunebelt;")",
      R"(alias track3 "mp3 play mp3s\Finale.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3")",
      R"(alias lptrack3 "mp3 loop mp3s\Finale.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3")",
      R"(alias nexttrack3 "alias looptrack lptrack1; alias playtrack track1; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack3 "alias looptrack lptrack2; alias playtrack track2; playtrack; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: previous track;")",
      R"(alias saytrack3 "say listening to Finale!.mp3 with Tunebelt")",
      R"(alias tsaytrack3 "say_team listening to Finale!.mp3 with Tunebelt;")",
  });
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), expected);
  EXPECT_EQ(FilesIn(mod), std::set<std::string>{"playlist1.cfg"});
  EXPECT_EQ(host.events, std::vector<std::string>{"show-progress"});

  // A second save replaces the file with the same bytes.
  WritePlaylistScripts(s, mod.str(), host);
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), expected);
}

TEST(WritePlaylistScripts, OneTrackIsItsOwnNeighbour) {
  test::TempDir mod;
  test::RecordingHost host;
  WritePlaylistScripts(Playlist({"solo.mp3"}), mod.str(), host);
  std::vector<std::string> lines = {""};
  for (auto& l : SixLines(1, 1, 1, "solo.mp3")) lines.push_back(l);
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), crlf(lines));
  EXPECT_EQ(FilesIn(mod), std::set<std::string>{"playlist1.cfg"});
}

TEST(BuildPlaylistScripts, SixHundredSixtySixTracksFitOneFile) {
  auto files = BuildPlaylistScripts(NumberedPlaylist(666));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].find("exec"), std::string::npos);
  EXPECT_NE(files[0].find("alias tsaytrack666 "), std::string::npos);
  EXPECT_EQ(std::count(files[0].begin(), files[0].end(), '\n'), 1 + 666 * 6);
}

// The line count runs over the whole playlist: file 1 takes tracks 1 to 667,
// then every track starts a file of its own and the last file holds none.
TEST(WritePlaylistScripts, SplitsAfterLine3998AndChainsTheFiles) {
  test::TempDir mod;
  test::RecordingHost host;
  WritePlaylistScripts(NumberedPlaylist(668), mod.str(), host);
  EXPECT_EQ(FilesIn(mod),
            (std::set<std::string>{"playlist1.cfg", "playlist2.cfg", "playlist3.cfg"}));

  const std::string first = readFile(mod / "playlist1.cfg");
  EXPECT_NE(first.find("alias tsaytrack667 "), std::string::npos);
  EXPECT_EQ(first.find("alias track668 "), std::string::npos);
  const std::string tail = crlf(SixLines(667, 668, 666, "t667.mp3")) + "\r\nexec playlist2.cfg\r\n";
  ASSERT_GE(first.size(), tail.size());
  EXPECT_EQ(first.substr(first.size() - tail.size()), tail);

  std::vector<std::string> second = {""};
  for (auto& l : SixLines(668, 1, 667, "t668.mp3")) second.push_back(l);
  second.push_back("");
  second.push_back("exec playlist3.cfg");
  EXPECT_EQ(readFile(mod / "playlist2.cfg"), crlf(second));
  EXPECT_EQ(readFile(mod / "playlist3.cfg"), "\r\n");
}

TEST(BuildPlaylistScripts, SixHundredSixtySevenTracksLeaveAnEmptyLastFile) {
  auto files = BuildPlaylistScripts(NumberedPlaylist(667));
  ASSERT_EQ(files.size(), 2u);
  const std::string tail = "\"\r\n\r\nexec playlist2.cfg\r\n";
  EXPECT_EQ(files[0].substr(files[0].size() - tail.size()), tail);
  EXPECT_EQ(files[1], "\r\n");
}

TEST(BuildPlaylistScripts, NineHundredFiftyTracksMake285Files) {
  auto files = BuildPlaylistScripts(NumberedPlaylist(950));
  ASSERT_EQ(files.size(), 285u);
  EXPECT_NE(files[283].find("alias track950 "), std::string::npos);
  EXPECT_NE(files[283].find("exec playlist285.cfg\r\n"), std::string::npos);
  EXPECT_EQ(files[284], "\r\n");
}

// A ";" in a file name would end the quoted alias and run the rest as a
// command; a '"' in a say line would end the quoted text early.
TEST(BuildPlaylistScripts, NamesCannotBreakOutOfTheQuotedAlias) {
  auto files = BuildPlaylistScripts(Playlist({"a;quit;.mp3", "Say \"Hi\"; quit.mp3"}));
  ASSERT_EQ(files.size(), 1u);
  auto lines = platform::splitLines(files[0]);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(
      lines[1],
      R"(alias track1 "mp3 play mp3s\aquit.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")");
  EXPECT_EQ(
      lines[2],
      R"(alias lptrack1 "mp3 loop mp3s\aquit.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")");
  EXPECT_EQ(lines[5], R"(alias saytrack1 "say listening to aquit.mp3 with Tunebelt")");
  EXPECT_EQ(lines[11], R"(alias saytrack2 "say listening to Say Hi quit.mp3 with Tunebelt")");
  EXPECT_EQ(lines[12],
            R"(alias tsaytrack2 "say_team listening to Say Hi quit.mp3 with Tunebelt;")");
}

TEST(WritePlaylistScripts, AReadOnlyFileThrowsNamingItAndKeepsItsBytes) {
  test::TempDir mod;
  test::RecordingHost host;
  const std::string file = mod / "playlist1.cfg";
  test::writeFile(file, "old\r\n");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  try {
    WritePlaylistScripts(Playlist({"a.mp3"}), mod.str(), host);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(readFile(file), "old\r\n");
}

}  // namespace
}  // namespace tunebelt
