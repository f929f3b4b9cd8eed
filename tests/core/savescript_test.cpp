#include "core/scripts/savescript.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>

#include "core/scripts/applyplan.h"
#include "platform/folderlock.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::RecordingHost;
using test::TempDir;
using test::writeFile;

// Every path below a folder with its size, for before/after comparisons.
std::map<std::string, std::uintmax_t> snapshot(const fs::path& root) {
  std::map<std::string, std::uintmax_t> out;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    out[e.path().string()] = e.is_regular_file() ? e.file_size() : 0;
  }
  return out;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

class SaveScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir / "mod/cstrike/gfx/shell/kb_act.lst", "\"+jump\"  \"Jump\"\r\n");
    mod = dir / "mod/cstrike";
    state.ApplicationFolder = dir / "app";
    state.Language = kEnglish;
    state.Mp3Volume = 80;
    state.GameVolume = 80;
  }
  void addTrack(const std::string& name, const std::string& content = "ID3 track") {
    std::string path = dir / ("music/" + name);
    writeFile(path, content);
    state.PlaylistPaths.push_back(path);
    state.PlaylistNames.push_back(name);
  }
  SaveResult save(std::string folder, bool deleteUnused = false) {
    text = std::move(folder);
    SaveOptions o;
    o.plan.deleteUnused = deleteUnused;
    return SaveScript(state, text, o, host);
  }

  TempDir dir;
  std::string mod;
  std::string text;
  ProgramState state;
  RecordingHost host;
};

TEST_F(SaveScriptTest, ValidationsRunInOrderAndWriteNothing) {
  auto before = snapshot(dir.path());
  EXPECT_EQ(save(mod), SaveResult::Refused);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "No items in playlist");
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);

  addTrack("a.mp3");
  before = snapshot(dir.path());
  for (int i = 0; i < 950; ++i) {
    state.PlaylistPaths.push_back(state.PlaylistPaths[0]);
    state.PlaylistNames.push_back("a.mp3");
  }
  EXPECT_EQ(save(mod), SaveResult::Refused);
  EXPECT_EQ(host.messages.back().text, "Sorry Half Life can not load scripts of this size");
  EXPECT_EQ(host.messages.back().icon, MessageIcon::None);

  state.PlaylistPaths.resize(950);
  state.PlaylistNames.resize(950);
  EXPECT_EQ(save(""), SaveResult::Refused);  // 950 passes, the empty box does not
  EXPECT_EQ(host.messages.back().text, "Please Enter a Mod Folder");
  EXPECT_EQ(host.messages.back().caption, "Tunebelt");

  EXPECT_EQ(save(dir / "mod/none"), SaveResult::Refused);
  EXPECT_EQ(host.messages.back().text,
            "Mod Folder can not be found, please check that the path is correct");

  fs::create_directories(dir / "mod/valve");
  EXPECT_EQ(save(dir / "mod/valve"), SaveResult::Refused);
  EXPECT_EQ(host.messages.back().text,
            "kb_act.lst could not be found, please check you have entered the correct path");

  EXPECT_EQ(host.messages.size(), 5u);
  EXPECT_FALSE(contains(host.events, "mod-folder-disabled"));
  EXPECT_FALSE(contains(host.events, "stage:generating"));  // the window's cue to begin
  fs::remove_all(dir / "mod/valve");
  EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(SaveScriptTest, OneTrailingSeparatorIsTrimmedWrittenBackAndRemembered) {
  addTrack("a.mp3");
  EXPECT_EQ(save(mod + "/"), SaveResult::Done);
  EXPECT_EQ(text, mod);
  EXPECT_EQ(host.modFolderText, mod);
  EXPECT_EQ(state.ModFolders, std::vector<std::string>{mod});

  // Two separators keep one; the folder is still found through it.
  EXPECT_EQ(save(mod + "//"), SaveResult::Done);
  EXPECT_EQ(host.modFolderText, mod + "/");
  EXPECT_EQ(state.ModFolders, (std::vector<std::string>{mod, mod + "/"}));
}

