#include "core/state/settings.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "platform/fs.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr std::size_t kNewFileSize = 1536896;

std::string record(const std::string& file, int n) {
  std::string bytes = test::readFile(file);
  std::size_t start = static_cast<std::size_t>(n - 1) * 128;
  if (start >= bytes.size()) return std::string(128, '\0');
  std::string r = bytes.substr(start, 128);
  r.resize(128, '\0');
  return r;
}

// A record's expected bytes: the value, then zero filler.
std::string rec(std::string value) {
  value.resize(128, '\0');
  return value;
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// Writes a value at the start of a record, extending the file with zeros.
void patch(const std::string& file, int n, const std::string& value) {
  std::string content = test::readFile(file);
  std::size_t start = static_cast<std::size_t>(n - 1) * 128;
  if (content.size() < start + value.size()) content.resize(start + value.size(), '\0');
  content.replace(start, value.size(), value);
  test::writeFile(file, content);
}

std::size_t nonZeroBytes(const std::string& file) {
  std::string content = test::readFile(file);
  return content.size() -
         static_cast<std::size_t>(std::count(content.begin(), content.end(), '\0'));
}

TEST(Settings, FirstStartCreatesTheDefaults) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  EXPECT_EQ(fs::file_size(file), kNewFileSize);
  EXPECT_EQ(record(file, 12005), rec(bytes({80, 0})));
  EXPECT_EQ(record(file, 12006), rec(bytes({80, 0})));
  EXPECT_EQ(record(file, 12007), rec(bytes({1, 0})));
  EXPECT_EQ(nonZeroBytes(file), 3u);

  ProgramState state;
  state.ModFolders = {"stale"};
  EXPECT_EQ(LoadSettings(file, state), 0);
  EXPECT_TRUE(state.ModFolders.empty());
  EXPECT_EQ(state.Language, 0);
  EXPECT_EQ(state.SampleTrackOffered, 0);
  EXPECT_EQ(state.Mp3Volume, 80);
  EXPECT_EQ(state.GameVolume, 80);
}

TEST(Settings, LoadingAMissingFileReadsZerosAndCreatesNothing) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  ProgramState state;
  state.Mp3Volume = 55;
  EXPECT_EQ(LoadSettings(file, state), 0);
  EXPECT_EQ(state.Mp3Volume, 0);
  EXPECT_EQ(state.ModFolderCount(), 0);
  EXPECT_FALSE(fs::exists(file));
}

TEST(Settings, APresentMarkerKeepsSavedVolumes) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  patch(file, 12005, bytes({35, 0}));
  patch(file, 12006, bytes({60, 0}));
  patch(file, 12007, bytes({1, 0}));
  std::string before = test::readFile(file);
  EnsureSettingsDefaults(file);
  EXPECT_EQ(test::readFile(file), before);
  ProgramState state;
  LoadSettings(file, state);
  EXPECT_EQ(state.Mp3Volume, 35);
  EXPECT_EQ(state.GameVolume, 60);
}

TEST(Settings, ExitWritesTheRecordLayout) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  ProgramState state;
  state.ModFolders = {"E:\\Games\\valve", "E:\\Games\\cstrike", "/home/p/tfc"};
  state.Language = 2;
  state.SampleTrackOffered = 1;
  state.LastSaveFolder = "/home/p/tfc";
  state.TrackFolder = "/home/p/Music";
  SaveSettingsOnExit(file, state, 1);
  EXPECT_EQ(fs::file_size(file), 12009u * 128u);
  EXPECT_EQ(record(file, 1), rec(bytes({3, 0})));
  EXPECT_EQ(record(file, 2), rec(bytes({14, 0}) + "E:\\Games\\valve"));
  EXPECT_EQ(record(file, 3), rec(bytes({16, 0}) + "E:\\Games\\cstrike"));
  EXPECT_EQ(record(file, 4), rec(bytes({11, 0}) + "/home/p/tfc"));
  EXPECT_EQ(record(file, 5), std::string(128, '\0'));
  EXPECT_EQ(record(file, 12000), rec(bytes({2, 0})));
  EXPECT_EQ(record(file, 12001), rec(bytes({1, 0})));
  EXPECT_EQ(record(file, 12002), rec(bytes({2, 0, 1, 0})));
  EXPECT_EQ(record(file, 12005), rec(bytes({80, 0})));  // volumes untouched
  EXPECT_EQ(record(file, 12008), rec(bytes({11, 0}) + "/home/p/tfc"));
  EXPECT_EQ(record(file, 12009), rec(bytes({13, 0}) + "/home/p/Music"));

  SaveSettingsOnExit(file, state, 0);
  EXPECT_EQ(record(file, 12002), rec(bytes({2, 0, 0, 0})));
}

