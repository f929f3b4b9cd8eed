#include "core/state/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/state/settings.h"
#include "platform/userfolders.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::EnvGuard;
using test::readFile;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

// A temporary home with no XDG variables set.
struct FolderFixture : ::testing::Test {
  TempDir dir;
  EnvGuard env;
  RecordingHost host;
  ProgramState state;
  void SetUp() override {
    env.set("HOME", dir / "home");
    env.unset("XDG_CONFIG_HOME");
    env.unset("XDG_DATA_HOME");
    fs::create_directory(dir / "home");
  }
};

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, UserDirsFileNamesDocumentsAndMusic) {
  writeFile(dir / "cfg/user-dirs.dirs",
            "# written by xdg-user-dirs-update\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/My Papers\"\n"
            "XDG_MUSIC_DIR=\"" +
                dir / "elsewhere/Tunes" + "\"\n");
  env.set("XDG_CONFIG_HOME", dir / "cfg");
  env.set("XDG_DATA_HOME", dir / "data");
  GetSpecialFolders(state, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(state.DocumentsFolder, dir / "home/My Papers");
  EXPECT_EQ(state.MusicFolder, dir / "elsewhere/Tunes");
  EXPECT_EQ(state.FontsFolder, dir / "data/fonts");
  EXPECT_EQ(state.SystemFolder, "");  // none on Linux, and nothing told
  EXPECT_EQ(state.FolderResult, 0);
  // Missing folders are found, not made: they are made when something goes there.
  EXPECT_FALSE(fs::exists(state.DocumentsFolder));
  EXPECT_FALSE(fs::exists(state.MusicFolder));
  EXPECT_FALSE(fs::exists(state.FontsFolder));
}
#endif

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, WithoutUserDirsTheHomeFoldersAreUsed) {
  GetSpecialFolders(state, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(state.DocumentsFolder, dir / "home/Documents");
  EXPECT_EQ(state.MusicFolder, dir / "home/Music");
  EXPECT_EQ(state.FontsFolder, dir / "home/.local/share/fonts");
  EXPECT_TRUE(fs::is_empty(dir / "home"));
}
#endif

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, UserDirsInTheDefaultConfigFolderAreRead) {
  writeFile(dir / "home/.config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
  GetSpecialFolders(state, host);
  EXPECT_EQ(state.MusicFolder, dir / "home/Musik");
  EXPECT_EQ(state.DocumentsFolder, dir / "home/Documents");
}
#endif

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, NoHomeTellsTheUserForEachFolderAndLeavesThemEmpty) {
  env.unset("HOME");
  GetSpecialFolders(state, host);
  ASSERT_EQ(host.messages.size(), 3u);  // documents, music, fonts; not system
  for (const auto& m : host.messages) {
    EXPECT_EQ(m.text, "The folder does not exist");
    EXPECT_EQ(m.caption, "Tunebelt");
    EXPECT_EQ(m.icon, MessageIcon::None);
  }
  EXPECT_EQ(state.DocumentsFolder, "");
  EXPECT_EQ(state.MusicFolder, "");
  EXPECT_EQ(state.FontsFolder, "");
  EXPECT_EQ(state.FolderResult, 1);
}
#endif

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, AFileWhereTheFolderShouldBeIsNotFound) {
  writeFile(dir / "home/Music", "a file where the folder should be");
  GetSpecialFolders(state, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The folder does not exist");
  EXPECT_EQ(state.MusicFolder, "");
  EXPECT_EQ(state.DocumentsFolder, dir / "home/Documents");
  EXPECT_EQ(state.FolderResult, 0);  // the last look-up, the fonts, succeeded
}
#endif

TEST(SpecialFolder, UnknownIdentifierIsInvalid) {
  EXPECT_EQ(platform::getSpecialFolder(0x1234).result, static_cast<std::int32_t>(0x80070057u));
}

TEST(SpecialFolder, UserDirsLinesFollowTheFileRules) {
  using platform::parseUserDir;
  const std::string home = "/home/ann";
  EXPECT_EQ(parseUserDir("XDG_MUSIC_DIR=\"$HOME/Music\"\n", "XDG_MUSIC_DIR", home),
            "/home/ann/Music");
  EXPECT_EQ(parseUserDir("  XDG_MUSIC_DIR = \"/srv/a\\\"b\"\r\n", "XDG_MUSIC_DIR", home),
            "/srv/a\"b");
  // A relative path is not allowed; a comment is not an entry; the last one wins.
  EXPECT_EQ(parseUserDir("XDG_MUSIC_DIR=\"Music\"\n", "XDG_MUSIC_DIR", home), "");
  EXPECT_EQ(parseUserDir("#XDG_MUSIC_DIR=\"/x\"\n", "XDG_MUSIC_DIR", home), "");
  EXPECT_EQ(parseUserDir("XDG_MUSIC_DIR=\"/a\"\nXDG_MUSIC_DIR=\"/b\"\n", "XDG_MUSIC_DIR", home),
            "/b");
  // Another key, and $HOME without a home.
  EXPECT_EQ(parseUserDir("XDG_MUSIC_DIRS=\"/a\"\n", "XDG_MUSIC_DIR", home), "");
  EXPECT_EQ(parseUserDir("XDG_MUSIC_DIR=\"$HOME/Music\"\n", "XDG_MUSIC_DIR", ""), "");
  EXPECT_EQ(parseUserDir("XDG_DESKTOP_DIR=\"$HOME/\"\n", "XDG_DESKTOP_DIR", home), "/home/ann");
}

// An application folder holding the sample track, its settings file, and a
// music folder that is not there yet.
struct SampleFixture : ::testing::Test {
  TempDir dir;
  RecordingHost host;
  ProgramState state;
  std::string track;
  SettingsFile settings{dir / "app/settings.jst"};
  void SetUp() override {
    state.ApplicationFolder = dir / "app";
    state.MusicFolder = dir / "home/Music";
    track = dir / "app/velloran_glasshour.mp3";
    writeFile(track, "sample bytes");
  }
  std::int16_t storedFlag() {
    ProgramState stored;
    LoadSettings(dir / "app/settings.jst", stored);
    return stored.SampleTrackOffered;
  }
};

TEST_F(SampleFixture, FirstStartMakesItTheOnlyTrackWithoutAsking) {
  state.PlaylistPaths = {"/x/old.mp3"};
  state.PlaylistNames = {"old.mp3"};
  EXPECT_TRUE(PutSampleTrack(state, host));
  EXPECT_EQ(state.PlaylistPaths, std::vector<std::string>{track});
  EXPECT_EQ(state.PlaylistNames, std::vector<std::string>{"velloran_glasshour.mp3"});
  EXPECT_EQ(host.listLines, std::vector<std::string>{"velloran_glasshour.mp3"});
  EXPECT_EQ(state.SampleTrackOffered, 1);
  EXPECT_TRUE(host.messages.empty());  // the question waits for the window
  EXPECT_FALSE(fs::exists(dir / "home"));
}

TEST_F(SampleFixture, YesMakesTheMusicFolderThenAndCopiesTheTrack) {
  PutSampleTrack(state, host);
  host.answers = {true};
  OfferSampleTrackCopy(state, settings, host);
  ASSERT_EQ(host.messages.size(), 1u);
#ifdef _WIN32
  EXPECT_EQ(host.messages[0].text,
            "Do you want to copy the free track, 'Velloran - Glasshour' to your windows music "
            "folder?");
#else
  EXPECT_EQ(host.messages[0].text,
            "Do you want to copy the free track, 'Velloran - Glasshour' to your music folder?");
#endif
  EXPECT_EQ(host.messages[0].caption, "Copy Track");
  EXPECT_EQ(readFile(dir / "home/Music/velloran_glasshour.mp3"), "sample bytes");
  EXPECT_EQ(storedFlag(), 1);
  // The playlist entry keeps pointing at the copy beside the program.
  EXPECT_EQ(state.PlaylistPaths, std::vector<std::string>{track});

  // A copy there already is replaced.
  writeFile(dir / "home/Music/velloran_glasshour.mp3", "older");
  host.answers = {true};
  OfferSampleTrackCopy(state, settings, host);
  EXPECT_EQ(readFile(dir / "home/Music/velloran_glasshour.mp3"), "sample bytes");
}

TEST_F(SampleFixture, NoMakesNothingAndIsStoredAtOnce) {
  PutSampleTrack(state, host);
  host.answers = {false};
  OfferSampleTrackCopy(state, settings, host);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(dir / "home"));
  // Stored before any shut-down: an "Exit" or a crash does not ask again.
  EXPECT_EQ(storedFlag(), 1);
  ProgramState next;
  next.ApplicationFolder = state.ApplicationFolder;
  next.SampleTrackOffered = storedFlag();
  EXPECT_FALSE(PutSampleTrack(next, host));
}

