#include "core/playlist/playlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::RecordingHost;
using Lines = std::vector<std::string>;

ProgramState withTracks(const Lines& names) {
  ProgramState s;
  for (const auto& n : names) {
    s.PlaylistPaths.push_back("/music/" + n);
    s.PlaylistNames.push_back(n);
  }
  return s;
}

Selection select(int n, std::initializer_list<int> lines) {
  Selection s(static_cast<std::size_t>(n), false);
  for (int i : lines) s[i] = true;
  return s;
}

// The two tables must stay in step after every edit.
void expectPlaylist(const ProgramState& s, const Lines& names) {
  EXPECT_EQ(PlaylistLines(s), names);
  ASSERT_EQ(s.PlaylistPaths.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(s.PlaylistPaths[i], "/music/" + names[i]);
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST(FileName, TakesTheTextAfterTheLastSeparatorButNeverLooksAtTheLastCharacter) {
  EXPECT_EQ(GetFileName("/home/p/Music/b.mp3"), "b.mp3");
  EXPECT_EQ(GetFileName("/home/p/Music/"), "Music/");
  EXPECT_EQ(GetFileName(""), "");
  EXPECT_EQ(GetFileName("plain.mp3"), "plain.mp3");
  // A Linux name may hold a backslash: it is part of the name.
  EXPECT_EQ(GetFileName("/home/p/Music/AC\\DC - Thunder.mp3"), "AC\\DC - Thunder.mp3");
#ifdef _WIN32
  EXPECT_EQ(GetFileName("D:\\x\\y\\z.mp3"), "z.mp3");
  EXPECT_EQ(GetFileName("D:\\Music\\"), "Music\\");
#endif
}
#endif

TEST(FileName, FolderPartDropsTheFinalSeparator) {
  EXPECT_EQ(getPath("/home/p/rock.pls"), "/home/p");
  EXPECT_EQ(getPath("/home/p/AC\\DC/rock.pls"), "/home/p/AC\\DC");
  EXPECT_EQ(getPath("/rock.pls"), "");
  EXPECT_EQ(getPath("rock.pls"), "");
  EXPECT_EQ(getPath("/home/p/Lists/"), "/home/p/Lists");
#ifdef _WIN32
  EXPECT_EQ(getPath("D:\\Lists\\rock.pls"), "D:\\Lists");
  EXPECT_EQ(getPath("D:\\rock.pls"), "D:");
#endif
}

TEST(AddTrack, OnlyPathsEndingInMp3OfAnyCaseAreAppended) {
  ProgramState s;
  RecordingHost host;
  EXPECT_EQ(AddTrack(s, "/m/My Song.mp3", host), AppendResult::Added);
  EXPECT_EQ(AddTrack(s, "/m/Song.MP3", host), AppendResult::Added);
  EXPECT_EQ(AddTrack(s, "/m/song.Mp3", host), AppendResult::Added);
  EXPECT_EQ(AddTrack(s, "/m/song.mp4", host), AppendResult::Ignored);
  EXPECT_EQ(AddTrack(s, "/m/song.mp3 ", host), AppendResult::Ignored);
  EXPECT_EQ(AddTrack(s, "mp3", host), AppendResult::Ignored);
  EXPECT_EQ(AddTrack(s, "", host), AppendResult::Ignored);
  EXPECT_EQ(AddTrack(s, "/m/My Song.mp3", host), AppendResult::Added);  // duplicates allowed
  EXPECT_EQ(s.PlaylistPaths,
            (Lines{"/m/My Song.mp3", "/m/Song.MP3", "/m/song.Mp3", "/m/My Song.mp3"}));
  EXPECT_EQ(s.PlaylistNames, (Lines{"My Song.mp3", "Song.MP3", "song.Mp3", "My Song.mp3"}));
  EXPECT_EQ(host.listLines, s.PlaylistNames);
  EXPECT_TRUE(host.messages.empty());
}

TEST(AddTrack, TheFormatsASaveConvertsAreTracksInAnyCase) {
  ProgramState s;
  RecordingHost host;
  for (const char* name : {"a.flac", "b.OGG", "c.Opus", "d.m4a", "e.WAV"}) {
    EXPECT_EQ(AddTrack(s, std::string("/m/") + name, host), AppendResult::Added) << name;
  }
  for (const char* name : {"f.aac", "g.wma", "h.flac.txt", "flac"}) {
    EXPECT_EQ(AddTrack(s, std::string("/m/") + name, host), AppendResult::Ignored) << name;
  }
  EXPECT_EQ(s.TrackCount(), 5);
}

// An .mp3 the game cannot play never enters the playlist; the player hears
// which file and why, once per command, in the window's language.
TEST(AddTrack, Mp3sTheGameCannotPlayAreRefusedByName) {
  test::TempDir dir;
  const std::string good = dir / "good.mp3", text = dir / "notes.mp3", cut = dir / "cut.mp3";
  test::writeFile(good, test::playableMp3("good"));
  test::writeFile(text, "just some text, no audio at all");
  test::writeFile(cut, test::playableMp3("").substr(0, 104 * 2 + 10));
  ProgramState s;
  RecordingHost host;
  EXPECT_EQ(AddTrack(s, text, host), AppendResult::Refused);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "1 file holds no MP3 audio the game can play and was not added:\nnotes.mp3: no MPEG "
            "audio frames found");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");

  s.Language = kGerman;
  DropCommand(s, {text, good, cut, dir / "missing.mp3"}, host);
  EXPECT_EQ(s.PlaylistPaths, (Lines{good, dir / "missing.mp3"}));  // the save tells about missing
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].text,
            "2 Dateien enthalten kein MP3, das das Spiel abspielen kann, und wurden nicht "
            "hinzugef\u00fcgt:\nnotes.mp3: no MPEG audio frames found\ncut.mp3: the file ends "
            "after 3 MPEG audio frames");
}