#ifndef _WIN32  // "\\", "?" and "*" in names are POSIX's
TEST_F(SaveScriptTest, NamesWithBackslashesAreTakenAsTheyAre) {
  // Linux allows "\" in a name; it separates nothing, in the track's name
  // or in the mod folder's path.
  writeFile(dir / "games\\hl/cstrike/gfx/shell/kb_act.lst", "\"+jump\"  \"Jump\"\r\n");
  std::string path = dir / "music/AC\\DC - Thunder.mp3";
  writeFile(path, "thunder");
  state.PlaylistPaths.push_back(path);
  state.PlaylistNames.push_back("AC\\DC - Thunder.mp3");
  ASSERT_EQ(save(dir / "games\\hl/cstrike"), SaveResult::Done) << host.messages.at(0).text;
  EXPECT_EQ(readFile(dir / "games\\hl/cstrike/mp3s/ACDCThunder.mp3"), "thunder");
  EXPECT_FALSE(fs::exists(dir / "games"));
}
#endif

TEST_F(SaveScriptTest, StepsRunInTheirOrderAndEndWithDone) {
  addTrack("Intro.mp3", "one");
  addTrack("Two Words.mp3", "two");
  addTrack("Finale!.mp3", "three");
  ASSERT_EQ(save(mod), SaveResult::Done);

  // The window hides its hover images when the generating stage begins.
  std::vector<std::string> expected = {"mod-folder-disabled", "caption:Tunebelt - Generating...",
                                       "stage:generating",    "show-progress",
                                       "stage:copying",       "progress-max:3",
                                       "remembered:" + mod,   "stage:complete",
                                       "caption:Done",        "mod-folder-enabled"};
  std::vector<std::string> seen;
  for (const auto& e : host.events) {
    if (e.rfind("cache-label:", 0) != 0) seen.push_back(e);
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(host.events.back(), "cache-label:Current mp3 cache size: 11 B");
  EXPECT_EQ(host.progressValue, 3);
  EXPECT_TRUE(host.modFolderEnabled);
  EXPECT_EQ(readFile(mod + "/mp3s/TwoWords.mp3"), "two");
  EXPECT_EQ(readFile(mod + "/mp3s/Finale.mp3"), "three");
  EXPECT_TRUE(fs::exists(mod + "/mp3.cfg"));
  EXPECT_TRUE(fs::exists(mod + "/playlist1.cfg"));
  EXPECT_EQ(readFile(mod + "/userconfig.cfg"), "exec mp3.cfg\r\n");
}

// Tracks whose cleaned names are the same, or the same but for case, each
// get a copy of their own; a file listed twice (by the same path or another
// one) is copied once and played by both tracks.
TEST_F(SaveScriptTest, EachFileGetsOneCopyOfItsOwn) {
  addTrack("a b.mp3", "first");
  addTrack("ab.mp3", "second");
  addTrack("A-B.MP3", "third");
  addTrack("!!!.mp3", "fourth");
  state.PlaylistPaths.push_back(state.PlaylistPaths[1]);
  state.PlaylistNames.push_back("ab.mp3");
  fs::create_hard_link(test::fsPath(state.PlaylistPaths[0]), test::fsPath(dir / "music/same.mp3"));
  state.PlaylistPaths.push_back(dir / "music/same.mp3");
  state.PlaylistNames.push_back("same.mp3");
  ASSERT_EQ(save(mod), SaveResult::Done);
  EXPECT_EQ(test::treeContents(mod + "/mp3s"),
            (std::map<std::string, std::string>{{"ab.mp3", "first"},
                                                {"ab_2.mp3", "second"},
                                                {"AB_3.mp3", "third"},
                                                {"track_4.mp3", "fourth"}}));
  EXPECT_EQ(host.progressMaximum, 4);
  EXPECT_EQ(host.progressValue, 4);
  const std::string playlist = readFile(mod + "/playlist1.cfg");
  const std::string sep(1, platform::kSep);
  for (const auto& [track, copy] : std::vector<std::pair<int, std::string>>{{1, "ab.mp3"},
                                                                            {2, "ab_2.mp3"},
                                                                            {3, "AB_3.mp3"},
                                                                            {4, "track_4.mp3"},
                                                                            {5, "ab_2.mp3"},
                                                                            {6, "ab.mp3"}}) {
    EXPECT_NE(playlist.find("alias track" + std::to_string(track) + " \"mp3 play mp3s" + sep +
                            copy + ";"),
              std::string::npos)
        << track;
  }
}

// A copy stays only while it is of the source as it is now: the second save
// of an unchanged playlist copies nothing, a changed track is copied again
// (its new length, or its new time at the same length), atomically.
TEST_F(SaveScriptTest, ACopyIsReplacedWhenItsTrackChanged) {
  addTrack("a.mp3", "first take");
  addTrack("b.mp3", "second");
  ASSERT_EQ(save(mod), SaveResult::Done);
  Journal journal;
  SaveOptions o;
  o.journal = &journal;
  text = mod;
  ASSERT_EQ(SaveScript(state, text, o, host), SaveResult::Done);
  EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                          [](const Step& e) { return e.action == Action::Copy; }),
            0);

  writeFile(state.PlaylistPaths[0], "a longer second take");
  writeFile(state.PlaylistPaths[1], "SECOND");
  const auto later =
      fs::last_write_time(test::fsPath(state.PlaylistPaths[1])) + std::chrono::hours(1);
  fs::last_write_time(test::fsPath(state.PlaylistPaths[1]), later);
  journal.clear();
  ASSERT_EQ(SaveScript(state, text, o, host), SaveResult::Done);
  EXPECT_EQ(readFile(mod + "/mp3s/a.mp3"), "a longer second take");
  EXPECT_EQ(readFile(mod + "/mp3s/b.mp3"), "SECOND");
  EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                          [](const Step& e) { return e.action == Action::Copy; }),
            2);
  EXPECT_EQ(std::distance(fs::directory_iterator(mod + "/mp3s"), {}), 2);  // no temporary file
}

