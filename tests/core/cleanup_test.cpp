#include "modfolder/cleanup.h"

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

// Removes everything below an open folder with calls relative to it, so paths
// longer than the system allows go too.
void removeBelow(int dirfd) {
  DIR* d = ::fdopendir(::dup(dirfd));
  ASSERT_NE(d, nullptr);
  while (dirent* de = ::readdir(d)) {
    std::string name = de->d_name;
    if (name == "." || name == "..") continue;
    int sub = ::openat(dirfd, de->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (sub >= 0) {
      removeBelow(sub);
      ::close(sub);
      ::unlinkat(dirfd, de->d_name, AT_REMOVEDIR);
    } else {
      ::unlinkat(dirfd, de->d_name, 0);
    }
  }
  ::closedir(d);
}

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
  EXPECT_TRUE(DeleteFolderTree(dir.str() + "/empty\\", host));
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
  EXPECT_FALSE(RemovesFolderItself("C:\\"));
  EXPECT_FALSE(RemovesFolderItself("ab/"));
  EXPECT_TRUE(RemovesFolderItself("abc"));
  EXPECT_TRUE(RemovesFolderItself("/ab"));
  EXPECT_TRUE(RemovesFolderItself("D:\\Games\\cstrike\\mp3s"));

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

TEST(DeleteFolderTree, FailuresAreReportedOnceAndTheRestIsDeleted) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/sub/b.mp3", "b");
  for (int i = 0; i < 7; ++i) {
    std::string stuck = mp3s + "/stuck" + std::to_string(i);
    fs::create_directory(stuck);
    makeTooDeepChain(stuck);
  }
  writeFile(mp3s + "/z.mp3", "z");
  RecordingHost host;
  EXPECT_FALSE(DeleteFolderTree(mp3s, host));

  ASSERT_EQ(host.messages.size(), 1u);
  const test::Message& m = host.messages[0];
  EXPECT_EQ(m.caption, "Tunebelt - Error");
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  EXPECT_NE(m.text.find("7 items could not be deleted"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find(mp3s + "/stuck"), std::string::npos);
  EXPECT_NE(m.text.find("File name too long"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("... and 2 more"), std::string::npos);

  EXPECT_FALSE(fs::exists(mp3s + "/a.mp3"));
  EXPECT_FALSE(fs::exists(mp3s + "/sub"));
  EXPECT_FALSE(fs::exists(mp3s + "/z.mp3"));
  EXPECT_TRUE(fs::is_directory(mp3s));  // still holds what could not go

  int fd = ::open(mp3s.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  removeBelow(fd);
  ::close(fd);
}

TEST(DeleteFolderTree, AMissingFolderIsNoFailure) {
  TempDir dir;
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s", host));
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tunebelt
