#include "core/scripts/playlistscripts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "core/scripts/tracklist.h"
#include "plan_helpers.h"
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

// The tracks of the scripts for a playlist whose entries are all readable
// and all different files, named as a save names them.
std::vector<ScriptTrack> Tracks(const ProgramState& state) {
  return test::PlanInto(state, "/games/cstrike").scriptTracks;
}

std::vector<ScriptTrack> Tracks(const std::vector<std::string>& names) {
  return Tracks(Playlist(names));
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

// The game path of a copied track: "mp3s\" on Windows, "mp3s/" elsewhere.
const std::string kMp3s = std::string("mp3s") + platform::kSep;

// Lines written with Windows' "mp3s\" in the platform's form.
std::string ForPlatform(std::string text) {
  for (auto at = text.find("mp3s\\"); at != std::string::npos; at = text.find("mp3s\\", at + 1)) {
    text[at + 4] = platform::kSep;
  }
  return text;
}

// The six lines of track n in a playlist whose file names need no cleaning.
std::vector<std::string> SixLines(int n, int next, int prev, const std::string& file) {
  const std::string t = std::to_string(n), x = std::to_string(next), p = std::to_string(prev);
  return {
      "alias track" + t + " \"mp3 play " + kMp3s + file + "; alias nexttracks nexttrack" + t +
          "; alias prevtrack prevtrack" + t + "; alias playtrack track" + t +
          "; alias looptrack lptrack" + t + "; alias saytrack saytrack" + t +
          "; alias tsaytrack tsaytrack" + t + "\"",
      "alias lptrack" + t + " \"mp3 loop " + kMp3s + file + "; alias nexttracks nexttrack" + t +
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
  WritePlaylistScripts(test::PlanInto(s, mod.str()), host, nullptr);

  const std::string expected = ForPlatform(crlf({
      "",
      R"(alias track1 "mp3 play mp3s\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1; alias playtrack track1; alias looptrack lptrack1; alias saytrack saytrack1; alias tsaytrack tsaytrack1")",
      R"(alias lptrack1 "mp3 loop mp3s\Intro.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")",
      R"(alias nexttrack1 "alias looptrack lptrack2; alias playtrack track2; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack1 "alias looptrack lptrack3; alias playtrack track3; playtrack; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: previous track;")",
      R"(alias saytrack1 "say listening to Intro.mp3 with Tunebelt")",
      R"(alias tsaytrack1 "say_team listening to Intro.mp3 with Tunebelt;")",
      R"(alias track2 "mp3 play mp3s\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2; alias playtrack track2; alias looptrack lptrack2; alias saytrack saytrack2; alias tsaytrack tsaytrack2")",
      R"(alias lptrack2 "mp3 loop mp3s\TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2")",
      R"(alias nexttrack2 "alias looptrack lptrack3; alias playtrack track3; alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack2 "alias looptrack lptrack1; alias playtrack track1; playtrack; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: previous track;")",
      R"(alias saytrack2 "say listening to Two Words.mp3 with Tunebelt")",
      R"(alias tsaytrack2 "say_team listening to Two Words.mp3 with Tunebelt;")",
      R"(alias track3 "mp3 play mp3s\Finale.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3; alias playtrack track3; alias looptrack lptrack3; alias saytrack saytrack3; alias tsaytrack tsaytrack3")",
      R"(alias lptrack3 "mp3 loop mp3s\Finale.mp3; alias nexttracks nexttrack3; alias prevtrack prevtrack3")",
      R"(alias nexttrack3 "alias looptrack lptrack1; alias playtrack track1; alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: next track; playtrack;")",
      R"(alias prevtrack3 "alias looptrack lptrack2; alias playtrack track2; playtrack; alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: previous track;")",
      R"(alias saytrack3 "say listening to Finale!.mp3 with Tunebelt")",
      R"(alias tsaytrack3 "say_team listening to Finale!.mp3 with Tunebelt;")",
  }));
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), expected);
  EXPECT_EQ(FilesIn(mod), std::set<std::string>{"playlist1.cfg"});
  EXPECT_EQ(host.events, std::vector<std::string>{"show-progress"});

  // A second save replaces the file with the same bytes.
  WritePlaylistScripts(test::PlanInto(s, mod.str()), host, nullptr);
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), expected);
}

