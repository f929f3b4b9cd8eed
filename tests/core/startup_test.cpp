#include "core/state/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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
  // Missing folders are created.
  EXPECT_TRUE(fs::is_directory(state.DocumentsFolder));
  EXPECT_TRUE(fs::is_directory(state.MusicFolder));
  EXPECT_TRUE(fs::is_directory(state.FontsFolder));
}
#endif

#ifndef _WIN32  // XDG user dirs; Windows asks the shell
TEST_F(FolderFixture, WithoutUserDirsTheHomeFoldersAreUsed) {
  GetSpecialFolders(state, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(state.DocumentsFolder, dir / "home/Documents");
  EXPECT_EQ(state.MusicFolder, dir / "home/Music");
  EXPECT_EQ(state.FontsFolder, dir / "home/.local/share/fonts");
  EXPECT_TRUE(fs::is_directory(dir / "home/Music"));
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/fonts"));
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
TEST_F(FolderFixture, FolderThatCannotBeCreatedIsNotFound) {
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

// An application folder holding the sample track and a music folder.
struct SampleFixture : ::testing::Test {
  TempDir dir;
  RecordingHost host;
  ProgramState state;
  std::string track;
  void SetUp() override {
    state.ApplicationFolder = dir / "app";
    state.MusicFolder = dir / "music";
    fs::create_directory(dir / "music");
    track = dir / "app/velloran_glasshour.mp3";
    writeFile(track, "sample bytes");
  }
};

TEST_F(SampleFixture, FirstStartMakesItTheOnlyTrackAndCopiesOnYes) {
  state.PlaylistPaths = {"/x/old.mp3"};
  state.PlaylistNames = {"old.mp3"};
  host.answers = {true};
  EXPECT_TRUE(OfferSampleTrack(state, host));
  EXPECT_EQ(state.PlaylistPaths, std::vector<std::string>{track});
  EXPECT_EQ(state.PlaylistNames, std::vector<std::string>{"velloran_glasshour.mp3"});
  EXPECT_EQ(host.listLines, std::vector<std::string>{"velloran_glasshour.mp3"});
  EXPECT_EQ(state.SampleTrackOffered, 1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Do you want to copy the free track, 'Velloran - Glasshour' to your windows music "
            "folder?");
  EXPECT_EQ(host.messages[0].caption, "Copy Track");
  EXPECT_EQ(readFile(dir / "music/velloran_glasshour.mp3"), "sample bytes");
}

TEST_F(SampleFixture, YesReplacesAnExistingCopy) {
  writeFile(dir / "music/velloran_glasshour.mp3", "older");
  host.answers = {true};
  OfferSampleTrack(state, host);
  EXPECT_EQ(readFile(dir / "music/velloran_glasshour.mp3"), "sample bytes");
}

TEST_F(SampleFixture, NoCopiesNothingButKeepsTheTrack) {
  host.answers = {false};
  EXPECT_TRUE(OfferSampleTrack(state, host));
  EXPECT_EQ(state.TrackCount(), 1);
  EXPECT_EQ(state.SampleTrackOffered, 1);
  EXPECT_FALSE(fs::exists(dir / "music/velloran_glasshour.mp3"));
}

TEST_F(SampleFixture, OfferedBeforeOrMissingFileDoesNothing) {
  state.SampleTrackOffered = 1;
  EXPECT_FALSE(OfferSampleTrack(state, host));
  EXPECT_EQ(state.TrackCount(), 0);

  state.SampleTrackOffered = 0;
  fs::remove(track);
  EXPECT_FALSE(OfferSampleTrack(state, host));
  EXPECT_EQ(state.SampleTrackOffered, 0);  // offered on a later start
  EXPECT_EQ(state.TrackCount(), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.events.empty());
}

TEST_F(SampleFixture, WithoutMusicFolderNothingIsAsked) {
  state.MusicFolder.clear();
  host.answers = {true};
  EXPECT_TRUE(OfferSampleTrack(state, host));
  EXPECT_EQ(state.TrackCount(), 1);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(SampleFixture, FailedCopyIsToldAndTheStartGoesOn) {
  state.MusicFolder = dir / "gone/music";
  host.answers = {true};
  EXPECT_TRUE(OfferSampleTrack(state, host));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].caption, "Tunebelt - Error");
  EXPECT_NE(host.messages[1].text.find(dir / "gone/music/velloran_glasshour.mp3"),
            std::string::npos);
  EXPECT_EQ(state.SampleTrackOffered, 1);
  EXPECT_EQ(state.TrackCount(), 1);
}

struct FontFixture : ::testing::Test {
  TempDir dir;
  RecordingHost host;
  ProgramState state;
  void SetUp() override {
    state.ApplicationFolder = dir / "app";
    state.FontsFolder = dir / "fonts";
    fs::create_directories(dir / "fonts");
    writeFile(dir / "app/HLFLIFE2.TTF", "font");
  }
};

TEST_F(FontFixture, MissingFontIsCopied) {
  InstallFont(state, host);
  EXPECT_EQ(readFile(dir / "fonts/HLFLIFE2.TTF"), "font");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FontFixture, PresentFontIsLeftAlone) {
  writeFile(dir / "fonts/HLFLIFE2.TTF", "installed");
  InstallFont(state, host);
  EXPECT_EQ(readFile(dir / "fonts/HLFLIFE2.TTF"), "installed");
}

TEST_F(FontFixture, MissingSourceIsToldNamingTheFile) {
  fs::remove(dir / "app/HLFLIFE2.TTF");
  InstallFont(state, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_NE(host.messages[0].text.find(dir / "app/HLFLIFE2.TTF"), std::string::npos);
  EXPECT_NE(host.messages[0].text.find("No such file"), std::string::npos);
}

TEST_F(FontFixture, UnwritableFontsFolderIsTold) {
  state.FontsFolder = dir / "app/HLFLIFE2.TTF";  // a file, not a folder
  InstallFont(state, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
}

TEST_F(FontFixture, NoFontsFolderSkipsTheStep) {
  state.FontsFolder.clear();
  InstallFont(state, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(fs::exists("/HLFLIFE2.TTF"));
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
