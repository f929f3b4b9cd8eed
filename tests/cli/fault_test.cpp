// tunebelt-cli save under faults: a disk that fills up, a kill at a random
// moment, hostile playlists, settings and key-binding lists. Whatever
// happens, every file in the mod folder is either as it was or complete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "core/scripts/keybindings.h"
#include "core/scripts/tracknames.h"
#include "platform/fs.h"
#include "platform/tree.h"
#include "process_util.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::randomBytes;
using test::readFile;
using test::TempDir;
using test::writeFile;

struct Result {
  int status = -1;  // exit status, or -1 when a signal ended it
  std::string out, err;
};

// Runs the CLI to its end; `fileSizeLimit` makes every write past it fail as
// on a full disk.
Result run(const std::vector<std::string>& args, const TempDir& scratch,
           std::optional<std::uint64_t> fileSizeLimit = std::nullopt,
           const std::string& binary = TUNEBELT_CLI_BINARY) {
  const std::string out = scratch / "out.txt", err = scratch / "err.txt";
  test::Child child(binary, args, out, err, {}, fileSizeLimit);
  const int status = child.wait();
  return {status, readFile(out), readFile(err)};
}

bool isTempFile(const std::string& rel) {
  return platform::isTempFileName(fs::path(rel).filename().string());
}

// Tracks of distinct bytes: the name's number, then a pattern that differs
// from track to track.
std::vector<std::string> makeTracks(const TempDir& dir, int count, std::size_t size) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    std::string bytes = "track " + std::to_string(i) + "\n";
    bytes.reserve(size);
    for (std::size_t k = bytes.size(); k < size; ++k) {
      bytes += static_cast<char>((k * 131 + static_cast<std::size_t>(i) * 17) % 251);
    }
    char name[32];
    std::snprintf(name, sizeof name, "music/Track %03d.mp3", i + 1);
    paths.push_back(dir / name);
    writeFile(paths.back(), test::playableMp3(bytes));
  }
  return paths;
}

// A mod folder that has seen an older save: its own kb_act.lst and
// userconfig.cfg, an older mp3.cfg and playlist1.cfg.
void makeOldMod(const std::string& mod) {
  writeFile(mod + "/gfx/shell/kb_act.lst",
            "\"+attack\"            \"Fire\"\r\n\"+jump\" \"Jump\"\r\n");
  writeFile(mod + "/userconfig.cfg", "sensitivity 3\r\n");
  writeFile(mod + "/mp3.cfg", "old control script\r\n");
  writeFile(mod + "/playlist1.cfg", "old playlist\r\n");
}

std::vector<std::string> saveArgs(const std::string& mod, const std::vector<std::string>& tracks) {
  std::vector<std::string> args = {"save", "--mod",         mod, "--mp3-volume",
                                   "70",   "--game-volume", "60"};
  args.insert(args.end(), tracks.begin(), tracks.end());
  return args;
}

// copy's name in mp3s -> the source's bytes (every track a file of its own).
std::map<std::string, std::string> trackBytes(const std::vector<std::string>& tracks) {
  std::vector<CopyNameSource> files;
  for (const auto& t : tracks) {
    files.push_back({fs::path(t).filename().string(), static_cast<int>(files.size()) + 1});
  }
  const std::vector<std::string> names = CopyNames(files);
  std::map<std::string, std::string> out;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    out.emplace("mp3s/" + names[i], readFile(tracks[i]));
  }
  return out;
}

// Every file is as before, or the one a complete save writes; temporary
// files are allowed only when `tempsAllowed`.
void expectOldOrComplete(const std::map<std::string, std::string>& before,
                         const std::map<std::string, std::string>& complete,
                         const std::map<std::string, std::string>& after, bool tempsAllowed) {
  for (const auto& [rel, bytes] : after) {
    if (isTempFile(rel)) {
      EXPECT_TRUE(tempsAllowed) << "temporary file left behind: " << rel;
      continue;
    }
    auto old = before.find(rel);
    auto done = complete.find(rel);
    bool isOld = old != before.end() && old->second == bytes;
    bool isDone = done != complete.end() && done->second == bytes;
    EXPECT_TRUE(isOld || isDone) << rel << " is neither the old nor the complete file ("
                                 << bytes.size() << " bytes)";
  }
}

