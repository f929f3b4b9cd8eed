// Failure injection under the file-system layer: this test program's own
// fstatat and open stand in for the C library's, so an entry can vanish
// exactly between the listing and the look at it, and a file can refuse to
// open although it is there (as a file without read permission does for
// anyone but root). A program of its own, so no other test runs over the
// stand-ins.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/scripts/savescript.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace {

// The name whose look fails as if the entry had just been deleted.
std::string vanishing;
// The path whose open fails for want of permission.
std::string refused;

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  using Real = int (*)(const char*, int, ...);
  static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "open"));
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if (!refused.empty() && refused == path) {
    errno = EACCES;
    return -1;
  }
  return real(path, flags, mode);
}

extern "C" int fstatat(int dirfd, const char* path, struct stat* st, int flags) {
  using Real = int (*)(int, const char*, struct stat*, int);
  static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "fstatat"));
  if (!vanishing.empty() && vanishing == path) {
    errno = ENOENT;
    return -1;
  }
  return real(dirfd, path, st, flags);
}

namespace tunebelt::platform {
namespace {

TEST(ListDir, AnEntryThatVanishesIsLeftOutEvenWhenItIsTheLast) {
  test::TempDir dir;
  test::writeFile(dir / "only.mp3", "x");
  vanishing = "only.mp3";
  std::vector<DirEntry> entries;
  EXPECT_NO_THROW(entries = listDir(dir.str()));
  vanishing.clear();
  EXPECT_TRUE(entries.empty());

  test::writeFile(dir / "kept.mp3", "y");
  vanishing = "only.mp3";
  entries = listDir(dir.str());
  vanishing.clear();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "kept.mp3");
}

}  // namespace
}  // namespace tunebelt::platform

namespace tunebelt {
namespace {

// A track that is there but does not open is found before anything is
// written and left out; once its copy in mp3s is of its version, the save
// does not need to open it and it plays again.
TEST(SaveScript, ATrackThatDoesNotOpenIsLeftOutUnlessItsCopyIsCurrent) {
  test::TempDir dir;
  const std::string mod = dir / "cstrike";
  test::writeFile(mod + "/gfx/shell/kb_act.lst", "\"+jump\" \"Jump\"\r\n");
  ProgramState state;
  for (const char* name : {"a.mp3", "locked.mp3", "c.mp3"}) {
    test::writeFile(dir / (std::string("music/") + name), name);
    state.PlaylistPaths.push_back(dir / (std::string("music/") + name));
    state.PlaylistNames.push_back(name);
  }
  test::RecordingHost host;
  std::string text = mod;
  refused = state.PlaylistPaths[1];
  EXPECT_EQ(SaveScript(state, text, SaveOptions{}, host), SaveResult::Failed);
  refused.clear();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "1 track was left out:\n" + state.PlaylistPaths[1] + ": " + std::strerror(EACCES));
  EXPECT_EQ(test::readFile(mod + "/tracklist.cfg"), "echo \"1. a.mp3\"\r\necho \"2. c.mp3\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(mod + "/mp3s/locked.mp3"));

  // Saved while it opens, then again while it does not: its copy is current.
  host.messages.clear();
  EXPECT_EQ(SaveScript(state, text, SaveOptions{}, host), SaveResult::Done);
  refused = state.PlaylistPaths[1];
  EXPECT_EQ(SaveScript(state, text, SaveOptions{}, host), SaveResult::Done);
  refused.clear();
  EXPECT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_NE(test::readFile(mod + "/tracklist.cfg").find("2. locked.mp3"), std::string::npos);
}

}  // namespace
}  // namespace tunebelt
