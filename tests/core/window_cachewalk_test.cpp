#include "core/window/cachewalk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/state/state.h"
#include "test_util.h"
#include "window_queue.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WindowQueue;
using test::writeFile;

struct Walked {
  WindowQueue window;
  std::vector<std::string> shown;
  std::thread::id shownOn;
  CacheSizeWalker walker{[this](std::function<void()> call) { window.post(std::move(call)); },
                         [this](const std::string& label) {
                           shown.push_back(label);
                           shownOn = std::this_thread::get_id();
                         }};
};

TEST(CacheSizeWalker, ShowsTheLabelOnTheWindowsThreadWhenTheWalkEnds) {
  TempDir mod;
  writeFile(mod / "mp3s/a/b.mp3", std::string(1536, 'x'));
  Walked w;
  w.walker.request(mod.str(), kEnglish, ',');
  EXPECT_TRUE(w.shown.empty());  // the request returned before the walk
  ASSERT_TRUE(w.window.runUntil([&] { return !w.shown.empty(); }));
  EXPECT_EQ(w.shown, std::vector<std::string>{"Current mp3 cache size: 1,5 KB"});
  EXPECT_EQ(w.shownOn, std::this_thread::get_id());
}

// Keystrokes ask faster than walks end: whatever the order in which the
// walks finish, the label ends at the newest text's, and no older label
// follows it.
TEST(CacheSizeWalker, TheNewestRequestWins) {
  TempDir dir;
  for (int f = 0; f < 2000; ++f) writeFile(dir / ("big/mp3s/" + std::to_string(f)), "x");
  writeFile(dir / "small/mp3s/a.mp3", "abc");
  Walked w;
  for (int i = 0; i < 5; ++i) {
    w.walker.request(dir / "big", kEnglish, '.');
    w.walker.request(dir / "small", kGerman, '.');
  }
  w.walker.request(dir / "big", kEnglish, '.');
  w.walker.request(dir / "none", kEnglish, '.');
  const std::string newest = "Current mp3 cache size: <no mp3 folder>";
  ASSERT_TRUE(w.window.runUntil([&] { return !w.shown.empty() && w.shown.back() == newest; }));
  // Give any walk still running the time to end: its label must not come.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  w.window.runPending();
  EXPECT_EQ(w.shown, std::vector<std::string>{newest});
}

// A command that sets the label itself (the end of a save) drops the walk
// asked before it; a walker gone before its posted call runs shows nothing.
TEST(CacheSizeWalker, ACancelledOrDestroyedWalkShowsNothing) {
  TempDir mod;
  writeFile(mod / "mp3s/a.mp3", "abc");
  {
    Walked w;
    w.walker.request(mod.str(), kEnglish, '.');
    w.walker.cancel();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    w.window.runPending();
    EXPECT_TRUE(w.shown.empty());
  }
  WindowQueue outlives;
  std::vector<std::string> shown;
  {
    CacheSizeWalker walker([&](std::function<void()> call) { outlives.post(std::move(call)); },
                           [&](const std::string& label) { shown.push_back(label); });
    walker.request(mod.str(), kEnglish, '.');
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  outlives.runPending();
  EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace tunebelt
