#include "core/modfolder/cleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

// A chain of folders below `base` whose full path is longer than PATH_MAX,
// with a file at the bottom: nothing addresses it by path, not even root.
void makeTooDeepChain(const std::string& base) {
  const std::string name(250, 'd');
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < 18; ++i) {
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
    int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(sub, 0);
    fd = sub;
  }
  int file = ::openat(fd, "a.mp3", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ::close(file);
  ::close(fd);
}

TEST(DeleteFolderTree, RemovesFilesOfAnyKindSubfoldersAndTheFolder) {
  TempDir dir;
  std::string mp3s = dir / "cstrike/mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/readonly.mp3", "r");
  ::chmod((mp3s + "/readonly.mp3").c_str(), 0444);
  writeFile(mp3s + "/.hidden.mp3", "h");
  writeFile(mp3s + "/old/deeper/b.mp3", "b");
  writeFile(mp3s + "/old/.c.mp3", "c");
  fs::create_directory(mp3s + "/empty");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(mp3s, host));
  EXPECT_FALSE(fs::exists(fs::symlink_status(mp3s)));
  EXPECT_TRUE(fs::is_directory(dir / "cstrike"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_GT(host.processEventsCalls, 0);
}

TEST(DeleteFolderTree, OneTrailingSeparatorIsIgnored) {
  TempDir dir;
  writeFile(dir / "mp3s/a.mp3", "a");
  fs::create_directory(dir / "empty");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s/", host));
  EXPECT_TRUE(DeleteFolderTree(dir.str() + "/empty/", host));
  EXPECT_FALSE(fs::exists(dir / "mp3s"));
  EXPECT_FALSE(fs::exists(dir / "empty"));
  EXPECT_TRUE(host.messages.empty());
}

TEST(DeleteFolderTree, LinksAreRemovedButNeverFollowed) {
  TempDir dir;
  std::string keep = dir / "player/music";
  writeFile(keep + "/precious.mp3", "p");
  writeFile(keep + "/sub/other.mp3", "o");
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  fs::create_directory_symlink(keep, mp3s + "/folderlink");
  fs::create_symlink(keep + "/precious.mp3", mp3s + "/filelink.mp3");
  fs::create_symlink(dir / "nowhere", mp3s + "/dangling.mp3");
  fs::create_directory_symlink(mp3s, mp3s + "/cycle");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(mp3s, host));
  EXPECT_FALSE(fs::exists(fs::symlink_status(mp3s)));
  EXPECT_EQ(test::readFile(keep + "/precious.mp3"), "p");
  EXPECT_EQ(test::readFile(keep + "/sub/other.mp3"), "o");
  EXPECT_TRUE(host.messages.empty());
}

TEST(DeleteFolderTree, AFolderThatIsALinkGoesAsTheLink) {
  TempDir dir;
  writeFile(dir / "player/precious.mp3", "p");
  fs::create_directory_symlink(dir / "player", dir / "mp3s");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s", host));
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s", host));  // gone now: nothing to report
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "mp3s")));
  EXPECT_EQ(test::readFile(dir / "player/precious.mp3"), "p");
  EXPECT_TRUE(host.messages.empty());
}

TEST(DeleteFolderTree, ShortTextsAndRootsKeepTheFolderItself) {
  EXPECT_FALSE(RemovesFolderItself("/"));
  EXPECT_FALSE(RemovesFolderItself("//"));
  EXPECT_FALSE(RemovesFolderItself(""));
  EXPECT_FALSE(RemovesFolderItself("C:"));
  EXPECT_FALSE(RemovesFolderItself("ab/"));
  EXPECT_TRUE(RemovesFolderItself("abc"));
  EXPECT_TRUE(RemovesFolderItself("/ab"));
  EXPECT_TRUE(RemovesFolderItself("/games/cstrike/mp3s"));

  // A two-character relative path: emptied, kept.
  TempDir dir;
  writeFile(dir / "ab/x.mp3", "x");
  writeFile(dir / "ab/sub/y.mp3", "y");
  auto cwd = fs::current_path();
  fs::current_path(dir.path());
  RecordingHost host;
  bool result = DeleteFolderTree("ab", host);
  fs::current_path(cwd);
  EXPECT_TRUE(result);
  EXPECT_TRUE(fs::is_directory(dir / "ab"));
  EXPECT_TRUE(fs::is_empty(dir / "ab"));
}

TEST(DeleteFolderTree, RemovesATreeDeeperThanAnyPath) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  fs::create_directory(mp3s + "/deep");
  makeTooDeepChain(mp3s + "/deep");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(mp3s, host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(fs::exists(mp3s));
}

TEST(DeleteFolderTree, AMissingFolderIsNoFailure) {
  TempDir dir;
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s", host));
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tunebelt
