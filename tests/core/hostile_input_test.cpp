// The readers on hostile files: lines of a megabyte, NUL bytes, invalid
// UTF-8, settings of random bytes or cut short. They read what they can and
// go on.
#include <gtest/gtest.h>

#include <random>

#include "core/playlist/import.h"
#include "core/state/settings.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::randomBytes;
using test::readFile;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir / "good.mp3", test::playableMp3("g"));
    writeFile(dir / "\xff\xfe name.mp3", test::playableMp3("b"));  // a name that is not UTF-8
  }
  TempDir dir;
  RecordingHost host;
  ProgramState state;
  const std::string huge = std::string(1 << 20, 'x');
  // Names good.mp3 only up to its NUL: must name nothing.
  const std::string nulEntry = std::string("good.mp3\0.mp3", 13);
};

#ifndef _WIN32  // names that are no UTF-8 are POSIX's
TEST_F(HostileInput, M3uSkipsHugeAndNulEntriesAndKeepsNonUtf8Names) {
  writeFile(dir / "list.m3u", "#EXTM3U\r\n#EXTINF:1," + huge + "\r\n" + huge + ".mp3\r\n" +
                                  "#EXTINF:2,nul\r\n" + nulEntry + "\r\n" + "#EXTINF:3,\xc3(\r\n" +
                                  "\xff\xfe name.mp3\r\n" + std::string(1 << 20, '\0') +
                                  "\r\n#EXTINF:4,g\r\ngood.mp3\r\n");
  EXPECT_EQ(m3uload(state, dir / "list.m3u", host), ImportResult::Read);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(state.PlaylistPaths,
            (std::vector<std::string>{dir / "\xff\xfe name.mp3", dir / "good.mp3"}));
  EXPECT_EQ(state.PlaylistNames, (std::vector<std::string>{"\xff\xfe name.mp3", "good.mp3"}));
}
#endif

#ifndef _WIN32  // names that are no UTF-8 are POSIX's
TEST_F(HostileInput, PlsSkipsHugeAndNulEntriesAndKeepsNonUtf8Names) {
  writeFile(dir / "list.pls", "[playlist]\nFile1=" + huge + ".mp3\nFile2=" + nulEntry +
                                  "\nFile3=\xff\xfe name.mp3\n" + randomBytes(1 << 16, 7) +
                                  "\nFile4=" + dir.str() + "/good.mp3\n");
  EXPECT_EQ(plsload(state, dir / "list.pls", host), ImportResult::Read);
  EXPECT_TRUE(host.messages.empty());
  ASSERT_GE(state.TrackCount(), 2);
  EXPECT_EQ(state.PlaylistPaths.front(), dir / "\xff\xfe name.mp3");
  EXPECT_EQ(state.PlaylistPaths.back(), dir / "good.mp3");
}
#endif

#ifndef _WIN32  // names that are no UTF-8 are POSIX's
TEST_F(HostileInput, SettingsOfRandomBytesReadWithoutOverflowingTheFolderList) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    writeFile(dir / "settings.jst", randomBytes(seed % 2 ? 12010 * 128 : 3000 + seed, seed));
    ProgramState s;
    ASSERT_NO_THROW(LoadSettings(dir / "settings.jst", s));
    EXPECT_LE(s.ModFolderCount(), kMaxModFolders);
    for (const std::string& f : s.ModFolders) EXPECT_LE(f.size(), 126u);
  }
}
#endif

#ifndef _WIN32  // names that are no UTF-8 are POSIX's
TEST_F(HostileInput, SettingsCutShortKeepTheFoldersBeforeTheCut) {
  ProgramState written;
  written.ModFolders = {"/games/hl/cstrike", "/games/hl/valve", "/games/hl/dod"};
  written.Language = kGerman;
  SaveSettingsOnExit(dir / "settings.jst", written, 1);
  const std::string full = readFile(dir / "settings.jst");
  // Records: 1 the count, 2 to 4 the folders. Cut inside the second folder's
  // text, the file keeps the first folder only: no folder made of the cut
  // end (which would hold NUL bytes) nor of the zeros after it.
  writeFile(dir / "settings.jst", full.substr(0, 128 * 2 + 5));
  ProgramState s;
  EXPECT_EQ(LoadSettings(dir / "settings.jst", s), 0);  // the box's record is gone
  EXPECT_EQ(s.ModFolders, std::vector<std::string>{"/games/hl/cstrike"});
  EXPECT_EQ(s.Language, 0);

  // Cut right after the second folder's text: both are whole.
  writeFile(dir / "settings.jst", full.substr(0, 128 * 2 + 2 + 15));
  EXPECT_EQ(LoadSettings(dir / "settings.jst", s), 0);
  EXPECT_EQ(s.ModFolders, (std::vector<std::string>{"/games/hl/cstrike", "/games/hl/valve"}));
}
#endif

}  // namespace
}  // namespace tunebelt