class Faults : public ::testing::Test {
 protected:
  // The files of a complete save of `tracks` into a mod folder like makeOldMod's.
  std::map<std::string, std::string> completeSave(const std::vector<std::string>& tracks) {
    std::string mod = work / "reference/cstrike";
    makeOldMod(mod);
    Result r = run(saveArgs(mod, tracks), scratch);
    EXPECT_EQ(r.status, 0) << r.err;
    return test::treeContents(mod);
  }

  TempDir work;
  TempDir scratch;
};

// ---- a disk that fills up ---------------------------------------------------

TEST_F(Faults, DiskFullDuringTheCopiesLeavesNoPartialTrack) {
  auto tracks = makeTracks(work, 12, 256 * 1024);
  auto complete = completeSave(tracks);
  std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  auto before = test::treeContents(mod);

  Result r = run(saveArgs(mod, tracks), scratch, 100 * 1024);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(mod + "/mp3s/Track001.mp3"), std::string::npos) << r.err;
  auto after = test::treeContents(mod);
  expectOldOrComplete(before, complete, after, false);
  EXPECT_EQ(after.count("mp3s/Track001.mp3"), 0u);
  EXPECT_EQ(after.at("mp3.cfg"), complete.at("mp3.cfg"));  // the scripts fit
}

TEST_F(Faults, DiskFullDuringAScriptKeepsTheOldScript) {
  // A playlist file is up to 8,000 bytes long, above the limit; the hook and
  // the key-binding list fit under it.
  const rlim_t limit = 4 * 1024;
  auto tracks = makeTracks(work, 300, 16);
  auto complete = completeSave(tracks);
  ASSERT_GT(complete.at("playlist1.cfg").size(), limit);
  ASSERT_LT(complete.at("gfx/shell/kb_act.lst").size(), limit);
  ASSERT_LT(complete.at("userconfig.cfg").size(), limit);
  std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  auto before = test::treeContents(mod);

  Result r = run(saveArgs(mod, tracks), scratch, limit);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(mod + "/playlist1.cfg"), std::string::npos) << r.err;
  auto after = test::treeContents(mod);
  expectOldOrComplete(before, complete, after, false);
  EXPECT_EQ(after.at("playlist1.cfg"), "old playlist\r\n");
  EXPECT_EQ(after.at("mp3.cfg"), "old control script\r\n");
  EXPECT_EQ(after.at("userconfig.cfg"), complete.at("userconfig.cfg"));
  EXPECT_FALSE(fs::exists(mod + "/mp3s"));
}

// ---- a kill at any moment ---------------------------------------------------

TEST_F(Faults, KilledAtRandomMomentsNoFileIsEverHalfWritten) {
  auto tracks = makeTracks(work, 300, 64 * 1024);
  auto complete = completeSave(tracks);
  for (const auto& [rel, bytes] : trackBytes(tracks)) ASSERT_EQ(complete.at(rel), bytes) << rel;

  // How long a whole save takes here, so the kills spread over all of it.
  std::string timed = work / "timed/cstrike";
  makeOldMod(timed);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run(saveArgs(timed, tracks), scratch).status, 0);
  auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);

  // TUNEBELT_KILL_SEED repeats a run: the seed is printed whether the test
  // passes or fails.
  const char* given = std::getenv("TUNEBELT_KILL_SEED");
  const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                         : std::random_device{}();
  std::cout << "kill moments from seed " << seed << " (TUNEBELT_KILL_SEED to repeat)\n";
  SCOPED_TRACE("seed " + std::to_string(seed) + ", a whole save takes " +
               std::to_string(whole.count()) + " us");
  std::mt19937 rng(seed);
  std::uniform_int_distribution<long> delay(0, whole.count());
  for (int round = 0; round < 20; ++round) {
    std::string mod = work / ("kill" + std::to_string(round) + "/cstrike");
    makeOldMod(mod);
    auto before = test::treeContents(mod);
    test::Child save(TUNEBELT_CLI_BINARY, saveArgs(mod, tracks), scratch / "out.txt",
                     scratch / "err.txt");
    std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
    save.kill();
    SCOPED_TRACE("round " + std::to_string(round));
    expectOldOrComplete(before, complete, test::treeContents(mod), true);
  }

  // The next save of a killed folder completes it and clears what the kill
  // left: exactly the complete save's files, no temporary file among them.
  for (int round : {0, 7, 19}) {
    std::string mod = work / ("kill" + std::to_string(round) + "/cstrike");
    ASSERT_EQ(run(saveArgs(mod, tracks), scratch).status, 0);
    EXPECT_EQ(test::treeContents(mod), complete) << "round " << round;
  }
}