TEST(AddTrack, DeveloperModeShowsTheAddedFileName) {
  ProgramState s;
  s.DebugMode = 1;
  RecordingHost host;
  AddTrack(s, "/m/sub/a.mp3", host);
  AddTrack(s, "/m/sub/b.txt", host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "a.mp3");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
}

// Add Track takes several files in the dialog's order, passes over what is
// no track, and starts the next time where the last track taken was (the
// music folder before any); a cancelled dialog changes nothing.
TEST(AddTrack, TakesSeveralFilesAndStartsWhereTheLastTrackWas) {
  ProgramState s;
  s.MusicFolder = "/home/p/Music";
  RecordingHost host;
  host.openFileLists = {
      {"/m/rock/b.mp3", "/m/rock/a.mp3", "/m/rock/notes.txt"}, {}, {"/m/jazz/c.MP3", "/m/x.doc"}};
  AddTrackCommand(s, host);
  AddTrackCommand(s, host);  // cancelled
  AddTrackCommand(s, host);
  AddTrackCommand(s, host);
  EXPECT_EQ(host.events, Lines(4, "open-files-dialog"));
  EXPECT_EQ(host.lastFilters[0],
            "Music Files (*.mp3,*.flac,*.ogg,*.opus,*.m4a,*.wav)|*.mp3; *.flac; *.ogg; *.opus; "
            "*.m4a; *.wav");
  EXPECT_EQ(host.startFolders, (Lines{"/home/p/Music", "/m/rock", "/m/rock", "/m/jazz"}));
  EXPECT_EQ(s.PlaylistNames, (Lines{"b.mp3", "a.mp3", "c.MP3"}));
  EXPECT_EQ(s.TrackFolder, "/m/jazz");
}

TEST(Drop, AddsOnlyMp3NamesInOrderAndLeavesHoverImagesAlone) {
  ProgramState s;
  RecordingHost host;
  DropCommand(s, {"/m/a.mp3", "/m/b.MP3", "/m/folder", "/m/c.mp3"}, host);
  EXPECT_EQ(s.PlaylistNames, (Lines{"a.mp3", "b.MP3", "c.mp3"}));
  EXPECT_TRUE(host.events.empty());
}

TEST(Limit, TheTablesStopAt10000AndTheUserIsToldOnce) {
  ProgramState s;
  RecordingHost host;
  for (int i = 0; i < kMaxTracks - 1; ++i) AppendEntry(s, "/m/t.mp3", host);
  DropCommand(s, {"/m/last.mp3", "/m/over1.mp3", "/m/over2.mp3"}, host);
  EXPECT_EQ(s.TrackCount(), 10000);
  EXPECT_EQ(s.PlaylistNames.back(), "last.mp3");
  EXPECT_EQ(s.PlaylistNames.size(), s.PlaylistPaths.size());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The playlist is full (10000 tracks).");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt");

  // Several files chosen at once: the full list is told once, as for a drop.
  host.openFileLists = {{"/m/more.mp3", "/m/more2.mp3"}};
  AddTrackCommand(s, host);
  EXPECT_EQ(s.TrackCount(), 10000);
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(AppendEntry(s, "/m/x.mp3", host), AppendResult::Full);
  EXPECT_EQ(host.listLines.size(), 10000u);
}