TEST(Settings, AShorterListLeavesOldRecordsUnreadAndZeroesFiller) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  ProgramState state;
  state.ModFolders = {"/games/a-long-first-folder", "/games/b"};
  SaveSettingsOnExit(file, state, 0);
  state.ModFolders = {"/g/c"};
  SaveSettingsOnExit(file, state, 0);
  EXPECT_EQ(record(file, 2), rec(bytes({4, 0}) + "/g/c"));  // no rest of the old path
  EXPECT_EQ(record(file, 3), rec(bytes({8, 0}) + "/games/b"));
  ProgramState loaded;
  LoadSettings(file, loaded);
  EXPECT_EQ(loaded.ModFolders, std::vector<std::string>{"/g/c"});
}

TEST(Settings, RoundTrip) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  ProgramState state;
  for (int i = 0; i < 100; ++i) state.ModFolders.push_back("/mods/" + std::to_string(i));
  state.ModFolders[7] = "/home/jörg/" + std::string(114, 'x');  // 126 bytes
  state.Language = 1;
  state.SampleTrackOffered = 1;
  state.Mp3Volume = 0;
  state.GameVolume = 100;
  state.LastSaveFolder = state.ModFolders[7];
  state.TrackFolder = "/home/jörg/Musik";
  SaveVolumes(file, state);
  SaveSettingsOnExit(file, state, 1);

  ProgramState loaded;
  EXPECT_EQ(LoadSettings(file, loaded), 1);
  EXPECT_EQ(loaded.ModFolders, state.ModFolders);
  EXPECT_EQ(loaded.Language, 1);
  EXPECT_EQ(loaded.SampleTrackOffered, 1);
  EXPECT_EQ(loaded.Mp3Volume, 0);
  EXPECT_EQ(loaded.GameVolume, 100);
  EXPECT_EQ(loaded.LastSaveFolder, state.LastSaveFolder);
  EXPECT_EQ(loaded.TrackFolder, state.TrackFolder);

  // A folder too long for its record is not stored half.
  state.TrackFolder = "/" + std::string(126, 'x');
  SaveSettingsOnExit(file, state, 1);
  LoadSettings(file, loaded);
  EXPECT_EQ(loaded.TrackFolder, "");
  EXPECT_EQ(loaded.LastSaveFolder, state.LastSaveFolder);
}

// A file written before the last save's and the last track's folder were
// kept ends after the version record: it loads as before, with both empty,
// and the next shut-down adds them.
TEST(Settings, AFileWithoutTheFoldersOfLastTimeStillLoads) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  ProgramState state;
  state.ModFolders = {"/games/cstrike"};
  state.Language = 2;
  state.LastSaveFolder = "/games/cstrike";
  SaveSettingsOnExit(file, state, 1);
  fs::resize_file(file, kNewFileSize);  // as an older version left it
  ProgramState loaded;
  loaded.LastSaveFolder = "stale";
  EXPECT_EQ(LoadSettings(file, loaded), 1);
  EXPECT_EQ(loaded.ModFolders, state.ModFolders);
  EXPECT_EQ(loaded.Language, 2);
  EXPECT_EQ(loaded.LastSaveFolder, "");
  EXPECT_EQ(loaded.TrackFolder, "");
  // Cut inside the last save's record: no half path is made of it.
  SaveSettingsOnExit(file, state, 1);
  fs::resize_file(file, 12007u * 128u + 6u);
  LoadSettings(file, loaded);
  EXPECT_EQ(loaded.LastSaveFolder, "");
}

TEST(Settings, FoldersThatDoNotFitARecordAreNotStored) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  ProgramState state;
  state.ModFolders = {"/a", "/" + std::string(126, 'x'), "/c"};
  for (int i = 0; i < 100; ++i) state.ModFolders.push_back("/more" + std::to_string(i));
  SaveSettingsOnExit(file, state, 0);
  EXPECT_EQ(record(file, 1), rec(bytes({100, 0})));
  EXPECT_EQ(record(file, 3), rec(bytes({2, 0}) + "/c"));
  EXPECT_EQ(record(file, 102), std::string(128, '\0'));  // never beyond the list
  ProgramState loaded;
  LoadSettings(file, loaded);
  ASSERT_EQ(loaded.ModFolderCount(), 100);
  EXPECT_EQ(loaded.ModFolders[99], "/more97");
}