TEST_F(Faults, TheNextSaveRemovesLeftoverTemporaryFilesOnly) {
  auto tracks = makeTracks(work, 2, 100);
  std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  writeFile(mod + "/.tunebelt-mp3.cfg-123.tmp", "half a script");
  writeFile(mod + "/gfx/shell/.tunebelt-kb_act.lst-9.tmp", "half a list");
  writeFile(mod + "/mp3s/.tunebelt-Track001.mp3-42.tmp", "half a track");
  writeFile(mod + "/mp3s/.tunebelt-notes.txt", "the player's own");
  writeFile(mod + "/mp3s/tunebelt-a.tmp", "the player's own");
  fs::create_directories(mod + "/mp3s/.tunebelt-folder.tmp");
  fs::create_symlink(mod + "/mp3s/tunebelt-a.tmp", mod + "/mp3s/.tunebelt-link.tmp");

  ASSERT_EQ(run(saveArgs(mod, tracks), scratch).status, 0);
  EXPECT_FALSE(fs::exists(mod + "/.tunebelt-mp3.cfg-123.tmp"));
  EXPECT_FALSE(fs::exists(mod + "/gfx/shell/.tunebelt-kb_act.lst-9.tmp"));
  EXPECT_FALSE(fs::exists(mod + "/mp3s/.tunebelt-Track001.mp3-42.tmp"));
  EXPECT_EQ(readFile(mod + "/mp3s/.tunebelt-notes.txt"), "the player's own");
  EXPECT_EQ(readFile(mod + "/mp3s/tunebelt-a.tmp"), "the player's own");
  EXPECT_TRUE(fs::is_directory(mod + "/mp3s/.tunebelt-folder.tmp"));
  EXPECT_TRUE(fs::is_symlink(mod + "/mp3s/.tunebelt-link.tmp"));
  EXPECT_EQ(readFile(mod + "/mp3s/Track001.mp3"), readFile(tracks[0]));
}

// ---- saving again ------------------------------------------------------------

// inode and modification time of a file.
std::pair<ino_t, long> identity(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return {st.st_ino, static_cast<long>(st.st_mtim.tv_sec)};
}

TEST_F(Faults, ASecondSaveReplacesOnlyTheScriptsThatChange) {
  auto tracks = makeTracks(work, 700, 16);  // more than one playlist file
  std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  ASSERT_EQ(run(saveArgs(mod, tracks), scratch).status, 0);
  const std::vector<std::string> scripts = {"mp3.cfg", "playlist1.cfg", "playlist2.cfg",
                                            "userconfig.cfg", "gfx/shell/kb_act.lst"};
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  std::map<std::string, std::pair<ino_t, long>> before;
  for (const auto& f : scripts) {
    ASSERT_EQ(::utimensat(AT_FDCWD, (mod + "/" + f).c_str(), old, 0), 0);
    before[f] = identity(mod + "/" + f);
  }
  auto bytes = test::treeContents(mod);

  ASSERT_EQ(run(saveArgs(mod, tracks), scratch).status, 0);
  for (const auto& f : scripts) EXPECT_EQ(identity(mod + "/" + f), before[f]) << f;
  EXPECT_EQ(test::treeContents(mod), bytes);

  // Another starting volume changes mp3.cfg alone.
  auto args = saveArgs(mod, tracks);
  args[4] = "25";  // --mp3-volume
  ASSERT_EQ(run(args, scratch).status, 0);
  EXPECT_NE(identity(mod + "/mp3.cfg"), before["mp3.cfg"]);
  EXPECT_NE(readFile(mod + "/mp3.cfg"), bytes["mp3.cfg"]);
  for (const auto& f : {"playlist1.cfg", "playlist2.cfg", "gfx/shell/kb_act.lst"}) {
    EXPECT_EQ(identity(mod + "/" + f), before[f]) << f;
  }
}

TEST_F(Faults, AReadOnlyFileIsRefusedEvenWhenItHoldsTheNewBytes) {
  std::string file = work / "mod/mp3.cfg";
  writeFile(file, "same\r\n");
  ::chmod(file.c_str(), 0444);
  EXPECT_THROW(platform::writeFileAtomic(file, "same\r\n"), platform::FsError);
  ::chmod((work / "mod").c_str(), 0555);
  ::chmod(file.c_str(), 0644);
  EXPECT_THROW(platform::writeFileAtomic(file, "same\r\n"), platform::FsError);
  ::chmod((work / "mod").c_str(), 0755);
}

// ---- hostile input ------------------------------------------------------------