// What the plan decided from the folder as it was read, the executor does
// whole even when another program changed a file since; the journal says
// what the write found.
TEST_F(SaveScriptTest, AFileChangedAfterTheReadIsWrittenWholeAndJournaledAsFound) {
  addTrack("a.mp3");
  const ModLayout layout(mod);
  const SavePlan plan =
      PlanSaveAsFound(state, layout, ReadModFolder(layout, state.ApplicationFolder), {});
  const auto planned = [&](const std::string& path) {
    for (const PlannedStep& s : plan.steps) {
      if (s.step.path == path) return s;
    }
    ADD_FAILURE() << path << " not in the plan";
    return PlannedStep{};
  };
  ASSERT_EQ(planned(layout.controlScript()).step.action, Action::Create);
  writeFile(layout.controlScript(), "another program's mp3.cfg, longer than a line\r\n");

  Journal journal;
  ASSERT_TRUE(ApplyPlan(plan, host, &journal).complete());
  EXPECT_EQ(readFile(layout.controlScript()), planned(layout.controlScript()).bytes);
  std::vector<Step> expected = plan.shown();
  for (Step& s : expected) {
    if (s.path == layout.controlScript()) s.action = Action::Replace;
  }
  EXPECT_EQ(journal, expected);
  // Nothing the plan did not name was made, and no temporary file is left.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(test::fsPath(mod))) {
    names.push_back(test::utf8(e.path().filename()));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"gfx", "mp3.cfg", "mp3s", "playlist1.cfg",
                                             "tracklist.cfg", "userconfig.cfg"}));
}

#ifndef _WIN32  // "?" and "*" in names are POSIX's
TEST_F(SaveScriptTest, AWildcardNameMatchesOnlyItself) {
  addTrack("what?.mp3", "new");
  writeFile(mod + "/mp3s/whats.mp3", "other");
  ASSERT_EQ(save(mod), SaveResult::Done);
  EXPECT_EQ(readFile(mod + "/mp3s/what?.mp3"), "new");
  EXPECT_EQ(readFile(mod + "/mp3s/whats.mp3"), "other");
}
#endif

