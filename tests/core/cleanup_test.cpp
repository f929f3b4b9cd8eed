#include "core/modfolder/cleanup.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

#ifndef _WIN32
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
#else
// A chain of folders below `base` whose full path is far longer than the
// classic 260 characters, with a file at the bottom. (Wine keeps within the
// Unix limit of 4,096 bytes.)
void makeTooDeepChain(const std::string& base) {
  std::wstring path = L"\\\\?\\" + fs::absolute(test::fsPath(base)).make_preferred().wstring();
  for (int i = 0; i < 12; ++i) {
    path += L"\\" + std::wstring(250, L'd');
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
  }
  HANDLE f =
      ::CreateFileW((path + L"\\a.mp3").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  ::CloseHandle(f);
}
#endif

TEST(DeleteFolderTree, RemovesFilesOfAnyKindSubfoldersAndTheFolder) {
  TempDir dir;
  std::string mp3s = dir / "cstrike/mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/readonly.mp3", "r");
  ASSERT_TRUE(test::setReadOnly(mp3s + "/readonly.mp3", true));
  writeFile(mp3s + "/.hidden.mp3", "h");
#ifdef _WIN32
  writeFile(mp3s + "/attributes.mp3", "a");
  ASSERT_TRUE(test::setAttributes(mp3s + "/attributes.mp3", FILE_ATTRIBUTE_READONLY |
                                                                FILE_ATTRIBUTE_HIDDEN |
                                                                FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(test::setAttributes(mp3s + "/.hidden.mp3", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(test::setAttributes(mp3s, FILE_ATTRIBUTE_READONLY));
#endif
  writeFile(mp3s + "/old/deeper/b.mp3", "b");
  writeFile(mp3s + "/old/.c.mp3", "c");
  fs::create_directory(mp3s + "/empty");
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(mp3s, host));
  EXPECT_FALSE(fs::exists(fs::symlink_status(mp3s)));
  EXPECT_TRUE(fs::is_directory(dir / "cstrike"));
  EXPECT_TRUE(host.messages.empty());
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

#ifndef _WIN32
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

#endif  // file links need a privilege on Windows

TEST(DeleteFolderTree, AFolderThatIsALinkGoesAsTheLink) {
  TempDir dir;
  writeFile(dir / "player/precious.mp3", "p");
  std::string why = test::linkFolder(dir / "player", dir / "mp3s");
  if (!why.empty()) GTEST_SKIP() << "no links to folders here: " << why;
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

// The save's clean-up: mp3s is emptied and stays the folder it was, with its
// permissions, rather than being made again with the default ones.
TEST(EmptyFolderTree, KeepsTheFolderItself) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/old/b.mp3", "b");
#ifndef _WIN32
  ASSERT_EQ(::chmod(mp3s.c_str(), 0750), 0);
#endif
  const std::uint64_t identity = test::fileIdentity(mp3s);
  RecordingHost host;
  EXPECT_TRUE(EmptyFolderTree(mp3s + "/", host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(fs::is_empty(test::fsPath(mp3s)));
  EXPECT_EQ(test::fileIdentity(mp3s), identity);
#ifndef _WIN32
  EXPECT_EQ(fs::status(mp3s).permissions(), fs::perms(0750));
#endif
}

#ifndef _WIN32
// A folder without write bits is the player's "leave this alone", and root
// is told no like anyone: nothing in it goes, its mode stays.
TEST(EmptyFolderTree, AReadOnlyFolderIsRefusedForEverybody) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/sub/b.mp3", "b");
  ASSERT_EQ(::chmod(mp3s.c_str(), 0555), 0);
  RecordingHost host;
  EXPECT_FALSE(EmptyFolderTree(mp3s, host));
  EXPECT_FALSE(DeleteFolderTree(mp3s, host));
  ASSERT_EQ(host.messages.size(), 2u);
  const std::string& text = host.messages[0].text;
  EXPECT_EQ(text.rfind("2 items could not be deleted:\n", 0), 0u) << text;
  EXPECT_NE(text.find("\n" + mp3s + "/a.mp3: Permission denied"), std::string::npos) << text;
  EXPECT_NE(text.find("\n" + mp3s + "/sub: Permission denied"), std::string::npos) << text;
  EXPECT_EQ(fs::status(mp3s).permissions(), fs::perms(0555));
  EXPECT_EQ(test::readFile(mp3s + "/a.mp3"), "a");
  // What is below in a writable folder goes, as it would for anyone.
  EXPECT_FALSE(fs::exists(mp3s + "/sub/b.mp3"));
  EXPECT_TRUE(fs::is_directory(mp3s + "/sub"));
}
#endif

TEST(DeleteFolderTree, AMissingFolderIsNoFailure) {
  TempDir dir;
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(dir / "mp3s", host));
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tunebelt
