// The walks over a player's mp3s folder against hostile trees: names that
// would climb out if read the Windows way, links swapped in during the walk,
// mount points, a linked mp3s. Each test builds a small game folder and
// checks that nothing outside mp3s changed.
#include "platform/tree.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <map>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/cleanup.h"
#include "core/state/state.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

// Skips the test when this system cannot make a link to a folder.
#define REQUIRE_FOLDER_LINKS(dir)                                          \
  do {                                                                     \
    std::string why = test::linkFolder((dir).str(), (dir) / "link-probe"); \
    if (!why.empty()) GTEST_SKIP() << "no links to folders here: " << why; \
    fs::remove(test::fsPath((dir) / "link-probe"));                        \
  } while (0)

#ifndef _WIN32
// Whether a path relative to the game folder is mp3s or inside it.
bool inMp3s(const std::string& rel) {
  return rel == "cstrike/mp3s" || rel.starts_with("cstrike/mp3s/");
}

// A game folder: the engine, two mods, the mod's own maps and config, and an
// mp3s folder that a Windows archive filled with names holding "\".
struct HostileGame {
  TempDir dir;
  std::string game = dir / "Half-Life";
  std::string mod = game + "/cstrike";
  std::string mp3s = mod + "/mp3s";
  std::map<std::string, std::string> outside;
  std::uint64_t mp3sBytes = 0;