TEST_F(SaveScriptTest, DeleteUnusedEmptiesTheTrackFolderFirst) {
  addTrack("a.mp3");
  writeFile(mod + "/mp3s/old.mp3", "stale");
  ASSERT_EQ(save(mod), SaveResult::Done);
  EXPECT_TRUE(fs::exists(mod + "/mp3s/old.mp3"));
  ASSERT_EQ(save(mod, true), SaveResult::Done);
  EXPECT_FALSE(fs::exists(mod + "/mp3s/old.mp3"));
  EXPECT_TRUE(fs::exists(mod + "/mp3s/a.mp3"));
  EXPECT_EQ(host.cacheLabel, "Current mp3 cache size: 9 B");
}

#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows
// What the clean-up could not delete makes the save a failed one, though it
// goes on to its end: the message says what stayed, the caption that the
// save finished with problems, and the progress never reaches Complete.
TEST_F(SaveScriptTest, ACleanUpThatLeavesSomethingEndsTheSaveAsFailed) {
  addTrack("a.mp3");
  writeFile(mod + "/mp3s/old.mp3", "stale");
  writeFile(mod + "/mp3s/kept/held.mp3", "the player's");
  ASSERT_EQ(::chmod((mod + "/mp3s/kept").c_str(), 0555), 0);
  EXPECT_EQ(save(mod, true), SaveResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "1 item could not be deleted:\n" + mod + "/mp3s/kept/held.mp3: Permission denied");
  EXPECT_EQ(host.progressCaption, kCleanUpIncompleteCaption);
  EXPECT_FALSE(contains(host.events, "stage:complete"));
  EXPECT_FALSE(contains(host.events, "caption:Done"));
  EXPECT_TRUE(host.modFolderEnabled);
  EXPECT_EQ(state.ModFolders, std::vector<std::string>{mod});
  EXPECT_FALSE(fs::exists(mod + "/mp3s/old.mp3"));
  EXPECT_EQ(readFile(mod + "/mp3s/a.mp3"), "ID3 track");
  EXPECT_EQ(readFile(mod + "/mp3s/kept/held.mp3"), "the player's");
}
#endif

TEST_F(SaveScriptTest, DeveloperModeShowsEachSourceBeforeItsCopy) {
  addTrack("a.mp3");
  addTrack("b.mp3");
  state.DebugMode = 1;
  ASSERT_EQ(save(mod), SaveResult::Done);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, state.PlaylistPaths[0]);
  EXPECT_EQ(host.messages[1].text, state.PlaylistPaths[1]);
  EXPECT_EQ(host.messages[1].caption, "Tunebelt");
}

