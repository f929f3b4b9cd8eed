#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

class Pls : public ::testing::Test {
 protected:
  // Writes Lists/mix.pls with the given lines and reads it.
  ImportResult load(const Lines& lines) {
    writeFile(list, crlf(lines));
    return plsload(state, list, host);
  }
  void touch(const std::string& rel) { writeFile(dir / rel, test::playableMp3("mp3")); }

  TempDir dir;
  std::string lists = dir / "Lists";
  std::string list = dir / "Lists/mix.pls";
  ProgramState state;
  RecordingHost host;
};

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST_F(Pls, ExampleAppendsWhatExistsInFileOrder) {
  for (auto f : {"Music/a.mp3", "Lists/b.mp3", "c.mp3", "Music/d.MP3"}) touch(f);
  EXPECT_EQ(load({"[playlist]", "File1=" + dir / "Music/a.mp3", "Title1=A", "File2=b.mp3",
                  "File3=..\\c.mp3", "File4=" + dir / "Music/d.MP3", "NumberOfEntries=4"}),
            ImportResult::Read);
  // ".MP3" is a track too.
  EXPECT_EQ(state.PlaylistPaths, (Lines{dir / "Music/a.mp3", in(lists, "b.mp3"),
                                        in(lists, "../c.mp3"), dir / "Music/d.MP3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"a.mp3", "b.mp3", "c.mp3", "d.MP3"}));
  EXPECT_EQ(host.listLines, state.PlaylistNames);
  EXPECT_TRUE(host.messages.empty());
}
#endif

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST_F(Pls, ExampleInWindowsFormResolvesThroughBackslashes) {
  ScopedCwd cwd(dir.str());
  for (auto f : {"D:/Music/a.mp3", "D:/Lists/b.mp3", "D:/c.mp3", "D:/Music/d.MP3"}) touch(f);
  writeFile(dir / "D:/Lists/mix.pls",
            crlf({"[playlist]", "File1=D:\\Music\\a.mp3", "Title1=A", "File2=b.mp3",
                  "File3=..\\c.mp3", "File4=D:\\Music\\d.MP3", "NumberOfEntries=4"}));
  plsload(state, "D:/Lists/mix.pls", host);
  EXPECT_EQ(state.PlaylistPaths, (Lines{"D:/Music/a.mp3", in("D:/Lists", "b.mp3"),
                                        in("D:/Lists", "../c.mp3"), "D:/Music/d.MP3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"a.mp3", "b.mp3", "c.mp3", "d.MP3"}));
}
#endif

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST_F(Pls, AnEntryIsTakenAsWrittenBeforeItsWindowsReading) {
  // "AC\DC" is a Linux folder of that name, and "x\y.mp3" a file whose name
  // holds a backslash: both are found as they stand; the playlist's own
  // folder keeps its backslash whichever reading the entry needs.
  std::string odd = dir / "AC\\DC";
  writeFile(odd + "/list.pls", crlf({"File1=x\\y.mp3", "File2=sub\\z.mp3", "File3=..\\w.mp3"}));
  writeFile(odd + "/x\\y.mp3", test::playableMp3("literal"));
  writeFile(odd + "/x/y.mp3", test::playableMp3("not this one"));
  writeFile(odd + "/sub/z.mp3", test::playableMp3("z"));
  writeFile(dir / "w.mp3", test::playableMp3("w"));
  plsload(state, odd + "/list.pls", host);
  EXPECT_EQ(state.PlaylistPaths, (Lines{odd + "/x\\y.mp3", odd + "/sub/z.mp3", odd + "/../w.mp3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"x\\y.mp3", "z.mp3", "w.mp3"}));
}
#endif

#ifndef _WIN32  // FIFOs and device links are POSIX's; fs_test has Windows' pipes
TEST_F(Pls, APlaylistThatIsAFifoIsRefusedAtOnce) {
  std::filesystem::create_directories(lists);
  ASSERT_EQ(::mkfifo(list.c_str(), 0644), 0);
  ::alarm(20);
  EXPECT_EQ(plsload(state, list, host), ImportResult::Failed);
  ::alarm(0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Could not read the playlist " + list + ": is a FIFO (named pipe), not a regular file");
}

TEST_F(Pls, EntriesThatAreNoRegularFilesAreNotTaken) {
  touch("Lists/a.mp3");
  ASSERT_EQ(::mkfifo((lists + "/pipe.mp3").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", lists + "/zero.mp3");
  std::filesystem::create_symlink(lists + "/a.mp3", lists + "/link.mp3");
  ::alarm(20);
  load({"File1=pipe.mp3", "File2=zero.mp3", "File3=link.mp3", "File4=a.mp3"});
  ::alarm(0);
  EXPECT_EQ(state.PlaylistPaths, (Lines{in(lists, "link.mp3"), in(lists, "a.mp3")}));
}
#endif

TEST_F(Pls, LinesThatAreNotFileEntriesEndingInMp3AddNothing) {
  touch("Lists/a.mp3");
  EXPECT_EQ(load({"[playlist]", "Title1=a.mp3", "NumberOfEntries=1", "", "file1=a.mp3",
                  "FILE1=a.mp3", "File1=a.mp3 ", "File1=a.mp4", "File", "File=", " File1=a.mp3"}),
            ImportResult::Read);
  EXPECT_TRUE(state.PlaylistPaths.empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(Pls, ValuesAreTakenAsTheyStand) {
  touch("Lists/a.mp3");
  touch("Lists/ a.mp3");
  // The number plays no part; blanks before "=" belong to the key; blanks and
  // quotes after it stay in the path.
  load({"File10=a.mp3", "File=a.mp3", "FileA  =a.mp3", "File2= a.mp3", "File3=\"a.mp3\"",
        "File4=./a.mp3"});
  EXPECT_EQ(state.PlaylistPaths, (Lines{in(lists, "a.mp3"), in(lists, "a.mp3"), in(lists, "a.mp3"),
                                        in(lists, " a.mp3"), in(lists, "./a.mp3")}));
}

// One line, one entry: everything after the first "=", however many follow.
TEST_F(Pls, TheEntryRunsFromTheFirstEqualsSign) {
  touch("Music/a=b.mp3");
  touch("Lists/b.mp3");
  touch("Lists/=c.mp3");
  load({"File1=" + dir / "Music/a=b.mp3", "File2==c.mp3", "File3=nowhere=b.mp3"});
  EXPECT_EQ(state.PlaylistPaths, (Lines{dir / "Music/a=b.mp3", in(lists, "=c.mp3")}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"a=b.mp3", "=c.mp3"}));
}

TEST_F(Pls, MissingFilesWebAddressesAndNetworkPathsAreSkipped) {
  touch("Lists/there.mp3");
  load({"File1=gone.mp3", "File2=http://example.com/a.mp3", "File3=\\\\server\\share\\a.mp3",
        "File4=there.mp3"});
  EXPECT_EQ(state.PlaylistPaths, Lines{in(lists, "there.mp3")});
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(Pls, FoldersAndWildcardsAreNotTracks) {
  touch("Lists/a.mp3");
  std::filesystem::create_directories(dir / "Lists/folder.mp3");
  load({"File1=folder.mp3", "File2=*.mp3", "File3=?.mp3"});
  EXPECT_TRUE(state.PlaylistPaths.empty());
}

TEST_F(Pls, ImportedEntriesFollowTheOnesThereAndRepeatOnASecondImport) {
  touch("Lists/a.mp3");
  AppendEntry(state, "/old/x.mp3", host);
  load({"File1=a.mp3"});
  plsload(state, list, host);
  EXPECT_EQ(state.PlaylistNames, (Lines{"x.mp3", "a.mp3", "a.mp3"}));
}

TEST_F(Pls, FullPlaylistStopsTheImportWithOneMessage) {
  for (auto f : {"Lists/a.mp3", "Lists/b.mp3", "Lists/c.mp3"}) touch(f);
  for (int i = 0; i < kMaxTracks - 1; ++i) AppendEntry(state, "/old/x.mp3", host);
  EXPECT_EQ(load({"File1=a.mp3", "File2=b.mp3", "File3=c.mp3"}), ImportResult::Full);
  EXPECT_EQ(state.TrackCount(), kMaxTracks);
  EXPECT_EQ(state.PlaylistNames.back(), "a.mp3");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The playlist is full (10000 tracks).");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt");
}

TEST_F(Pls, UnreadableFileIsReportedAndAddsNothing) {
  EXPECT_EQ(plsload(state, dir / "none.pls", host), ImportResult::Failed);
  std::filesystem::create_directories(dir / "x.pls");
  EXPECT_EQ(plsload(state, dir / "x.pls", host), ImportResult::Failed);
  EXPECT_TRUE(state.PlaylistPaths.empty());
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text,
            "Could not read the playlist " + dir / "none.pls" + ": No such file or directory");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(host.messages[1].text,
            "Could not read the playlist " + dir / "x.pls" + ": Is a directory");
}

TEST_F(Pls, NulBytesInvalidUtf8AndOverlongNamesFindNothing) {
  touch("Lists/a.mp3");
  std::string nul = std::string("File1=a.mp3") + '\0' + "x.mp3";
  std::string longName = "File2=" + std::string(1 << 20, 'x') + ".mp3";
  load({nul, longName, "File3=\xff\xfe\xc3.mp3",
        "File4=\xc0\xaf"
        "a.mp3"});
  EXPECT_TRUE(state.PlaylistPaths.empty());
}

TEST_F(Pls, AMebibyteLineOfEqualsSignsNamesNothingAndTheNextLineCounts) {
  touch("Lists/a.mp3");
  load({"File1=" + std::string(1 << 20, '=') + "a.mp3", "File2=a.mp3"});
  EXPECT_EQ(state.PlaylistPaths, Lines{in(lists, "a.mp3")});
}

#ifndef _WIN32  // "\\" in names and its Windows reading are POSIX's
TEST(PlsFixtures, WindowsAndPosixEntriesWithTheUsualKeys) {
  TempDir dir;
  ScopedCwd cwd(dir.str());
  for (auto f : {"Music/a.mp3", "Lists/sub/b.mp3", "D:/x.mp3", "Music/c.mp3"}) {
    writeFile(dir / f, test::playableMp3("mp3"));
  }
  copyFixture("pls/mixed.pls", dir, dir / "Lists/mixed.pls");
  ProgramState state;
  RecordingHost host;
  EXPECT_EQ(plsload(state, dir / "Lists/mixed.pls", host), ImportResult::Read);
  std::string lists = dir / "Lists";
  EXPECT_EQ(state.PlaylistPaths, (Lines{in(lists, "../Music/a.mp3"), in(lists, "sub/b.mp3"),
                                        "D:/x.mp3", dir / "Music/c.mp3"}));
  EXPECT_EQ(state.PlaylistNames, (Lines{"a.mp3", "b.mp3", "x.mp3", "c.mp3"}));
  EXPECT_TRUE(host.messages.empty());
}
#endif

TEST(PlsFixtures, LoneLfAndLoneCrEndLinesToo) {
  for (auto name : {"pls/lf.pls", "pls/cr.pls"}) {
    TempDir dir;
    writeFile(dir / "a.mp3", test::playableMp3("mp3"));
    writeFile(dir / "b.mp3", test::playableMp3("mp3"));
    copyFixture(name, dir, dir / "list.pls");
    ProgramState state;
    RecordingHost host;
    plsload(state, dir / "list.pls", host);
    EXPECT_EQ(state.PlaylistPaths, (Lines{in(dir.str(), "a.mp3"), in(dir.str(), "b.mp3")})) << name;
  }
}

}  // namespace
}  // namespace tunebelt