// Runs with a time limit: a hang fails the test instead of stalling it.
Result runBounded(const std::vector<std::string>& args, const TempDir& scratch,
                  const std::string& binary = TUNEBELT_CLI_BINARY) {
  const std::string out = scratch / "out.txt", err = scratch / "err.txt";
  test::Child child(binary, args, out, err);
  if (auto status = child.waitFor(std::chrono::seconds(60))) {
    return {*status, readFile(out), readFile(err)};
  }
  child.kill();
  ADD_FAILURE() << "hung";
  return {};
}

TEST_F(Faults, ListGoesOnPastHostileLinesInPlaylists) {
  writeFile(work / "music/good one.mp3", test::playableMp3("1"));
  writeFile(work / "music/good two.mp3", test::playableMp3("2"));
  const std::string huge(1 << 20, 'x');
  const std::string nul("a\0b.mp3", 7);
  std::string m3u = "#EXTM3U\r\n#EXTINF:1," + huge + "\r\n" + huge + ".mp3\r\n" +
                    "#EXTINF:2,nul\r\n" + nul + "\r\n#EXTINF:3,bad\r\n\xff\xfe\xc3(.mp3\r\n" +
                    "#EXTINF:4,good\r\ngood one.mp3\r\n" + randomBytes(4096, 1) +
                    "\r\n#EXTINF:5,good\r\ngood two.mp3\r\n";
  writeFile(work / "music/hostile.m3u", m3u);
  std::string pls = "[playlist]\nFile1=" + huge + ".mp3\nFile2=" + nul + "\nFile3=\xc0\xaf.mp3\n" +
                    "File4=good one.mp3\n" + std::string(1 << 20, '\0') + "\nFile5=good two.mp3\n";
  writeFile(work / "music/hostile.pls", pls);

  const std::string expected = "good one.mp3\t" + (work / "music/good one.mp3") + "\n" +
                               "good two.mp3\t" + (work / "music/good two.mp3") + "\n";
  Result r = runBounded({"list", work / "music/hostile.m3u"}, scratch);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);
  r = runBounded({"list", work / "music/hostile.pls"}, scratch);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);
}

// Hostile playlists are read in time linear in their size: an entry is one
// lookup of one name, never a pattern listed against the folder (which here
// holds 1,000 tracks), and a PLS line is cut at its first "=" only. (16 MiB
// of PLS lines of 4,090 "=" each, 4 MiB of M3U entries "*.mp3" and "?0.mp3".)
TEST_F(Faults, HostilePlaylistsAreReadWithoutListingTheFolder) {
  for (int i = 0; i < 1000; ++i)
    writeFile(work / ("music/t" + std::to_string(i) + ".mp3"), test::playableMp3("t"));
  writeFile(work / "music/good.mp3", test::playableMp3("g"));
  const std::size_t size = platform::kMaxTextFileBytes - 64;
  const std::string line = "File" + std::string(4090, '=') + "*.mp3\n";
  std::string pls = "[playlist]\n";
  while (pls.size() + line.size() < size) pls += line;
  pls += "File1=good.mp3\n";
  std::string m3u = "#EXTM3U\n";
  while (m3u.size() < size / 4) m3u += "#EXTINF:1,x\n*.mp3\n#EXTINF:1,y\n?0.mp3\n";
  m3u += "#EXTINF:1,g\ngood.mp3\n";
  writeFile(work / "music/hostile.pls", pls);
  writeFile(work / "music/hostile.m3u", m3u);
  for (const char* list : {"music/hostile.pls", "music/hostile.m3u"}) {
    SCOPED_TRACE(list);
    const auto start = std::chrono::steady_clock::now();
    Result r = runBounded({"list", work / list}, scratch);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    std::cout << list << ": " << seconds.count() << " s\n";
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "good.mp3\t" + work / "music/good.mp3" + "\n");
  }
}

// ---- a tree deeper than any path ------------------------------------------

// The usual limit of open files (1,024) for the programs a test starts: a
// walk that held one folder open a level would run out of them.
class UsualOpenFilesLimit {
 public:
  UsualOpenFilesLimit() {
    ::getrlimit(RLIMIT_NOFILE, &old_);
    rlimit usual = old_;
    usual.rlim_cur = std::min<rlim_t>(1024, old_.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &usual);
  }
  ~UsualOpenFilesLimit() { ::setrlimit(RLIMIT_NOFILE, &old_); }

 private:
  rlimit old_{};
};