// A track whose file cannot be read is found before anything is written and
// left out of every script: the others are numbered on without a gap, no key
// names a missing file, and the end says which tracks were left out and why.
TEST_F(SaveScriptTest, UnreadableTracksAreLeftOutOfEveryScript) {
  addTrack("a.mp3", "one");
  addTrack("gone.mp3", "vanishes");
  addTrack("pipe.mp3");
  addTrack("folder.mp3");
  addTrack("e.mp3", "five");
  fs::remove(state.PlaylistPaths[1]);
#ifndef _WIN32
  fs::remove(state.PlaylistPaths[2]);
  ASSERT_EQ(::mkfifo(state.PlaylistPaths[2].c_str(), 0644), 0);
  const std::string thirdReason = ": is a FIFO";
#else
  // Another program holds the track and shares nothing.
  HANDLE held = ::CreateFileW(test::fsPath(state.PlaylistPaths[2]).wstring().c_str(), GENERIC_READ,
                              0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string thirdReason = ": The file is in use by another program";
#endif
  fs::remove(state.PlaylistPaths[3]);
  fs::create_directory(state.PlaylistPaths[3]);
#ifndef _WIN32
  ::alarm(20);  // a FIFO must never be waited on
#endif
  EXPECT_EQ(save(mod), SaveResult::Failed);
#ifndef _WIN32
  ::alarm(0);
#else
  ::CloseHandle(held);
#endif

  ASSERT_EQ(host.messages.size(), 1u);
  const test::Message& m = host.messages[0];
  EXPECT_EQ(m.caption, "Tunebelt - Error");
  EXPECT_EQ(m.text.rfind("3 tracks were left out:\n", 0), 0u) << m.text;
  EXPECT_NE(m.text.find(state.PlaylistPaths[1] + ": No such file"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find(state.PlaylistPaths[2] + thirdReason), std::string::npos) << m.text;
  EXPECT_NE(m.text.find(state.PlaylistPaths[3] + ": Is a directory"), std::string::npos) << m.text;
  // The two readable tracks are tracks 1 and 2 of every script; the window
  // does not say "Done", and the hook and controls are written as for any
  // save.
  EXPECT_EQ(readFile(mod + "/mp3s/a.mp3"), "one");
  EXPECT_EQ(readFile(mod + "/mp3s/e.mp3"), "five");
  EXPECT_EQ(std::distance(fs::directory_iterator(mod + "/mp3s"), {}), 2);
  const std::string playlist = readFile(mod + "/playlist1.cfg");
  const std::string sep(1, platform::kSep);
  EXPECT_NE(playlist.find("alias track2 \"mp3 play mp3s" + sep + "e.mp3;"), std::string::npos);
  EXPECT_EQ(playlist.find("alias track3 "), std::string::npos);
  EXPECT_EQ(playlist.find("gone"), std::string::npos);
  EXPECT_EQ(readFile(mod + "/tracklist.cfg"), "echo \"1. a.mp3\"\r\necho \"2. e.mp3\"\r\n");
  EXPECT_EQ(host.progressValue, 2);
  EXPECT_FALSE(contains(host.events, "caption:Done"));
  EXPECT_EQ(host.progressCaption, kTracksMissingCaption);
  EXPECT_TRUE(host.modFolderEnabled);
  EXPECT_EQ(state.ModFolders, std::vector<std::string>{mod});
  EXPECT_EQ(readFile(mod + "/userconfig.cfg"), "exec mp3.cfg\r\n");
}

TEST_F(SaveScriptTest, ManyLeftOutTracksAreNamedTenAtATime) {
  for (int i = 0; i < 14; ++i) addTrack("t" + std::to_string(i) + ".mp3");
  fs::remove_all(dir / "music");
  addTrack("kept.mp3");
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  const std::string& shown = host.messages[0].text;
  EXPECT_EQ(shown.rfind("14 tracks were left out:\n", 0), 0u) << shown;
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 11) << shown;
  EXPECT_NE(shown.find(state.PlaylistPaths[9]), std::string::npos);
  EXPECT_EQ(shown.find(state.PlaylistPaths[10]), std::string::npos);
  EXPECT_NE(shown.find("... and 4 more"), std::string::npos);
  EXPECT_EQ(readFile(mod + "/tracklist.cfg"), "echo \"1. kept.mp3\"\r\n");
}

// With no track left to play nothing is written at all.
TEST_F(SaveScriptTest, APlaylistOfUnreadableTracksWritesNothing) {
  addTrack("a.mp3");
  addTrack("b.mp3");
  fs::remove_all(dir / "music");
  const auto before = snapshot(dir.path());
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("2 tracks were left out:\n", 0), 0u);
  EXPECT_NE(host.messages[0].text.find("Nothing was written."), std::string::npos);
  EXPECT_EQ(snapshot(dir.path()), before);
  EXPECT_TRUE(host.modFolderEnabled);
}