TEST(Remove, SelectsTheLineAboveTheLastRemovedOne) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3", "T4", "T5"});
  EditResult r = RemoveSelected(s, select(5, {1, 3}), host);
  expectPlaylist(s, {"T1", "T3", "T5"});
  EXPECT_TRUE(r.rebuilt);
  EXPECT_EQ(r.selection, select(3, {2}));
  EXPECT_EQ(r.current, 2);
  // The list box learns the same through the observer.
  EXPECT_EQ(host.listLines, s.PlaylistNames);
  EXPECT_EQ(host.lastChange.firstChanged, 0);
  EXPECT_EQ(host.lastChange.selection, r.selection);
  EXPECT_EQ(host.lastChange.current, 2);

  s = withTracks({"T1", "T2", "T3", "T4"});
  r = RemoveSelected(s, select(4, {2}), host);
  expectPlaylist(s, {"T1", "T2", "T4"});
  EXPECT_EQ(r.selection, select(3, {1}));
  EXPECT_EQ(r.current, 1);
}

TEST(Remove, FirstLineSelectsTheNewFirstLineAndTheLastLineTheNewLast) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3"});
  EditResult r = RemoveSelected(s, select(3, {0}), host);
  expectPlaylist(s, {"T2", "T3"});
  EXPECT_EQ(r.current, 0);

  s = withTracks({"T1", "T2", "T3"});
  r = RemoveSelected(s, select(3, {1, 2}), host);
  expectPlaylist(s, {"T1"});
  EXPECT_EQ(r.selection, select(1, {0}));
  EXPECT_EQ(r.current, 0);
}

TEST(Remove, NothingSelectedRebuildsAndSelectsTheFirstLine) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2"});
  EditResult r = RemoveSelected(s, {}, host);
  expectPlaylist(s, {"T1", "T2"});
  EXPECT_TRUE(r.rebuilt);
  EXPECT_EQ(r.selection, select(2, {0}));
  EXPECT_EQ(r.current, 0);
}

TEST(Remove, TheOnlyEntryLeavesAnEmptyListWithoutSelection) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1"});
  EditResult r = RemoveSelected(s, select(1, {0}), host);
  EXPECT_EQ(s.TrackCount(), 0);
  EXPECT_TRUE(s.PlaylistNames.empty());
  EXPECT_TRUE(r.rebuilt);
  EXPECT_TRUE(r.selection.empty());
  EXPECT_EQ(r.current, -1);

  EXPECT_FALSE(RemoveSelected(s, {}, host).rebuilt);  // an empty list is left alone
}

TEST(Move, UpCarriesABlockOfSelectedLinesAndTheSelectionFollows) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3", "T4"});
  EditResult r = MoveSelectedUp(s, select(4, {1, 2}), host);
  expectPlaylist(s, {"T2", "T3", "T1", "T4"});
  EXPECT_TRUE(r.rebuilt);
  EXPECT_EQ(r.selection, select(4, {0, 1}));
}

TEST(Move, DownCarriesABlockOfSelectedLinesAndTheSelectionFollows) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3", "T4"});
  EditResult r = MoveSelectedDown(s, select(4, {1, 2}), host);
  expectPlaylist(s, {"T1", "T4", "T2", "T3"});
  EXPECT_TRUE(r.rebuilt);
  EXPECT_EQ(r.selection, select(4, {2, 3}));
}

TEST(Move, SeparateSelectedLinesEachMoveOnePlace) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3", "T4", "T5"});
  EditResult r = MoveSelectedUp(s, select(5, {1, 4}), host);
  expectPlaylist(s, {"T2", "T1", "T3", "T5", "T4"});
  EXPECT_EQ(r.selection, select(5, {0, 3}));
}

TEST(Move, FirstLineSelectedBlocksUpAndLastLineBlocksDown) {
  test::RecordingHost host;
  ProgramState s = withTracks({"T1", "T2", "T3"});
  EditResult up = MoveSelectedUp(s, select(3, {0, 2}), host);
  EditResult down = MoveSelectedDown(s, select(3, {0, 2}), host);
  expectPlaylist(s, {"T1", "T2", "T3"});
  EXPECT_FALSE(up.rebuilt);
  EXPECT_FALSE(down.rebuilt);

  ProgramState empty;
  EXPECT_FALSE(MoveSelectedUp(empty, {}, host).rebuilt);
  EXPECT_FALSE(MoveSelectedDown(empty, {}, host).rebuilt);
}

TEST(Move, SingleSwapsIgnoreIndexesAtTheEnds) {
  ProgramState s = withTracks({"T1", "T2"});
  MoveTrackUp(s, 0);
  MoveTrackDown(s, 1);
  MoveTrackUp(s, 5);
  MoveTrackDown(s, -1);
  expectPlaylist(s, {"T1", "T2"});
  MoveTrackDown(s, 0);
  expectPlaylist(s, {"T2", "T1"});
  MoveTrackUp(s, 1);
  expectPlaylist(s, {"T1", "T2"});
}

}  // namespace
}  // namespace tunebelt
