#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using platform::kSep;
using test::copyFixture;
using test::crlf;
using test::RecordingHost;
using test::ScopedCwd;
using test::TempDir;
using test::writeFile;
using Lines = std::vector<std::string>;

std::string in(const std::string& folder, const std::string& name) {
  return folder + kSep + name;
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST(NavUp, DropsTheLastComponentButNeverLooksAtTheLastCharacter) {
  EXPECT_EQ(NavUp("/home/p/Music"), "/home/p");
  EXPECT_EQ(NavUp("/home/p/Music/"), "/home/p");
  EXPECT_EQ(NavUp("/home"), "");
  // A "\\" in a folder's name is part of that name.
  EXPECT_EQ(NavUp("/home/p/AC\\DC"), "/home/p");
  // Nowhere further up: the path stays as it is.
  EXPECT_EQ(NavUp("/"), "/");
  EXPECT_EQ(NavUp("Music"), "Music");
  EXPECT_EQ(NavUp(""), "");
#ifdef _WIN32
  EXPECT_EQ(NavUp("D:\\Music\\Lists"), "D:\\Music");
  EXPECT_EQ(NavUp("D:\\Music\\"), "D:");
  EXPECT_EQ(NavUp("D:"), "D:");
#endif
}
#endif

TEST(M3uPath, EachBackslashClimbDropsThreeCharactersAndMovesTheFolderUp) {
  ProgramState s;
  s.ImportFolder = "/m/Music/Lists/Rock";
  EXPECT_EQ(getm3upath(s, "..\\..\\Pop\\x.mp3"), in("/m/Music", "Pop\\x.mp3"));
  EXPECT_EQ(s.ImportFolder, "/m/Music");

  s.ImportFolder = "/m/Lists";
  EXPECT_EQ(getm3upath(s, "sub\\..\\a.mp3"), in("/m", "\\..\\a.mp3"));
  EXPECT_EQ(s.ImportFolder, "/m");

  s.ImportFolder = "/m/Lists";
  EXPECT_EQ(getm3upath(s, "../a.mp3"), in("/m/Lists", "../a.mp3"));
  EXPECT_EQ(s.ImportFolder, "/m/Lists");
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST(M3uPath, ClimbingPastTheTopStaysThere) {
  ProgramState s;
  s.ImportFolder = "/home/p";
  EXPECT_EQ(getm3upath(s, "..\\..\\..\\a.mp3"), "/a.mp3");
  s.ImportFolder = "Lists";
  EXPECT_EQ(getm3upath(s, "..\\..\\a.mp3"), in("Lists", "a.mp3"));
}
#endif

class M3u : public ::testing::Test {
 protected:
  ImportResult load(const Lines& lines) {
    writeFile(list, crlf(lines));
    return m3uload(state, list, host);
  }
  void touch(const std::string& rel) { writeFile(dir / rel, test::playableMp3("mp3")); }

  TempDir dir;
  std::string lists = dir / "Lists";
  std::string list = dir / "Lists/mix.m3u";
  ProgramState state;
  RecordingHost host;
};

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST_F(M3u, WorkedExampleTakesOnlyLinesAfterExtinf) {
  ScopedCwd cwd(dir.str());
  std::string rock = dir / "Music/Lists/Rock";
  for (auto f : {"Music/Pop/x.mp3", "Music/Lists/Rock/y.mp3", "E:/Other/z.mp3", "E:/Other/w.mp3"}) {
    touch(f);
  }
  writeFile(rock + "/mix.m3u", crlf({"#EXTM3U", "#EXTINF:215,Artist - First", "..\\..\\Pop\\x.mp3",
                                     "#EXTINF:180,Artist - Second", "y.mp3", "E:\\Other\\z.mp3",
                                     "#EXTINF:200,Artist - Third", "E:\\Other\\w.mp3"}));
  EXPECT_EQ(m3uload(state, rock + "/mix.m3u", host), ImportResult::Read);
  // Entries written on Windows resolve through their Windows reading.
  EXPECT_EQ(state.PlaylistPaths,
            (Lines{in(dir / "Music", "Pop/x.mp3"), in(rock, "y.mp3"), "E:/Other/w.mp3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"x.mp3", "y.mp3", "w.mp3"}));
  EXPECT_EQ(host.listLines, state.PlaylistNames);
  EXPECT_EQ(state.ImportFolder, rock);
  EXPECT_TRUE(host.messages.empty());
}
#endif

TEST_F(M3u, PosixEntriesAreJoinedOrTakenAsTheyStand) {
  for (auto f : {"a.mp3", "Lists/sub/b.mp3", "Music/c.mp3", "Lists/D.MP3"}) touch(f);
  load({"#EXTM3U", "#EXTINF:1,A", "../a.mp3", "#EXTINF:2,B", "sub/b.mp3", "#EXTINF:3,C",
        dir / "Music/c.mp3", "#EXTINF:4,D", "D.MP3"});
  EXPECT_EQ(state.PlaylistPaths, (Lines{in(lists, "../a.mp3"), in(lists, "sub/b.mp3"),
                                        dir / "Music/c.mp3", in(lists, "D.MP3")}));
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST_F(M3u, ClimbCountsEveryBackslashDotDotAnywhere) {
  touch("a.mp3");
  writeFile(dir / "A/B/list.m3u", crlf({"#EXTM3U", "#EXTINF:1,A", "sub\\..\\a.mp3"}));
  m3uload(state, dir / "A/B/list.m3u", host);
  // Climbed once to A, kept "\..\a.mp3": the file named is dir/a.mp3.
  EXPECT_EQ(state.PlaylistPaths, Lines{in(dir / "A", "/../a.mp3")});
  EXPECT_EQ(state.PlaylistNames, Lines{"a.mp3"});
}
#endif

TEST_F(M3u, EveryExtinfResetsTheFolder) {
  touch("Lists/a.mp3");
  touch("x.mp3");
  load({"#EXTM3U", "#EXTINF:1,X", "..\\x.mp3", "#EXTINF:2,A", "a.mp3"});
  EXPECT_EQ(state.PlaylistPaths, (Lines{in(dir.str(), "x.mp3"), in(lists, "a.mp3")}));
}

TEST_F(M3u, NotAnExtendedPlaylistIsRefusedWithTheMessage) {
  touch("Lists/a.mp3");
  const Lines bodies[] = {{"a.mp3"},
                          {"\xEF\xBB\xBF#EXTM3U", "#EXTINF:1,A", "a.mp3"},
                          {" #EXTM3U", "#EXTINF:1,A", "a.mp3"},
                          {"#EXTM3U ", "#EXTINF:1,A", "a.mp3"},
                          {"#extm3u", "#EXTINF:1,A", "a.mp3"},
                          {"", "#EXTM3U", "#EXTINF:1,A", "a.mp3"},
                          {"[playlist]", "File1=a.mp3"},
                          {}};
  for (const Lines& body : bodies) {
    host.messages.clear();
    EXPECT_EQ(load(body), ImportResult::Refused) << testing::PrintToString(body);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "This is not a valid extented M3U playlist");
    EXPECT_EQ(host.messages[0].caption, "Tunebelt");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
  }
  EXPECT_TRUE(state.PlaylistPaths.empty());
}

TEST_F(M3u, QuietCornersAddNothing) {
  for (auto f : {"Lists/a.mp3", "Lists/mp3"}) touch(f);
  const Lines bodies[] = {
      {"#EXTM3U"},
      {"#EXTM3U", "#EXTINF:1,A"},                          // the announced line never comes
      {"#EXTM3U", "#EXTINF:1,A", "mp3"},                   // shorter than ".mp3"
      {"#EXTM3U", "#EXTINF:1,A", "", "a.mp3"},             // blank entry; a.mp3 is unannounced
      {"#EXTM3U", "a.mp3", "#EXTINF:1,A", "a.mp4"},        // no track; the first is unannounced
      {"#EXTM3U", "#EXTINF:1,A", "#EXTINF:2,B", "a.mp3"},  // the second is the entry itself
      {"#EXTM3U", "#EXTINF:1,A", "http://example.com/a.mp3", "#EXTINF:1,B",
       "\\\\server\\share\\a.mp3", "#EXTINF:1,C", "gone.mp3"},
  };
  for (const Lines& body : bodies) {
    EXPECT_EQ(load(body), ImportResult::Read) << testing::PrintToString(body);
  }
  EXPECT_TRUE(state.PlaylistPaths.empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(M3u, DeveloperModeShowsTheStoredPathOfRelativeEntries) {
  state.DebugMode = 1;
  touch("Lists/a.mp3");
  touch("b.mp3");
  load(
      {"#EXTM3U", "#EXTINF:1,A", "a.mp3", "#EXTINF:1,B", dir / "b.mp3", "#EXTINF:1,C", "gone.mp3"});
  ASSERT_EQ(state.TrackCount(), 2);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, in(lists, "a.mp3"));
  EXPECT_EQ(host.messages[0].caption, "Tunebelt");
}

TEST_F(M3u, FullPlaylistStopsTheImportWithOneMessage) {
  touch("Lists/a.mp3");
  for (int i = 0; i < kMaxTracks - 1; ++i) AppendEntry(state, "/old/x.mp3", host);
  EXPECT_EQ(
      load({"#EXTM3U", "#EXTINF:1,A", "a.mp3", "#EXTINF:1,A", "a.mp3", "#EXTINF:1,A", "a.mp3"}),
      ImportResult::Full);
  EXPECT_EQ(state.TrackCount(), kMaxTracks);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The playlist is full (10000 tracks).");
}

TEST_F(M3u, UnreadableFileIsReportedAndAddsNothing) {
  std::filesystem::create_directories(dir / "x.m3u");
  EXPECT_EQ(m3uload(state, dir / "x.m3u", host), ImportResult::Failed);
  EXPECT_TRUE(state.PlaylistPaths.empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Could not read the playlist " + dir / "x.m3u" + ": Is a directory");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
}

TEST_F(M3u, HostileEntriesFindNothing) {
  touch("Lists/a.mp3");
  std::string climbs;
  for (int i = 0; i < (1 << 20) / 3; ++i) climbs += "..\\";
  load({"#EXTM3U", "#EXTINF:1,A", std::string("a.mp3") + '\0' + ".mp3", "#EXTINF:1,B",
        climbs + "a.mp3", "#EXTINF:1,C", std::string(1 << 20, 'x') + ".mp3", "#EXTINF:1,D",
        "\xff\xfe\xc3.mp3", "#EXTINF:1,E", "*.mp3"});
  EXPECT_TRUE(state.PlaylistPaths.empty());
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST(M3uFixtures, OptionLinesAndMixedEntryStyles) {
  TempDir dir;
  ScopedCwd cwd(dir.str());
  for (auto f : {"Music/a.mp3", "Lists/sub/b.mp3", "Lists/c.mp3", "D:/x.mp3", "Music/e.mp3",
                 "Lists/e.mp3"}) {
    writeFile(dir / f, test::playableMp3("mp3"));
  }
  copyFixture("m3u/extended.m3u", dir, dir / "Lists/extended.m3u");
  ProgramState state;
  RecordingHost host;
  EXPECT_EQ(m3uload(state, dir / "Lists/extended.m3u", host), ImportResult::Read);
  // c.mp3 is lost: the option line right after its "#EXTINF" is taken as the entry.
  EXPECT_EQ(state.PlaylistPaths,
            (Lines{in(dir.str(), "Music/a.mp3"), in(dir / "Lists", "sub/b.mp3"), "D:/x.mp3",
                   dir / "Music/e.mp3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"a.mp3", "b.mp3", "x.mp3", "e.mp3"}));
}
#endif

TEST(M3uFixtures, LoneLfAndLoneCrEndLinesToo) {
  for (auto name : {"m3u/lf.m3u", "m3u/cr.m3u"}) {
    TempDir dir;
    writeFile(dir / "a.mp3", test::playableMp3("mp3"));
    writeFile(dir / "b.mp3", test::playableMp3("mp3"));
    copyFixture(name, dir, dir / "list.m3u");
    ProgramState state;
    RecordingHost host;
    EXPECT_EQ(m3uload(state, dir / "list.m3u", host), ImportResult::Read) << name;
    EXPECT_EQ(state.PlaylistPaths, (Lines{in(dir.str(), "a.mp3"), in(dir.str(), "b.mp3")})) << name;
  }
}

}  // namespace
}  // namespace tunebelt