// A copy that fails once the scripts are written (here a folder in the way)
// names the tracks whose keys will play nothing; the others are copied.
TEST_F(SaveScriptTest, ACopyThatFailsNamesTheTracksThatWillBeSilent) {
  addTrack("a.mp3", "one");
  addTrack("b.mp3", "two");
  state.PlaylistPaths.push_back(state.PlaylistPaths[1]);
  state.PlaylistNames.push_back("b.mp3");
  fs::create_directories(test::fsPath(mod + "/mp3s/b.mp3"));
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "1 copy could not be made, so the keys of its track play nothing in the game:\n"
            "tracks 2, 3: " +
                state.PlaylistPaths[1] + " to " + ModLayout(mod).track("b.mp3") + ": " +
                std::strerror(EISDIR));
  EXPECT_EQ(readFile(mod + "/mp3s/a.mp3"), "one");
  EXPECT_EQ(host.progressCaption, kTracksMissingCaption);
}

#ifndef _WIN32  // FIFOs, device links and file links are POSIX's
TEST_F(SaveScriptTest, AConfigThatIsNoRegularFileStopsTheSaveAtOnce) {
  addTrack("a.mp3");
  ASSERT_EQ(::mkfifo((mod + "/userconfig.cfg").c_str(), 0644), 0);
  ::alarm(20);
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(mod + "/userconfig.cfg: is a FIFO"), std::string::npos)
      << host.messages[0].text;
  EXPECT_TRUE(fs::is_fifo(mod + "/userconfig.cfg"));

  fs::remove(mod + "/userconfig.cfg");
  fs::remove(mod + "/gfx/shell/kb_act.lst");
  fs::create_symlink("/dev/zero", mod + "/gfx/shell/kb_act.lst");
  host.messages.clear();
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ::alarm(0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(mod + "/gfx/shell/kb_act.lst: is a device"),
            std::string::npos)
      << host.messages[0].text;
  EXPECT_TRUE(fs::is_symlink(mod + "/gfx/shell/kb_act.lst"));
}

TEST_F(SaveScriptTest, ALinkedKeyBindingListStaysALink) {
  addTrack("a.mp3");
  std::string shared = dir / "shared/kb_act.lst";
  fs::create_directories(dir / "shared");
  fs::rename(mod + "/gfx/shell/kb_act.lst", shared);
  fs::create_symlink(shared, mod + "/gfx/shell/kb_act.lst");
  ASSERT_EQ(save(mod), SaveResult::Done);
  EXPECT_TRUE(fs::is_symlink(mod + "/gfx/shell/kb_act.lst"));
  EXPECT_NE(readFile(shared).find("MP3 Player Controls"), std::string::npos);
}

// A link planted at one of our own scripts is replaced by the script; the
// file it pointed to, outside the mod folder, is left alone.
TEST_F(SaveScriptTest, LinksPlantedAtOurScriptsAreReplacedNotFollowed) {
  addTrack("a.mp3");
  const std::string outside = dir / "outside";
  for (const char* name : {"mp3.cfg", "playlist1.cfg", "tracklist.cfg"}) {
    writeFile(outside + "/" + name, "victim\n");
    fs::create_symlink(outside + "/" + name, mod + "/" + name);
  }
  ASSERT_EQ(save(mod), SaveResult::Done);
  for (const char* name : {"mp3.cfg", "playlist1.cfg", "tracklist.cfg"}) {
    EXPECT_FALSE(fs::is_symlink(mod + "/" + name)) << name;
    EXPECT_EQ(readFile(outside + "/" + name), "victim\n") << name;
  }
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("exec playlist1.cfg"), std::string::npos);
}

// A host that swaps the mod's mp3s folder for a link to another folder at
// the first progress the save reports after the event `after`.
class SwappingHost : public RecordingHost {
 public:
  SwappingHost(std::string tracks, std::string elsewhere, std::string after)
      : tracks_(std::move(tracks)), elsewhere_(std::move(elsewhere)), after_(std::move(after)) {}
  void showProgressWindow() override {
    RecordingHost::showProgressWindow();
    armed_ = armed_ || events.back() == after_;
  }
  void setProgressMaximum(int maximum) override {
    RecordingHost::setProgressMaximum(maximum);
    armed_ = armed_ || events.back() == after_;
  }
  void setStage(Stage stage) override {
    RecordingHost::setStage(stage);
    swapIfArmed();
  }
  void setProgressValue(int value) override {
    RecordingHost::setProgressValue(value);
    swapIfArmed();
  }
  void swapIfArmed() {
    if (!armed_ || swapped_ || !fs::is_directory(tracks_)) return;
    fs::rename(tracks_, tracks_ + "-moved");
    fs::create_symlink(elsewhere_, tracks_);
    swapped_ = true;
  }
  bool swapped() const { return swapped_; }