struct Measured {
  int status = -1;
  long peakKiB = 0;
  std::string out, err;
};

Measured runMeasured(const std::vector<std::string>& args, const TempDir& scratch) {
  test::Child child(TUNEBELT_CLI_BINARY, args, scratch / "out.txt", scratch / "err.txt");
  std::optional<int> status = child.waitFor(std::chrono::minutes(5));
  if (!status) {
    child.kill();
    ADD_FAILURE() << "hung";
  }
  return {status.value_or(-1), child.peakKiB(), readFile(scratch / "out.txt"),
          readFile(scratch / "err.txt")};
}

// 10,000 folders of 255-character names, one inside the other, with a track
// at the bottom: a path of 2.5 MB, far beyond what any system call takes.
// Measuring, cleaning and removing it each stays under 100 MiB.
TEST_F(Faults, ATreeTenThousandFoldersDeepIsCountedCleanedAndRemovedInLittleMemory) {
  constexpr long kMostKiB = 100 * 1024;
  auto tracks = makeTracks(work, 1, 100);
  const std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  const std::string mp3s = mod + "/mp3s";
  const std::string name(255, 'd');
  fs::create_directories(mp3s);
  UsualOpenFilesLimit usual;

  ASSERT_TRUE(test::makeFolderChain(mp3s, 10000, name));
  const Measured size = runMeasured({"cache-size", "--mod", mod}, scratch);
  EXPECT_EQ(size.status, 0) << size.err;
  EXPECT_EQ(size.out, "Current mp3 cache size: 1 B\n");
  EXPECT_LT(size.peakKiB, kMostKiB);

  auto args = saveArgs(mod, tracks);
  args.insert(args.begin() + 1, "--delete-unused");
  const Measured save = runMeasured(args, scratch);
  EXPECT_EQ(save.status, 0) << save.err;
  EXPECT_LT(save.peakKiB, kMostKiB);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(mp3s)) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"Track001.mp3"});

  ASSERT_TRUE(test::makeFolderChain(mp3s, 10000, name));
  const Measured removed = runMeasured({"remove", "--tracks", "--mod", mod}, scratch);
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_LT(removed.peakKiB, kMostKiB);
  EXPECT_FALSE(fs::exists(mp3s));
  std::cout << "peak memory: cache-size " << size.peakKiB << " KiB, save --delete-unused "
            << save.peakKiB << " KiB, remove --tracks " << removed.peakKiB << " KiB\n";
  // Whatever is left (the test failed), std::filesystem cannot remove it.
  if (fs::exists(mp3s)) platform::removeTree(mp3s, true, {});
}

// ---- what the clean-up may touch -----------------------------------------------

