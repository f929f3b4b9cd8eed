#include "core/playlist/import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/playlist/playlist.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using platform::kSep;
using test::crlf;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;
using Lines = std::vector<std::string>;

class Import : public ::testing::Test {
 protected:
  Import() {
    writeFile(dir / "a.mp3", test::playableMp3("mp3"));
    writeFile(dir / "mix.pls", crlf({"[playlist]", "File1=a.mp3"}));
    writeFile(dir / "mix.m3u", crlf({"#EXTM3U", "#EXTINF:1,A", "a.mp3"}));
  }
  std::string a() const { return dir.str() + kSep + "a.mp3"; }

  TempDir dir;
  ProgramState state;
  RecordingHost host;
};

TEST_F(Import, TheLastFourCharactersChooseTheReader) {
  EXPECT_EQ(ImportPlaylistFile(state, dir / "mix.pls", host), ImportResult::Read);
  EXPECT_EQ(ImportPlaylistFile(state, dir / "mix.m3u", host), ImportResult::Read);
  EXPECT_EQ(state.PlaylistPaths, (Lines{a(), a()}));

  // M3U text in a ".pls" file goes to the PLS reader, which finds nothing.
  writeFile(dir / "m3u.pls", crlf({"#EXTM3U", "#EXTINF:1,A", "a.mp3"}));
  EXPECT_EQ(ImportPlaylistFile(state, dir / "m3u.pls", host), ImportResult::Read);
  // PLS text in a ".m3u" file is refused by the M3U reader.
  writeFile(dir / "pls.m3u", crlf({"[playlist]", "File1=a.mp3"}));
  EXPECT_EQ(ImportPlaylistFile(state, dir / "pls.m3u", host), ImportResult::Refused);
  EXPECT_EQ(state.TrackCount(), 2);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "This is not a valid extented M3U playlist");
}

TEST_F(Import, OtherNamesGetTheNotSelectedError) {
  writeFile(dir / "MIX.M3U", crlf({"#EXTM3U", "#EXTINF:1,A", "a.mp3"}));
  EXPECT_EQ(ImportPlaylistFile(state, dir / "MIX.M3U", host), ImportResult::Refused);
  EXPECT_EQ(ImportPlaylistFile(state, "  " + dir / "list.m3u8" + "  ", host),
            ImportResult::Refused);
  // Trailing blanks make the last four characters "u  ".
  EXPECT_EQ(ImportPlaylistFile(state, dir / "mix.m3u" + " ", host), ImportResult::Refused);
  EXPECT_TRUE(state.PlaylistPaths.empty());
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[0].text, "Error: a playlist file has not been selected: MIX.M3U");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(host.messages[1].text, "Error: a playlist file has not been selected: list.m3u8");
  EXPECT_EQ(host.messages[2].text, "Error: a playlist file has not been selected: mix.m3u");
}

TEST_F(Import, CommandAppendsBehindTheTracksThereAndTwiceDoubles) {
  for (auto t : {"/m/t1.mp3", "/m/t2.mp3", "/m/t3.mp3"}) AddTrack(state, t, host);
  host.openFiles = {dir / "mix.m3u", dir / "mix.m3u"};
  state.MusicFolder = "/home/p/Music";
  ImportPlaylistCommand(state, host);
  ImportPlaylistCommand(state, host);
  EXPECT_EQ(state.PlaylistNames, (Lines{"t1.mp3", "t2.mp3", "t3.mp3", "a.mp3", "a.mp3"}));
  EXPECT_EQ(host.events, (Lines{"open-dialog", "open-dialog"}));
  EXPECT_EQ(host.lastFilters[0], "Playlist Files (*.pls,*.m3u)|*.pls; *.m3u");
  EXPECT_EQ(host.startFolders, (Lines{"/home/p/Music", "/home/p/Music"}));
}

TEST_F(Import, CancelledOrBlankChoiceIsSilent) {
  host.openFiles = {"", "   "};
  ImportPlaylistCommand(state, host);
  ImportPlaylistCommand(state, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(state.PlaylistPaths.empty());
}

TEST_F(Import, MissingFileIsReported) {
  host.openFiles = {dir / "gone.pls"};
  ImportPlaylistCommand(state, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Could not read the playlist " + dir / "gone.pls" + ": No such file or directory");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
}

}  // namespace
}  // namespace tunebelt