TEST(WritePlaylistScripts, OneTrackIsItsOwnNeighbour) {
  test::TempDir mod;
  test::RecordingHost host;
  WritePlaylistScripts(test::PlanInto(Playlist({"solo.mp3"}), mod.str()), host, nullptr);
  std::vector<std::string> lines = {""};
  for (auto& l : SixLines(1, 1, 1, "solo.mp3")) lines.push_back(l);
  EXPECT_EQ(readFile(mod / "playlist1.cfg"), crlf(lines));
  EXPECT_EQ(FilesIn(mod), std::set<std::string>{"playlist1.cfg"});
}

std::string ExecLine(std::size_t number) {
  return "exec playlist" + std::to_string(number) + ".cfg";
}

// The empty line and the exec line that close file `number`, with CR LF.
std::size_t ClosingOf(std::size_t number) {
  return 2 + ExecLine(number + 1).size() + 2;
}

// Every file within the bound with its closing lines counted, tracks in
// order, each file but the last closed by the exec line of the next, and no
// file whose first track would have fitted into the file before it.
void ExpectPackedInOrder(const std::vector<std::string>& files, int count) {
  int next = 1;
  std::size_t previousBody = 0;  // the file before without its closing lines
  for (std::size_t number = 1; number <= files.size(); ++number) {
    SCOPED_TRACE("playlist" + std::to_string(number) + ".cfg");
    const std::string& text = files[number - 1];
    const bool last = number == files.size();
    const std::size_t body = last ? text.size() : text.size() - ClosingOf(number);
    EXPECT_LE(body + ClosingOf(number), kMaxPlaylistFileBytes);
    EXPECT_EQ(text.find("exec"), last ? std::string::npos : body + 2);
    if (!last) {
      EXPECT_EQ(text.substr(body), "\r\n" + ExecLine(number + 1) + "\r\n");
    }
    const auto lines = platform::splitLines(text.substr(0, body));
    ASSERT_GE(lines.size(), 7u);
    ASSERT_EQ((lines.size() - 1) % 6, 0u);
    EXPECT_EQ(lines[0], "");
    if (number > 1) {
      std::size_t firstTrack = 0;
      for (std::size_t i = 1; i <= 6; ++i) firstTrack += lines[i].size() + 2;
      EXPECT_GT(previousBody + firstTrack + ClosingOf(number - 1), kMaxPlaylistFileBytes);
    }
    for (std::size_t i = 1; i < lines.size(); i += 6, ++next) {
      EXPECT_EQ(lines[i].rfind("alias track" + std::to_string(next) + " ", 0), 0u) << lines[i];
    }
    previousBody = body;
  }
  EXPECT_EQ(next, count + 1);
}

TEST(BuildPlaylistScripts, FilesHoldAtMost8000BytesFilledInOrder) {
  for (auto [count, files] : {std::pair{666, 67u}, {667, 67u}, {668, 67u}, {950, 95u}}) {
    SCOPED_TRACE(count);
    const auto texts = BuildPlaylistScripts(Tracks(NumberedPlaylist(count)));
    EXPECT_EQ(texts.size(), files);
    ExpectPackedInOrder(texts, count);
  }
}

// 950 tracks of 255-byte names, the longest a file name can be: four tracks
// a file, far below the 1,000 files the chain may have.
TEST(BuildPlaylistScripts, LongestNamesStayWellUnderAThousandFiles) {
  std::vector<std::string> names;
  for (int i = 1; i <= kMaxSaveTracks; ++i) {
    const std::string n = std::to_string(i);
    names.push_back(n + std::string(251 - n.size(), 'x') + ".mp3");
  }
  const auto texts = BuildPlaylistScripts(Tracks(names));
  EXPECT_EQ(texts.size(), 238u);
  ExpectPackedInOrder(texts, kMaxSaveTracks);
}

// The bound is inclusive: a file of exactly 8,000 bytes (with the closing
// lines it would have) keeps its last track; one byte more moves it on.
TEST(BuildPlaylistScripts, AFileOfExactly8000BytesKeepsItsLastTrack) {
  std::vector<std::string> names;
  for (int i = 1; i <= 9; ++i) names.push_back("Track" + std::to_string(i) + ".mp3");
  // Each "x" adds four bytes (two paths, two say lines).
  names.push_back("Track10" + std::string(90, 'x') + ".mp3");
  const std::size_t closing = 2 + std::string("exec playlist2.cfg").size() + 2;
  auto texts = BuildPlaylistScripts(Tracks(names));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].size() + closing, kMaxPlaylistFileBytes);

  names.back() = "Track10" + std::string(91, 'x') + ".mp3";
  texts = BuildPlaylistScripts(Tracks(names));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].find("alias track10 "), 2u);
  ExpectPackedInOrder(texts, 10);
}

