#include "core/modfolder/cachesize.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/tree.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

TEST(FormatSize, EveryRowOfTheTable) {
  const std::pair<std::uint64_t, const char*> rows[] = {
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1 KB"},
      {1536, "1.5 KB"},
      {1000000, "976.5625 KB"},
      {1048575, "1023.999 KB"},
      {1048576, "1 MB"},
      {5000000, "4.7684 MB"},
      {123456789, "117.7376 MB"},
      {1500000000, "1.397 GB"},
      {3221225472, "3 GB"},
      {1099511627776, "1024 GB"},
  };
  for (const auto& [bytes, text] : rows) EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

TEST(FormatSize, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatSize(1536, ','), "1,5 KB");
  EXPECT_EQ(FormatSize(1024, ','), "1 KB");
}

TEST(FormatSize, ExactHalvesRoundToTheEvenDigit) {
  EXPECT_EQ(FormatSize(1056), "1.0312 KB");  // 10312.5 ten-thousandths
  EXPECT_EQ(FormatSize(1120), "1.0938 KB");  // 10937.5 ten-thousandths
}

TEST(FormatSize, ComparesTheRoundedValue) {
  // 1023.99999902 MB rounds to 1024 MB, which is no longer below 1024.
  EXPECT_EQ(FormatSize(1073741823), "1 GB");
  // Far beyond the table, nothing overflows.
  EXPECT_EQ(FormatSize(18446744073709551615ULL), "17179869184 GB");
}

TEST(GetFolderSize, CountsHiddenAndNestedFiles) {
  TempDir dir;
  writeFile(dir / "a.mp3", std::string(100, 'x'));
  writeFile(dir / ".hidden.mp3", std::string(20, 'x'));
  writeFile(dir / "sub/deeper/b.mp3", std::string(3, 'x'));
  writeFile(dir / ".hiddendir/c.mp3", std::string(4, 'x'));
  fs::create_directory(dir / "empty");
  EXPECT_EQ(GetFolderSize(dir.str()), 127u);
  EXPECT_EQ(GetFolderSize(dir.str() + "/"), 127u);
  EXPECT_EQ(platform::treeSize(dir.str()).files, 4u);  // folders are no files
}

TEST(GetFolderSize, WhatCannotBeListedCountsZero) {
  TempDir dir;
  writeFile(dir / "file.mp3", "abc");
  EXPECT_EQ(GetFolderSize(dir / "missing"), 0u);
  EXPECT_EQ(GetFolderSize(dir / "file.mp3"), 0u);  // a file, not a folder
  EXPECT_EQ(GetFolderSize(""), 0u);
}

TEST(GetFolderSize, FilesOfTwoGigabytesOrMoreCountTheirFullLength) {
  TempDir dir;
  std::string big = dir / "big.mp3";
  writeFile(big, "");
  fs::resize_file(test::fsPath(big), 3221225472ULL);  // sparse on Linux: no disk used
  writeFile(dir / "small.mp3", "12");
  EXPECT_EQ(GetFolderSize(dir.str()), 3221225474u);
}

#ifndef _WIN32  // links to files need a privilege on Windows
TEST(GetFolderSize, LinksAreNeitherCountedNorFollowed) {
  TempDir dir;
  writeFile(dir / "elsewhere/huge.mp3", std::string(1000, 'x'));
  writeFile(dir / "mp3s/a.mp3", std::string(10, 'x'));
  fs::create_directory_symlink(dir / "elsewhere", dir / "mp3s/dirlink");
  fs::create_symlink(dir / "elsewhere/huge.mp3", dir / "mp3s/filelink.mp3");
  // A cycle: a link back to the folder itself, and one to its parent.
  fs::create_directory_symlink(dir / "mp3s", dir / "mp3s/self");
  fs::create_directory_symlink(dir.path(), dir / "mp3s/up");
  EXPECT_EQ(GetFolderSize(dir / "mp3s"), 10u);
  EXPECT_EQ(platform::treeSize(dir / "mp3s").files, 1u);
  EXPECT_EQ(GetFolderSize(dir / "mp3s/dirlink"), 0u);  // a link given itself
}
#endif

TEST(CacheSizeLabel, BothLanguagesBothCases) {
  TempDir dir;
  std::string mod = dir / "cstrike";
  fs::create_directory(mod);
  EXPECT_EQ(CacheSizeLabel(mod, 1), "Current mp3 cache size: <no mp3 folder>");
  EXPECT_EQ(CacheSizeLabel(mod, 2), "Strömung mp3 Größe cache < kein Verzeichnis >");
  fs::create_directory(mod + "/mp3s");
  EXPECT_EQ(CacheSizeLabel(mod, 1), "Current mp3 cache size: 0 B");
  writeFile(mod + "/mp3s/a.mp3", std::string(1536, 'x'));
  EXPECT_EQ(CacheSizeLabel(mod, 1), "Current mp3 cache size: 1.5 KB");
  EXPECT_EQ(CacheSizeLabel(mod, 2, ','), "Strömung mp3 Größe cache: 1,5 KB");
}

TEST(CacheSizeLabel, OtherLanguagesGiveNothing) {
  TempDir dir;
  fs::create_directories(dir / "cstrike/mp3s");
  EXPECT_EQ(CacheSizeLabel(dir / "cstrike", 7), std::nullopt);
  EXPECT_EQ(CacheSizeLabel(dir / "cstrike", 0), std::nullopt);
}

TEST(RefreshCacheSize, SetsTheLabelOnlyForAKnownLanguage) {
  TempDir dir;
  fs::create_directories(dir / "cstrike/mp3s");
  writeFile(dir / "cstrike/mp3s/a.mp3", "abc");
  test::RecordingHost host;
  RefreshCacheSize(dir / "cstrike", 7, '.', host);
  EXPECT_TRUE(host.events.empty());
  RefreshCacheSize(dir / "cstrike", 1, '.', host);
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.cacheLabel, "Current mp3 cache size: 3 B");
}

}  // namespace
}  // namespace tunebelt