TEST(Settings, ValuesNoWriterProducesReadSafely) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  ProgramState state;

  patch(file, 1, bytes({101, 0}));
  patch(file, 2, bytes({2, 0}) + "/a");
  LoadSettings(file, state);
  EXPECT_EQ(state.ModFolderCount(), 0);
  patch(file, 1, bytes({0xFF, 0xFF}));  // -1
  LoadSettings(file, state);
  EXPECT_EQ(state.ModFolderCount(), 0);

  // A length beyond the record is cut to what the record holds.
  patch(file, 1, bytes({1, 0}));
  patch(file, 2, bytes({200, 0}) + std::string(126, 'p') + "NEXT");
  LoadSettings(file, state);
  ASSERT_EQ(state.ModFolderCount(), 1);
  EXPECT_EQ(state.ModFolders[0], std::string(126, 'p'));

  // Only tag 2 carries a value.
  patch(file, 12002, bytes({3, 0, 1, 0}));
  EXPECT_EQ(LoadSettings(file, state), 0);
  patch(file, 12002, bytes({0, 0, 1, 0}));
  EXPECT_EQ(LoadSettings(file, state), 0);
  patch(file, 12002, bytes({2, 0, 1, 0}));
  EXPECT_EQ(LoadSettings(file, state), 1);

  // Records past the end of a short file read as zeros.
  EXPECT_EQ(state.Mp3Volume, 0);
  EXPECT_LT(fs::file_size(file), 12005u * 128);
}

TEST(Settings, AnUnwritableFileThrowsNamingIt) {
  TempDir dir;
  std::string app = dir / "app";
  fs::create_directory(app);
  std::string file = app + "/settings.jst";
  ProgramState state;
#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows
  ::chmod(app.c_str(), 0555);
  try {
    EnsureSettingsDefaults(file);
    ADD_FAILURE() << "no error";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
    EXPECT_FALSE(e.reason().empty());
  }
  EXPECT_THROW(SaveVolumes(file, state), platform::FsError);
  EXPECT_THROW(SaveSettingsOnExit(file, state, 0), platform::FsError);
  EXPECT_FALSE(fs::exists(file));

  ::chmod(app.c_str(), 0755);
#endif
  EnsureSettingsDefaults(file);
  ASSERT_TRUE(test::setReadOnly(file, true));
  try {
    SaveVolumes(file, state);
    ADD_FAILURE() << "no error";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
  }
}

TEST(Settings, AFileThatCannotBeReadThrows) {
  TempDir dir;
  fs::create_directory(dir / "settings.jst");
  ProgramState state;
  EXPECT_THROW(LoadSettings(dir / "settings.jst", state), platform::FsError);
}

#ifndef _WIN32  // FIFOs and device links are POSIX's
TEST(Settings, AFifoOrADeviceIsRefusedAtOnceAndKept) {
  TempDir dir;
  std::string fifo = dir / "a/settings.jst";
  fs::create_directories(dir / "a");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::string zero = dir / "b/settings.jst";
  fs::create_directories(dir / "b");
  fs::create_symlink("/dev/zero", zero);
  ProgramState state;
  ::alarm(20);  // neither may ever be waited on or read without end
  for (const std::string& file : {fifo, zero}) {
    try {
      LoadSettings(file, state);
      ADD_FAILURE() << file << " was read";
    } catch (const platform::FsError& e) {
      EXPECT_EQ(e.path(), file);
    }
    EXPECT_THROW(EnsureSettingsDefaults(file), platform::FsError);
    EXPECT_THROW(SaveSettingsOnExit(file, state, 0), platform::FsError);
  }
  ::alarm(0);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(zero));
}
#endif

TEST(Settings, BytesBeyondTheLastRecordAreNeverRead) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  fs::resize_file(file, 1u << 30);  // a gigabyte of nothing after the records
  ProgramState state;
  LoadSettings(file, state);
  EXPECT_EQ(state.Mp3Volume, 80);
  SaveVolumes(file, state);
  // The audio options' records are the last the program writes.
  EXPECT_EQ(fs::file_size(file), 12011u * 128u);
}

// Off and 192 kb/s until set; kept past the volume records, which stay as
// they were; a bit rate MP3 has not reads as the default.
TEST(Settings, AudioOptionsAreKeptAndOnlyRealBitRatesRead) {
  TempDir dir;
  std::string file = dir / "settings.jst";
  EnsureSettingsDefaults(file);
  ProgramState state;
  LoadSettings(file, state);
  EXPECT_FALSE(state.LevelLoudness);
  EXPECT_EQ(state.BitrateKbps, 192);
  const std::string before = test::readFile(file);

  state.LevelLoudness = true;
  state.BitrateKbps = 256;
  SaveAudioOptions(file, state);
  EXPECT_EQ(test::readFile(file).substr(0, before.size()), before);
  EXPECT_EQ(record(file, 12010), rec(bytes({1, 0})));
  EXPECT_EQ(record(file, 12011), rec(bytes({0, 1})));
  ProgramState read;
  LoadSettings(file, read);
  EXPECT_TRUE(read.LevelLoudness);
  EXPECT_EQ(read.BitrateKbps, 256);

  ProgramState odd;
  odd.BitrateKbps = 100;
  SaveAudioOptions(file, odd);
  LoadSettings(file, read);
  EXPECT_FALSE(read.LevelLoudness);
  EXPECT_EQ(read.BitrateKbps, 192);
}

}  // namespace
}  // namespace tunebelt