TEST_F(SampleFixture, OfferedBeforeOrMissingFileDoesNothing) {
  state.SampleTrackOffered = 1;
  EXPECT_FALSE(PutSampleTrack(state, host));
  EXPECT_EQ(state.TrackCount(), 0);

  state.SampleTrackOffered = 0;
  fs::remove(track);
  EXPECT_FALSE(PutSampleTrack(state, host));
  EXPECT_EQ(state.SampleTrackOffered, 0);  // offered on a later start
  EXPECT_EQ(state.TrackCount(), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.events.empty());
}

TEST_F(SampleFixture, WithoutMusicFolderOrTrackNothingIsAskedNorStored) {
  PutSampleTrack(state, host);
  state.MusicFolder.clear();
  host.answers = {true};
  OfferSampleTrackCopy(state, settings, host);
  state.MusicFolder = dir / "home/Music";
  fs::remove(track);  // gone since the start
  OfferSampleTrackCopy(state, settings, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(fs::exists(dir / "app/settings.jst"));
  EXPECT_EQ(state.TrackCount(), 1);
}

TEST_F(SampleFixture, FailedCopyIsToldAndTheStartGoesOn) {
  writeFile(dir / "home", "a file where the home folder should be");
  PutSampleTrack(state, host);
  host.answers = {true};
  OfferSampleTrackCopy(state, settings, host);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].caption, "Tunebelt - Error");
  EXPECT_NE(host.messages[1].text.find(dir / "home"), std::string::npos);
  EXPECT_EQ(storedFlag(), 1);
  EXPECT_EQ(state.TrackCount(), 1);

  fs::remove(dir / "home");
  fs::create_directories(dir / "home/Music/velloran_glasshour.mp3");  // a folder in the way
  host.messages.clear();
  host.answers = {true};
  OfferSampleTrackCopy(state, settings, host);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_NE(host.messages[1].text.find(dir / "home/Music/velloran_glasshour.mp3"),
            std::string::npos);
}

TEST(Startup, SmallScreenShortensTheWindow) {
  EXPECT_EQ(ShortenedHeight(768 * 15), 11190);
  EXPECT_EQ(ShortenedHeight(11599), 11190);
  EXPECT_EQ(ShortenedHeight(11600), std::nullopt);
  EXPECT_EQ(ShortenedHeight(864 * 15), std::nullopt);
}

TEST(Startup, StoredLanguageOtherThanEnglishOrGermanBecomesEnglish) {
  for (auto [stored, expected] : std::vector<std::pair<std::int16_t, std::int16_t>>{
           {0, 1}, {7, 1}, {-1, 1}, {1, 1}, {2, 2}}) {
    ProgramState state;
    state.Language = stored;
    NormalizeLanguage(state);
    EXPECT_EQ(state.Language, expected) << "stored " << stored;
  }
}

}  // namespace
}  // namespace tunebelt