  HostileGame() {
    writeFile(game + "/hl.exe", "engine");
    writeFile(game + "/valve/config.cfg", "bind w +forward");
    writeFile(mod + "/maps/de_dust2.bsp", std::string(3000, 'm'));
    writeFile(mod + "/autoexec.cfg", "exec userconfig.cfg");
    writeFile(mod + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
    put("..\\maps/a.mp3", 1000);
    put("..\\../b.mp3", 1500);
    put("\\/c.mp3", 700);
    put("..\\autoexec.cfg", 800);
    put("..\\..\\valve/..\\config.cfg", 500);
    put("ok.mp3", 500);
    outside = test::treeContents(game);
    for (auto it = outside.begin(); it != outside.end();) {
      it = inMp3s(it->first) ? outside.erase(it) : std::next(it);
    }
  }
  void put(const std::string& rel, std::size_t bytes) {
    writeFile(mp3s + "/" + rel, std::string(bytes, 'x'));
    mp3sBytes += bytes;
  }
  // Everything outside mp3s, as it was.
  std::map<std::string, std::string> outsideNow() const {
    auto now = test::treeContents(game);
    for (auto it = now.begin(); it != now.end();) {
      it = inMp3s(it->first) ? now.erase(it) : std::next(it);
    }
    return now;
  }
};

TEST(HostileNames, SizeCountsExactlyWhatIsInsideMp3s) {
  HostileGame g;
  EXPECT_EQ(GetFolderSize(g.mp3s), g.mp3sBytes);  // 5,000 bytes, not the game
  EXPECT_EQ(*CacheSizeLabel(g.mod, kEnglish), "Current mp3 cache size: 4.8828 KB");
}

TEST(HostileNames, CleanUpRemovesMp3sAndNothingElse) {
  HostileGame g;
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(g.mp3s, host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(fs::exists(fs::symlink_status(g.mp3s)));
  EXPECT_EQ(g.outsideNow(), g.outside);
}
#endif  // names holding "\" exist only on POSIX

// Between the clean-up's entries a test changes the tree, as another program
// could at any moment.
struct SwappingHost : RecordingHost {
  std::function<void()> onEvents;
  std::function<void()> between() {
    return [this] {
      if (onEvents) onEvents();
    };
  }
};

TEST(SwappedLinks, AFolderReplacedByALinkDuringTheCleanUpLeadsNowhere) {
  // The swap comes before the first entry, within the first folder being
  // emptied, and later: at every moment the walk meets a link, never the
  // player's music behind it.
  for (int swapAt : {1, 3, 8, 14}) {
    SCOPED_TRACE("swapped at event " + std::to_string(swapAt));
    TempDir dir;
    REQUIRE_FOLDER_LINKS(dir);
    std::string mp3s = dir / "cstrike/mp3s";
    std::string music = dir / "player/music";
    for (int i = 0; i < 30; ++i) writeFile(music + "/song" + std::to_string(i) + ".mp3", "keep");
    for (const char* sub : {"a", "b", "c"}) {
      for (int i = 0; i < 5; ++i) {
        writeFile(mp3s + "/" + sub + "/t" + std::to_string(i) + ".mp3", "t");
      }
    }
    auto before = test::treeContents(dir / "player");
    SwappingHost host;
    int calls = 0;
    host.onEvents = [&] {
      if (++calls != swapAt) return;
      for (const char* sub : {"a", "b", "c"}) {
        std::string p = mp3s + "/" + sub;
        if (fs::is_directory(fs::symlink_status(test::fsPath(p)))) {
          // On Windows the walk holds the folders it is in: that rename is
          // refused, and the swap comes to the folders it has not reached.
          std::error_code ec;
          fs::rename(test::fsPath(p), test::fsPath(dir / (std::string("moved-") + sub)), ec);
          if (!ec) test::linkFolder(music, p);
        }
      }
    };
    DeleteFolderTree(mp3s, host, host.between());
    EXPECT_GE(calls, swapAt);
    EXPECT_EQ(test::treeContents(dir / "player"), before);
  }
}

TEST(SwappedLinks, ALinkedMp3sIsNeverWalkedOrSwept) {
  TempDir dir;
  REQUIRE_FOLDER_LINKS(dir);
  std::string music = dir / "player/music";
  writeFile(music + "/song.mp3", "keep");
  writeFile(music + "/.tunebelt-song.mp3-123.tmp", "the player's own file");
  std::string mp3s = dir / "cstrike/mp3s";
  fs::create_directories(dir / "cstrike");
  ASSERT_EQ(test::linkFolder(music, mp3s), "");
  auto before = test::treeContents(dir / "player");

  EXPECT_EQ(GetFolderSize(mp3s), 0u);
  platform::removeLeftoverTempFiles(mp3s);
  EXPECT_EQ(test::treeContents(dir / "player"), before);
  RecordingHost host;
  EXPECT_TRUE(DeleteFolderTree(mp3s, host));
  EXPECT_FALSE(fs::exists(fs::symlink_status(mp3s)));  // the link itself goes
  EXPECT_EQ(test::treeContents(dir / "player"), before);
}

TEST(SwappedLinks, TheSweepTakesOnlyRegularTemporaryFiles) {
  TempDir dir;
  REQUIRE_FOLDER_LINKS(dir);
  writeFile(dir / "keep/x.mp3", "keep");
  writeFile(dir / "mp3s/.tunebelt-a.mp3-1.tmp", "left by a killed save");
  writeFile(dir / "mp3s/a.mp3", "a");
  fs::create_directory(dir / "mp3s/.tunebelt-dir-2.tmp");
  ASSERT_EQ(test::linkFolder(dir / "keep", dir / "mp3s/.tunebelt-link-3.tmp"), "");
  platform::removeLeftoverTempFiles(dir / "mp3s");
  EXPECT_FALSE(fs::exists(dir / "mp3s/.tunebelt-a.mp3-1.tmp"));
  EXPECT_TRUE(fs::exists(dir / "mp3s/a.mp3"));
  EXPECT_TRUE(fs::is_directory(dir / "mp3s/.tunebelt-dir-2.tmp"));
  EXPECT_TRUE(fs::is_symlink(dir / "mp3s/.tunebelt-link-3.tmp") ||
              fs::is_other(fs::symlink_status(dir / "mp3s/.tunebelt-link-3.tmp")));
  EXPECT_EQ(test::readFile(dir / "keep/x.mp3"), "keep");
}

#ifndef _WIN32
// A bind mount of the player's music inside mp3s: a different mount, though
// the same file system. Needs the right to mount (root); skipped otherwise.
class BindMount {
 public:
  BindMount(const std::string& from, const std::string& onto) : onto_(onto) {
    mounted_ = ::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
  }
  ~BindMount() {
    if (mounted_) ::umount2(onto_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string onto_;
  bool mounted_ = false;
};

TEST(MountPoints, AreNeitherCountedNorEmptied) {
  TempDir dir;
  std::string music = dir / "player/music";
  writeFile(music + "/song.mp3", std::string(4000, 's'));
  std::string mp3s = dir / "cstrike/mp3s";
  writeFile(mp3s + "/own.mp3", std::string(100, 'o'));
  fs::create_directories(mp3s + "/library");
  BindMount bind(music, mp3s + "/library");
  if (!bind.mounted()) GTEST_SKIP() << "mount --bind is not permitted here (needs root)";
  auto before = test::treeContents(dir / "player");

  platform::TreeSize walked;
  EXPECT_EQ(GetFolderSize(mp3s, &walked), 100u);
  EXPECT_EQ(walked.skippedMounts, std::vector<std::string>{mp3s + "/library"});
  EXPECT_TRUE(walked.unread.empty());

  RecordingHost host;
  EXPECT_FALSE(DeleteFolderTree(mp3s, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(mp3s + "/library: is a mount point"), std::string::npos)
      << host.messages[0].text;
  EXPECT_FALSE(fs::exists(mp3s + "/own.mp3"));
  EXPECT_EQ(test::treeContents(dir / "player"), before);
}

TEST(MountPoints, AnMp3sThatIsItselfAMountIsLeftAlone) {
  TempDir dir;
  std::string music = dir / "player/music";
  writeFile(music + "/song.mp3", "keep");
  std::string mp3s = dir / "cstrike/mp3s";
  fs::create_directories(mp3s);
  BindMount bind(music, mp3s);
  if (!bind.mounted()) GTEST_SKIP() << "mount --bind is not permitted here (needs root)";
  RecordingHost host;
  EXPECT_FALSE(DeleteFolderTree(mp3s, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(test::readFile(music + "/song.mp3"), "keep");
}

// Folders without any write bit keep what is in them, whoever runs the
// clean-up (root included: the mode bits decide, not access(2)).
TEST(CleanUpFailures, AreReportedOnceAndTheRestIsDeleted) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/sub/b.mp3", "b");
  for (int i = 0; i < 7; ++i) {
    const std::string stuck = mp3s + "/stuck" + std::to_string(i) + "/1/2/3";
    writeFile(stuck + "/x.mp3", "x");
    ASSERT_EQ(::chmod(stuck.c_str(), 0555), 0);
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
  EXPECT_NE(m.text.find("/1/2/3/x.mp3: Permission denied"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("... and 2 more"), std::string::npos);

  EXPECT_FALSE(fs::exists(mp3s + "/a.mp3"));
  EXPECT_FALSE(fs::exists(mp3s + "/sub"));
  EXPECT_FALSE(fs::exists(mp3s + "/z.mp3"));
  for (int i = 0; i < 7; ++i) {
    const std::string stuck = mp3s + "/stuck" + std::to_string(i) + "/1/2/3";
    EXPECT_EQ(test::readFile(stuck + "/x.mp3"), "x");
    EXPECT_EQ(fs::status(stuck).permissions(), fs::perms(0555));
  }
}

// A tree far deeper than the open files allowed is measured and removed all
// the same: the walk holds a few folders open, not one a level.
TEST(DeepTrees, AreMeasuredAndRemovedWithAFewOpenFiles) {
  TempDir dir;
  const std::string mp3s = dir / "mp3s";
  fs::create_directories(mp3s);
  ASSERT_TRUE(test::makeFolderChain(mp3s, 300, "d", true));
  platform::TreeSize size;
  {
    test::FewOpenFiles few(4);
    size = platform::treeSize(mp3s);
  }
  EXPECT_EQ(size.files, 301u);
  EXPECT_EQ(size.bytes, 301u);
  EXPECT_TRUE(size.unread.empty())
      << size.unread.first.at(0).path << ": " << size.unread.first.at(0).reason;
  RecordingHost host;
  bool removed = false;
  {
    test::FewOpenFiles few(4);
    removed = DeleteFolderTree(mp3s, host);
  }
  EXPECT_TRUE(removed);
  EXPECT_TRUE(host.messages.empty()) << host.messages.at(0).text;
  EXPECT_FALSE(fs::exists(mp3s));
}

// With no descriptor to spare, what could not be opened is named, never
// counted as nothing or passed over.
TEST(DeepTrees, AWalkOutOfOpenFilesSaysWhatItLeftOut) {
  TempDir dir;
  const std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "aa");
  writeFile(mp3s + "/sub/b.mp3", "b");
  platform::TreeSize size;
  {
    test::FewOpenFiles few(1);
    size = platform::treeSize(mp3s);
  }
  EXPECT_EQ(size.bytes, 2u);
  ASSERT_EQ(size.unread.count, 1u);
  EXPECT_EQ(size.unread.first.at(0).path, mp3s + "/sub");
  EXPECT_EQ(size.unread.first.at(0).reason, "Too many open files");
}

// A folder the walk has closed to spare descriptors is opened again from its
// child; when the tree was moved meanwhile that is another folder, and the
// walk stops there instead of going on in a place it never meant to.
TEST(DeepTrees, AFolderMovedAwayDuringTheWalkStopsIt) {
  TempDir dir;
  const std::string mp3s = dir / "mp3s";
  fs::create_directories(mp3s);
  ASSERT_TRUE(test::makeFolderChain(mp3s, 100, "d"));
  writeFile(dir / "keep/x.mp3", "keep");
  std::string level30 = mp3s;
  for (int i = 0; i < 30; ++i) level30 += "/d";
  SwappingHost host;
  int calls = 0;
  host.onEvents = [&] {
    // At the 60th entry the walk is 59 folders deep; folder 30 moves out.
    if (++calls == 60) fs::rename(level30, dir / "keep/moved");
  };
  bool removed = true;
  {
    test::FewOpenFiles few(8);
    removed = DeleteFolderTree(mp3s, host, host.between());
  }
  EXPECT_FALSE(removed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(level30.substr(0, level30.size() - 2) +
                                       ": was moved while it was walked"),
            std::string::npos)
      << host.messages[0].text;
  EXPECT_EQ(test::readFile(dir / "keep/x.mp3"), "keep");
  EXPECT_TRUE(fs::is_directory(dir / "keep/moved"));
}

#else
TEST(CleanUpFailures, AFileInUseIsReportedAndTheRestIsDeleted) {
  TempDir dir;
  std::string mp3s = dir / "mp3s";
  writeFile(mp3s + "/a.mp3", "a");
  writeFile(mp3s + "/busy/playing.mp3", "p");
  writeFile(mp3s + "/z.mp3", "z");
  // Another program plays the track and shares no deletion.
  HANDLE busy = ::CreateFileW(test::fsPath(mp3s + "/busy/playing.mp3").wstring().c_str(),
                              GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE);
  RecordingHost host;
  bool result = DeleteFolderTree(mp3s, host);
  ::CloseHandle(busy);
  EXPECT_FALSE(result);
  ASSERT_EQ(host.messages.size(), 1u);
  const test::Message& m = host.messages[0];
  EXPECT_EQ(m.caption, "Tunebelt - Error");
  EXPECT_NE(m.text.find("1 item could not be deleted"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("playing.mp3: The file is in use by another program"), std::string::npos)
      << m.text;
  EXPECT_FALSE(fs::exists(test::fsPath(mp3s + "/a.mp3")));
  EXPECT_FALSE(fs::exists(test::fsPath(mp3s + "/z.mp3")));
  EXPECT_TRUE(fs::exists(test::fsPath(mp3s + "/busy/playing.mp3")));
}
#endif

}  // namespace
}  // namespace tunebelt