// A read-only mp3s is refused by the clean-up as by the copies, whoever runs
// the save (root too): nothing in it goes, its mode stays, and the save ends
// as failed, without "Complete". A writable mp3s is emptied and stays the
// folder it was, with its own mode, not made again with the default one.
TEST_F(Faults, TheCleanUpKeepsMp3sAsItIsAndRefusesAReadOnlyOne) {
  auto tracks = makeTracks(work, 2, 100);
  const std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  const std::string mp3s = mod + "/mp3s";
  writeFile(mp3s + "/old.mp3", "old");
  auto args = saveArgs(mod, tracks);
  args.insert(args.begin() + 1, "--delete-unused");
  struct stat st {};

  ASSERT_EQ(::chmod(mp3s.c_str(), 0555), 0);
  Result r = run(args, scratch);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Tunebelt - Error: 1 item could not be deleted:\n" + mp3s +
                       "/old.mp3: Permission denied\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("Complete"), std::string::npos) << r.err;
  ASSERT_EQ(::stat(mp3s.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0555u);
  EXPECT_EQ(readFile(mp3s + "/old.mp3"), "old");

  ASSERT_EQ(::chmod(mp3s.c_str(), 0700), 0);
  const ino_t inode = st.st_ino;
  r = run(args, scratch);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(::stat(mp3s.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(st.st_ino, inode);
  EXPECT_FALSE(fs::exists(mp3s + "/old.mp3"));
  EXPECT_EQ(readFile(mp3s + "/Track002.mp3"), readFile(tracks[1]));
}

// A folder of the player's mounted inside mp3s stays, and a save whose
// clean-up had to leave it says so: status 1, never "Complete".
TEST_F(Faults, ASaveWhoseCleanUpLeftAMountInsideMp3sFails) {
  auto tracks = makeTracks(work, 2, 100);
  const std::string mod = work / "hl/cstrike";
  makeOldMod(mod);
  writeFile(work / "player/song.mp3", test::playableMp3("keep"));
  fs::create_directories(mod + "/mp3s/library");
  if (::mount((work / "player").c_str(), (mod + "/mp3s/library").c_str(), nullptr, MS_BIND,
              nullptr) != 0) {
    GTEST_SKIP() << "mount --bind is not permitted here (needs root)";
  }
  auto args = saveArgs(mod, tracks);
  args.insert(args.begin() + 1, "--delete-unused");
  Result r = run(args, scratch);
  ::umount2((mod + "/mp3s/library").c_str(), MNT_DETACH);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("1 item could not be deleted:\n" + mod +
                       "/mp3s/library: is a mount point of another file system; left alone\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("Complete"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(work / "player/song.mp3"), test::playableMp3("keep"));
  EXPECT_EQ(readFile(mod + "/mp3s/Track001.mp3"), readFile(tracks[0]));
}

// remove --tracks prints a line for what it did: when mp3s cannot go (a
// read-only folder, a read-only mount), no line says it went.
TEST_F(Faults, ARemovalThatCannotDeleteMp3sDoesNotSayItDid) {
  auto tracks = makeTracks(work, 2, 100);
  const std::string mod = work / "hl/cstrike";
  const std::string mp3s = mod + "/mp3s";
  for (bool mount : {false, true}) {
    SCOPED_TRACE(mount ? "read-only mount" : "read-only folder");
    makeOldMod(mod);
    ASSERT_EQ(run(saveArgs(mod, tracks), scratch).status, 0);
    bool mounted = false;
    if (mount) {
      mounted =
          ::mount(mp3s.c_str(), mp3s.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
          ::mount(nullptr, mp3s.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
      if (!mounted) {
        ::umount2(mp3s.c_str(), MNT_DETACH);
        std::cout << "a read-only bind mount is not permitted here (needs root): skipped\n";
        continue;
      }
    } else {
      ASSERT_EQ(::chmod(mp3s.c_str(), 0555), 0);
    }
    Result r = run({"remove", "--tracks", "--mod", mod}, scratch);
    if (mounted) ::umount2(mp3s.c_str(), MNT_DETACH);
    ::chmod(mp3s.c_str(), 0755);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("delete\t" + mod + "/mp3.cfg\t"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("delete-folder"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("could not be deleted"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(mp3s + "/Track001.mp3"), readFile(tracks[0]));
  }
}

// A copy of the program in its own folder, so a settings file can sit beside it.
std::string programCopy(const TempDir& dir) {
  std::string app = dir / "app";
  fs::create_directories(app);
  fs::copy_file(TUNEBELT_CLI_BINARY, app + "/tunebelt-cli");
  fs::permissions(app + "/tunebelt-cli", fs::perms::owner_all);
  return app;
}

TEST_F(Faults, SaveGoesOnPastHostileSettingsAndKeyBindingList) {
  auto tracks = makeTracks(work, 3, 100);
  std::string app = programCopy(work);
  struct Case {
    std::string name, settings;
  };
  std::string cut = randomBytes(12004 * 128 + 70, 2);  // ends inside the volume records
  std::vector<Case> cases = {{"random", randomBytes(12010 * 128, 3)},
                             {"short random", randomBytes(5000, 4)},
                             {"cut short", cut}};
  const std::string oldList = randomBytes(64 * 1024, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(app + "/settings.jst", c.settings);
    std::string mod = work / ("hl-" + std::to_string(c.settings.size()) + "/cstrike");
    writeFile(mod + "/gfx/shell/kb_act.lst", oldList);
    std::vector<std::string> args = {"save", "--mod", mod};
    args.insert(args.end(), tracks.begin(), tracks.end());
    Result r = runBounded(args, scratch, app + "/tunebelt-cli");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readFile(mod + "/mp3.cfg").find("mp3volume"), std::string::npos);
    EXPECT_EQ(readFile(mod + "/mp3s/Track002.mp3"), readFile(tracks[1]));

    // The list keeps its bytes and ends with the controls.
    const std::string list = readFile(mod + "/gfx/shell/kb_act.lst");
    EXPECT_EQ(list, KeyBindingsText(oldList));
    ASSERT_EQ(runBounded(args, scratch, app + "/tunebelt-cli").status, 0);
    EXPECT_EQ(readFile(mod + "/gfx/shell/kb_act.lst"), list) << "a second save changed it";
  }
}

}  // namespace
}  // namespace tunebelt