 private:
  std::string tracks_, elsewhere_, after_;
  bool armed_ = false, swapped_ = false;
};

// The copies go into the mp3s folder opened when the copying began: one
// swapped for a link while they go in gets none of them and is reported,
// and one swapped before stops the copying at once.
TEST_F(SaveScriptTest, AnMp3sFolderSwappedForALinkGetsNoCopy) {
  addTrack("a.mp3", "one");
  addTrack("b.mp3", "two");
  const std::string elsewhere = dir / "elsewhere";
  fs::create_directories(elsewhere);
  // A save into a fresh mp3s whose host swaps it after `event`; what the
  // save said.
  const auto saveSwappingAfter = [&](const std::string& event) {
    fs::remove(mod + "/mp3s");
    fs::remove_all(mod + "/mp3s-moved");
    fs::create_directories(mod + "/mp3s");
    SwappingHost swapping(mod + "/mp3s", elsewhere, event);
    text = mod;
    EXPECT_EQ(SaveScript(state, text, SaveOptions{}, swapping), SaveResult::Failed);
    EXPECT_TRUE(swapping.swapped());
    EXPECT_TRUE(fs::is_empty(elsewhere));
    return swapping.messages.size() == 1 ? swapping.messages[0].text : std::string();
  };
  // The swap comes with the first copy's events, after the folder opened.
  const std::string during = saveSwappingAfter("progress-max:2");
  EXPECT_EQ(test::treeContents(mod + "/mp3s-moved"),
            (std::map<std::string, std::string>{{"a.mp3", "one"}, {"b.mp3", "two"}}));
  EXPECT_NE(during.find(mod + "/mp3s was replaced while the tracks were copied"), std::string::npos)
      << during;
  // Swapped while the scripts are written, before the copies begin.
  const std::string before = saveSwappingAfter("show-progress");
  EXPECT_TRUE(fs::is_empty(mod + "/mp3s-moved"));
  EXPECT_NE(before.find("symbolic link"), std::string::npos) << before;
}
#endif

TEST_F(SaveScriptTest, ASecondSaveWaitsForTheFirstThenGivesUp) {
  addTrack("a.mp3");
  platform::FolderLock running(mod);
  ASSERT_TRUE(running.tryLock());
  SaveOptions o;
  o.lockTimeout = std::chrono::milliseconds(300);
  text = mod;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SaveScript(state, text, o, host), SaveResult::Refused);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kModFolderBusyMessage);
  EXPECT_EQ(host.messages[0].caption, "Tunebelt - Error");
  EXPECT_FALSE(fs::exists(mod + "/userconfig.cfg"));
  EXPECT_TRUE(host.modFolderEnabled);
}

#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows
TEST_F(SaveScriptTest, AReadOnlyModFolderFailsBeforeAnyScriptIsHalfWritten) {
  addTrack("a.mp3");
  writeFile(mod + "/userconfig.cfg", "bind x y\r\n");
  ::chmod(mod.c_str(), 0555);
  EXPECT_EQ(save(mod), SaveResult::Failed);
  ::chmod(mod.c_str(), 0755);
  EXPECT_NE(host.messages.at(0).text.find(mod), std::string::npos);
  EXPECT_EQ(readFile(mod + "/userconfig.cfg"), "bind x y\r\n");
  for (auto& e : fs::recursive_directory_iterator(mod)) {
    EXPECT_EQ(e.path().filename().string().find(".tunebelt-"), std::string::npos) << e.path();
  }
}

#endif

}  // namespace
}  // namespace tunebelt