// The chain of a long playlist: file 1 starts it, each file runs the next,
// and the last one ends with track N and no exec line.
TEST(WritePlaylistScripts, ChainsTheFilesToTheLastTrack) {
  test::TempDir mod;
  test::RecordingHost host;
  test::writeFile(mod / "playlist99.cfg", "left from a longer playlist\r\n");
  WritePlaylistScripts(test::PlanInto(NumberedPlaylist(668), mod.str()), host, nullptr);
  std::set<std::string> expected = {"playlist99.cfg"};
  for (int f = 1; f <= 67; ++f) expected.insert("playlist" + std::to_string(f) + ".cfg");
  EXPECT_EQ(FilesIn(mod), expected);
  EXPECT_EQ(readFile(mod / "playlist99.cfg"), "left from a longer playlist\r\n");

  const std::string last = readFile(mod / "playlist67.cfg");
  const std::string tail = crlf(SixLines(668, 1, 667, "t668.mp3"));
  ASSERT_GE(last.size(), tail.size());
  EXPECT_EQ(last.substr(last.size() - tail.size()), tail);
  const std::string first = readFile(mod / "playlist1.cfg");
  EXPECT_EQ(first.substr(0, 2 + SixLines(1, 2, 668, "t1.mp3")[0].size() + 2),
            crlf({"", SixLines(1, 2, 668, "t1.mp3")[0]}));
}

// A ";" in a file name would end the quoted alias and run the rest as a
// command; a '"' in a say line would end the quoted text early.
TEST(BuildPlaylistScripts, NamesCannotBreakOutOfTheQuotedAlias) {
  auto files = BuildPlaylistScripts(Tracks({"a;quit;.mp3", "Say \"Hi\"; quit.mp3"}));
  ASSERT_EQ(files.size(), 1u);
  auto lines = platform::splitLines(files[0]);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(
      lines[1],
      ForPlatform(
          R"(alias track1 "mp3 play mp3s\aquit.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1; alias playtrack track1; alias looptrack lptrack1; alias saytrack saytrack1; alias tsaytrack tsaytrack1")"));
  EXPECT_EQ(
      lines[2],
      ForPlatform(
          R"(alias lptrack1 "mp3 loop mp3s\aquit.mp3; alias nexttracks nexttrack1; alias prevtrack prevtrack1")"));
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
  ASSERT_TRUE(test::setReadOnly(file, true));
  try {
    WritePlaylistScripts(test::PlanInto(Playlist({"a.mp3"}), mod.str()), host, nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(readFile(file), "old\r\n");
}

// The track list echoes one quoted line a track; what cannot stand inside
// the quotes is dropped as in the say lines.
TEST(BuildTrackList, OneQuotedEchoLineATrack) {
  const auto files =
      BuildTrackList(Tracks({"Intro.mp3", "Hello, World: Live.mp3", "Say \"Hi\"; quit.mp3"}));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], crlf({R"(echo "1. Intro.mp3")", R"(echo "2. Hello, World: Live.mp3")",
                            R"(echo "3. Say Hi quit.mp3")"}));
  EXPECT_EQ(BuildTrackList({}), std::vector<std::string>{""});
}

// Long names spread the list over files packed like the playlist files:
// each within the bound, each but the last running the next, no line split.
TEST(BuildTrackList, LongListsChainFilesWithinTheBound) {
  std::vector<std::string> names;
  for (int i = 1; i <= kMaxSaveTracks; ++i) {
    const std::string n = std::to_string(i);
    names.push_back(n + std::string(251 - n.size(), 'x') + ".mp3");
  }
  const auto files = BuildTrackList(Tracks(names));
  ASSERT_GT(files.size(), 1u);
  int next = 1;
  for (std::size_t k = 1; k <= files.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_LE(files[k - 1].size(), kMaxPlaylistFileBytes);
    auto lines = platform::splitLines(files[k - 1]);
    if (k < files.size()) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), "exec tracklist" + std::to_string(k + 1) + ".cfg");
      lines.pop_back();
      // The next file's first line would not have fitted.
      const std::size_t first = platform::splitLines(files[k])[0].size() + 2;
      EXPECT_GT(files[k - 1].size() + first, kMaxPlaylistFileBytes);
    }
    for (const std::string& line : lines) {
      EXPECT_EQ(line, "echo \"" + std::to_string(next) + ". " + names[next - 1] + "\"");
      ++next;
    }
  }
  EXPECT_EQ(next, kMaxSaveTracks + 1);
}

}  // namespace
}  // namespace tunebelt
