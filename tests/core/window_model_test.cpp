#include "core/window/windowmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/audio/probe.h"
#include "core/state/settings.h"
#include "platform/fs.h"
#include "test_util.h"
#include "window_queue.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::EnvGuard;
using test::readFile;
using test::TempDir;
using test::WindowQueue;
using test::writeFile;

// A view that draws nothing: it keeps what the model showed, answers the
// questions from a queue, and runs posted calls when the test says so, on
// the test's thread (the window's thread here).
class FakeView : public WindowView {
 public:
  WindowModel* model = nullptr;
  WindowQueue queue;
  std::thread::id windowThread = std::this_thread::get_id();
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<YesNoChoice> answers;
  bool calledOffTheWindowsThread = false;
  std::vector<std::string> lines;
  std::string modFolderText, cacheLabel, caption;
  std::vector<std::string> captions;
  std::vector<std::string> entries;
  bool modFolderEnabled = true, developer = false;
  std::array<bool, kRowButtons> hover{};
  std::vector<Stage> stages;
  int progressValue = 0;
  int language = 0;
  std::vector<Dialog> dialogs;
  int closes = 0, ends = 0, exits = 0;
  std::deque<std::vector<std::string>> chosenFiles;  // the next choices of the open dialog
  std::vector<std::string> startFolders;             // where each open dialog started
  std::array<bool, kCommands> commandsEnabled = [] {
    std::array<bool, kCommands> all{};
    all.fill(true);
    return all;
  }();
  std::vector<SaveEndState> saveEnds;
  std::vector<std::string> pagesOpened, documentsOpened;
  bool desktopOpens = true;  // whether a page or a document finds a program

  void post(std::function<void()> call) override { queue.post(std::move(call)); }
  void showMessage(std::string_view text, std::string_view, MessageIcon) override {
    onWindowThread();
    messages.emplace_back(text);
  }
  bool askYesNo(std::string_view text, std::string_view title) override {
    return askYesNoWithCheckBox(text, title, "").yes;
  }
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view,
                                   std::string_view) override {
    onWindowThread();
    questions.emplace_back(text);
    if (answers.empty()) return {};
    YesNoChoice a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string chooseOpenFile(std::string_view, std::string_view) override { return {}; }
  std::vector<std::string> chooseOpenFiles(std::string_view,
                                           std::string_view startFolder) override {
    onWindowThread();
    startFolders.emplace_back(startFolder);
    if (chosenFiles.empty()) return {};
    std::vector<std::string> chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
  }
  void showPlaylist(const std::vector<std::string>& l, const PlaylistChange&) override {
    onWindowThread();
    lines = l;
  }
  void showModFolderText(const std::string& text) override {
    modFolderText = text;
    model->modFolderEdited(text);  // as the box's change signal does
  }
  void showModFolderEntries(const std::vector<std::string>& e) override { entries = e; }
  void showModFolderEnabled(bool enabled) override { modFolderEnabled = enabled; }
  void showDeleteUnused(bool) override {}
  void showCacheLabel(const std::string& text) override { cacheLabel = text; }
  void showLanguage(int l, const WindowTexts&) override { language = l; }
  void showDeveloperMode(bool on) override { developer = on; }
  void showHoverImage(RowButton button, bool visible) override {
    hover[static_cast<std::size_t>(button)] = visible;
  }
  void showCommandEnabled(Command command, bool on) override {
    onWindowThread();
    commandsEnabled[static_cast<std::size_t>(command)] = on;
  }
  void showSaveEnd(const SaveEndState& end) override {
    onWindowThread();
    saveEnds.push_back(end);
  }
  void showProgressWindow() override { onWindowThread(); }
  void showStage(Stage stage) override {
    onWindowThread();
    stages.push_back(stage);
  }
  void showScriptText(const std::string&) override {}
  void showProgressMaximum(int) override {}
  void showProgressValue(int value) override {
    onWindowThread();
    progressValue = value;
  }
  void showProgressCaption(const std::string& text) override {
    onWindowThread();
    caption = text;
    captions.push_back(text);
  }
  void placeHoverImages() override {}
  int screenHeightTwips() override { return 20000; }
  void shortenTo(int) override {}
  void openDialog(Dialog dialog) override { dialogs.push_back(dialog); }
  bool openWebPage(std::string_view address) override {
    pagesOpened.emplace_back(address);
    return desktopOpens;
  }
  bool openDocument(const std::string& path) override {
    documentsOpened.push_back(path);
    return desktopOpens;
  }
  void closeWindow() override {
    ++closes;
    model->close();
  }
  void endProgram() override { ++ends; }
  void exitNow() override { ++exits; }

  std::string lit() const {
    std::string s;
    for (bool on : hover) s += on ? '1' : '0';
    return s;
  }

 private:
  void onWindowThread() {
    if (std::this_thread::get_id() != windowThread) calledOffTheWindowsThread = true;
  }
};

struct ModelUnderTest {
  TempDir dir;
  ProgramState state;
  FakeView view;
  std::unique_ptr<WindowModel> model;
  std::string mod = dir / "hl/cstrike";

  ModelUnderTest() {
    state.ApplicationFolder = dir / "app";
    state.Language = kEnglish;
    fs::create_directories(state.ApplicationFolder);
    writeFile(mod + "/gfx/shell/kb_act.lst", "\"+forward\" \"Move forward\"\r\n");
    for (const char* name : {"A.mp3", "B.mp3", "C.mp3"}) {
      const std::string path = dir / (std::string("music/") + name);
      writeFile(path, test::playableMp3(std::string("data of ") + name));
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.emplace_back(name);
    }
    model = std::make_unique<WindowModel>(state, view);
    view.model = model.get();
  }
  bool waitForTheJob() {
    return view.queue.runUntil([this] { return !model->busy(); });
  }
};

TEST(WindowModel, HoverImagesFollowThePointerAndTheCommands) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.pointerOverButton(RowButton::AddTrack);
  EXPECT_EQ(t.view.lit(), "1000");
  // A lit image stays lit over another button until the pointer crosses
  // that button's own image.
  m.pointerOverButton(RowButton::Remove);
  EXPECT_EQ(t.view.lit(), "1010");
  m.pointerOverHoverImage(RowButton::Remove);
  EXPECT_EQ(t.view.lit(), "0010");
  m.pointerOverButton(RowButton::SaveScript);
  m.pointerOverBackground();
  EXPECT_EQ(t.view.lit(), "0000");

  // A click on a lit button runs its command, which darkens all four.
  m.pointerOverButton(RowButton::AddTrack);
  m.pointerOverButton(RowButton::AddPlaylist);
  m.clickButton(RowButton::AddTrack, true);
  EXPECT_EQ(t.view.lit(), "0000");

  // Save Script darkens them once its checks have passed, not before.
  t.view.modFolderText.clear();
  m.pointerOverButton(RowButton::SaveScript);
  m.clickButton(RowButton::SaveScript, true);
  ASSERT_TRUE(t.waitForTheJob());
  EXPECT_EQ(t.view.messages, std::vector<std::string>{"Please Enter a Mod Folder"});
  EXPECT_EQ(t.view.lit(), "0001");
  m.modFolderEdited(t.mod);
  m.clickButton(RowButton::SaveScript, true);
  ASSERT_TRUE(t.waitForTheJob());
  EXPECT_EQ(t.view.lit(), "0000");
}

// The audio options reach the save: a FLAC converted at the chosen bit rate
// and an MP3 levelled, the progress window naming each track as it goes; a
// text file named .mp3 is refused when dropped.
TEST(WindowModel, ASaveConvertsAndLevelsAsTheOptionsSay) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  t.state.SettingsFolder = t.dir / "settings";
  fs::create_directories(t.state.SettingsFolder);
  t.state.LevelLoudness = true;
  t.state.BitrateKbps = 128;
  m.selectionChanged({true, true, true});
  m.removeTracks();
  const std::string sounds = TUNEBELT_AUDIO_TESTDATA;
  writeFile(t.dir / "music/notes.mp3", "text");
  m.dropFiles({sounds + "/tone.flac", t.dir / "music/notes.mp3", sounds + "/tone.mp3"});
  EXPECT_EQ(t.view.lines, (std::vector<std::string>{"tone.flac", "tone.mp3"}));
  ASSERT_EQ(t.view.messages.size(), 1u);
  EXPECT_NE(t.view.messages[0].find("notes.mp3: no MPEG audio frames found"), std::string::npos);
  m.modFolderEdited(t.mod);
  m.saveScript();
  ASSERT_TRUE(t.waitForTheJob());
  ASSERT_EQ(t.view.messages.size(), 1u) << t.view.messages.back();
  EXPECT_EQ(t.view.caption, "Done");
  EXPECT_EQ(t.view.progressValue, 2);
  const audio::Mp3Verdict flac = audio::ProbeMp3(t.mod + "/mp3s/tone.mp3");
  EXPECT_TRUE(flac.playable);
  EXPECT_EQ(flac.first.bitrateKbps, 128);
  EXPECT_NE(readFile(t.mod + "/mp3s/tone_2.mp3"), readFile(sounds + "/tone.mp3"));
  EXPECT_TRUE(audio::ProbeMp3(t.mod + "/mp3s/tone_2.mp3").playable);
  const auto shown = [&](const std::string& caption) {
    return std::any_of(t.view.captions.begin(), t.view.captions.end(),
                       [&](const std::string& c) { return c.starts_with(caption); });
  };
  EXPECT_TRUE(shown("Measuring loudness 1 of 2: tone.flac ("));
  EXPECT_TRUE(shown("Converting tone.flac ("));
  EXPECT_TRUE(shown("Levelling tone.mp3 ("));
  EXPECT_FALSE(t.view.calledOffTheWindowsThread);
}

TEST(WindowModel, TheSelectionFollowsTheEdits) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.dropFiles({t.dir / "music/A.mp3", t.dir / "music/notes.txt"});  // only mp3 files
  EXPECT_EQ(t.view.lines.size(), 4u);
  m.selectionChanged({false, true, false, false});
  m.moveDown();
  EXPECT_EQ(t.state.PlaylistNames, (std::vector<std::string>{"A.mp3", "C.mp3", "B.mp3", "A.mp3"}));
  EXPECT_EQ(m.selection(), (Selection{false, false, true, false}));
  m.removeTracks();
  EXPECT_EQ(t.state.PlaylistNames, (std::vector<std::string>{"A.mp3", "C.mp3", "A.mp3"}));
}

// The save runs on a worker thread: the call returns at once, everything it
// shows arrives on the window's thread, and while it runs the commands that
// would touch the state are ignored; Exit asked meanwhile ends the program
// once the save is done, without the shut-down's settings.
TEST(WindowModel, ASaveRunsOffTheWindowsThreadAndCommandsWaitForIt) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.modFolderEdited(t.mod + "/");
  m.deleteUnusedChanged(true);
  writeFile(t.mod + "/mp3s/old.mp3", "old");
  m.selectionChanged({true, false, false});
  m.saveScript();
  ASSERT_TRUE(m.busy());
  // Every command the save would ignore is shown disabled meanwhile.
  EXPECT_EQ(std::count(t.view.commandsEnabled.begin(), t.view.commandsEnabled.end(), true), 0);
  EXPECT_FALSE(m.commandEnabled(Command::Options));
  m.moveDown();
  m.removeTracks();
  m.dropFiles({t.dir / "music/A.mp3"});
  m.switchLanguage(kGerman);
  m.toggleDeveloper();
  m.showOptions();
  m.showAbout();
  m.browseForModFolder();
  m.saveScript();
  m.exit();
  EXPECT_FALSE(m.close());
  EXPECT_EQ(t.view.exits + t.view.ends, 0);
  ASSERT_TRUE(t.waitForTheJob());

  EXPECT_FALSE(t.view.calledOffTheWindowsThread);
  EXPECT_TRUE(t.view.messages.empty()) << t.view.messages[0];
  EXPECT_EQ(t.state.PlaylistNames, (std::vector<std::string>{"A.mp3", "B.mp3", "C.mp3"}));
  EXPECT_EQ(t.state.Language, kEnglish);
  EXPECT_EQ(t.state.DebugMode, 0);
  EXPECT_FALSE(t.view.developer);
  EXPECT_TRUE(t.view.dialogs.empty());
  EXPECT_EQ(t.view.stages,
            (std::vector<Stage>{Stage::Generating, Stage::Copying, Stage::Complete}));
  EXPECT_EQ(t.view.caption, "Done");
  EXPECT_EQ(t.view.progressValue, 3);
  ASSERT_EQ(t.view.saveEnds.size(), 1u);
  EXPECT_TRUE(t.view.saveEnds[0].complete);
  EXPECT_EQ(t.view.saveEnds[0].stageWords, "Complete");
  EXPECT_EQ(t.view.saveEnds[0].value, 3);
  EXPECT_EQ(t.view.saveEnds[0].maximum, 3);
  EXPECT_TRUE(t.view.modFolderEnabled);
  EXPECT_EQ(std::count(t.view.commandsEnabled.begin(), t.view.commandsEnabled.end(), false), 0);
  EXPECT_EQ(readFile(t.mod + "/mp3s/B.mp3"), test::playableMp3("data of B.mp3"));
  EXPECT_FALSE(fs::exists(t.mod + "/mp3s/old.mp3"));
  // The trim reached the box; the folder is remembered once.
  EXPECT_EQ(m.modFolderText(), t.mod);
  EXPECT_EQ(t.view.entries, std::vector<std::string>{t.mod});
  // Exit came after the save, and Exit wins over the close asked for too;
  // it keeps the settings, with the folder the save used.
  EXPECT_EQ(t.view.exits, 1);
  EXPECT_EQ(t.view.ends, 0);
  ProgramState stored;
  EXPECT_EQ(LoadSettings(SettingsFilePath(t.state), stored), 1);
  EXPECT_EQ(stored.ModFolders, std::vector<std::string>{t.mod});
  EXPECT_EQ(stored.LastSaveFolder, t.mod);
  // Afterwards the commands work again.
  m.selectionChanged({true, false, false});
  m.moveDown();
  EXPECT_EQ(t.state.PlaylistNames, (std::vector<std::string>{"B.mp3", "A.mp3", "C.mp3"}));
}

TEST(WindowModel, ClosingDuringASaveClosesAfterItWithTheFolderItRemembers) {
  ModelUnderTest t;
  t.model->modFolderEdited(t.mod);
  t.model->saveScript();
  EXPECT_FALSE(t.model->close());
  ASSERT_TRUE(t.waitForTheJob());
  EXPECT_EQ(t.view.closes, 1);
  EXPECT_EQ(t.view.ends, 1);
  ProgramState stored;
  LoadSettings(SettingsFilePath(t.state), stored);
  EXPECT_EQ(stored.ModFolders, std::vector<std::string>{t.mod});
}

// The removal's question is asked on the window's thread while the worker
// waits for the answer; No leaves everything, Yes with the box ticked takes
// the save and mp3s away.
TEST(WindowModel, AQuestionDuringTheWorkWaitsForTheAnswer) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.modFolderEdited(t.mod);
  m.saveScript();
  ASSERT_TRUE(t.waitForTheJob());

  m.removeFromModFolder();
  // The worker is waiting: nothing is removed before the answer is given.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(m.busy());
  EXPECT_TRUE(fs::exists(t.mod + "/mp3.cfg"));
  ASSERT_TRUE(t.waitForTheJob());  // answered No
  ASSERT_EQ(t.view.questions.size(), 1u);
  EXPECT_NE(t.view.questions[0].find(t.mod), std::string::npos);
  EXPECT_TRUE(fs::exists(t.mod + "/mp3.cfg"));

  t.view.answers.push_back({true, true});
  m.removeFromModFolder();
  ASSERT_TRUE(t.waitForTheJob());
  EXPECT_FALSE(t.view.calledOffTheWindowsThread);
  EXPECT_FALSE(fs::exists(t.mod + "/mp3.cfg"));
  EXPECT_FALSE(fs::exists(t.mod + "/mp3s"));
  ASSERT_EQ(t.view.messages.size(), 1u);
  EXPECT_EQ(t.view.messages[0], "Tunebelt was removed from " + t.mod + ", the mp3s folder too.");
  ASSERT_TRUE(t.view.queue.runUntil(
      [&] { return t.view.cacheLabel == "Current mp3 cache size: <no mp3 folder>"; }));
}

// A model that goes while its worker waits for an answer does not hang: the
// question is answered No and the worker ends.
TEST(WindowModel, AModelGoneDuringAQuestionEndsItsWorker) {
  ModelUnderTest t;
  t.model->modFolderEdited(t.mod);
  t.model->removeFromModFolder();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  t.model.reset();
  t.view.queue.runPending();  // the calls posted meanwhile find no model
  EXPECT_TRUE(t.view.questions.empty());
  EXPECT_TRUE(fs::exists(t.mod + "/gfx/shell/kb_act.lst"));
}

TEST(WindowModel, LanguageAndDeveloperMode) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.switchLanguage(kGerman);
  EXPECT_EQ(t.view.language, kGerman);
  EXPECT_EQ(t.state.Language, kGerman);
  EXPECT_EQ(TextsOf(kGerman).deleteUnused,
            "Unbenutzte mp3 Dateien im Mod Verzeichnis l\u00f6schen");
  ASSERT_TRUE(t.view.queue.runUntil([&] { return !t.view.cacheLabel.empty(); }));
  EXPECT_EQ(t.view.cacheLabel, "Str\u00f6mung mp3 Gr\u00f6\u00dfe cache < kein Verzeichnis >");
  m.toggleDeveloper();
  EXPECT_TRUE(t.view.developer);
  EXPECT_EQ(t.state.DebugMode, 1);
  m.toggleDeveloper();
  EXPECT_FALSE(t.view.developer);
  EXPECT_EQ(t.state.DebugMode, 0);
}

// A save that could not give the game every track ends in its own look:
// the bar at the tracks the game got, the words saying it is not complete.
TEST(WindowModel, ASaveWithATrackLeftOutEndsIncomplete) {
  ModelUnderTest t;
  fs::remove(t.state.PlaylistPaths[1]);
  t.model->modFolderEdited(t.mod);
  t.model->saveScript();
  ASSERT_TRUE(t.waitForTheJob());
  ASSERT_EQ(t.view.saveEnds.size(), 1u);
  const SaveEndState& end = t.view.saveEnds[0];
  EXPECT_FALSE(end.complete);
  EXPECT_EQ(end.stageWords, "Incomplete");
  EXPECT_EQ(end.value, 2);
  EXPECT_EQ(end.maximum, 3);
  EXPECT_EQ(end.barText, "2 of 3 tracks in the game");
  EXPECT_EQ(t.state.LastSaveFolder, t.mod);  // the scripts were written

  // A save refused before writing anything has no end to show, and the
  // folder of the last save stays.
  t.view.saveEnds.clear();
  t.model->modFolderEdited(t.dir / "nowhere");
  t.model->saveScript();
  ASSERT_TRUE(t.waitForTheJob());
  EXPECT_TRUE(t.view.saveEnds.empty());
  EXPECT_EQ(t.state.LastSaveFolder, t.mod);
}

// Both ways out store what the player set; the next start shows it, with
// the folder of the last save in the mod folder box.
TEST(WindowModel, ExitKeepsTheSettingsAndTheNextStartShowsTheLastSavesFolder) {
  ModelUnderTest t;
  EnvGuard env;
  env.set("HOME", t.dir / "home");
  WindowModel& m = *t.model;
  m.modFolderEdited(t.mod);
  m.saveScript();
  ASSERT_TRUE(t.waitForTheJob());
  m.switchLanguage(kGerman);
  m.deleteUnusedChanged(true);
  m.exit();
  EXPECT_EQ(t.view.exits, 1);

  ProgramState next;
  next.ApplicationFolder = t.state.ApplicationFolder;
  next.ModFolders = {"/before/start"};  // replaced by what was stored
  FakeView view;
  WindowModel again(next, view);
  view.model = &again;
  again.start();
  EXPECT_EQ(next.Language, kGerman);
  EXPECT_EQ(view.language, kGerman);
  EXPECT_TRUE(again.deleteUnused());
  EXPECT_EQ(next.ModFolders, std::vector<std::string>{t.mod});
  EXPECT_EQ(view.modFolderText, t.mod);
  EXPECT_EQ(again.modFolderText(), t.mod);
}

// Without a save the box shows the first remembered folder, else the first
// game found, else nothing.
TEST(WindowModel, TheStartTextFallsBackToTheFirstFolderThereIs) {
  ProgramState s;
  const std::vector<ModFolderEntry> found = {{"Counter-Strike \u2014 .../cstrike", "/g/cstrike"}};
  EXPECT_EQ(StartModFolderText(s, {}), "");
  EXPECT_EQ(StartModFolderText(s, found), "/g/cstrike");
  s.ModFolders = {"/mine/tfc", "/mine/dod"};
  EXPECT_EQ(StartModFolderText(s, found), "/mine/tfc");
  s.LastSaveFolder = "/mine/dod";
  EXPECT_EQ(StartModFolderText(s, found), "/mine/dod");
}

// The games found are offered by name after the remembered folders; an
// entry chosen puts the folder it stands for into the box.
TEST(WindowModel, ChoosingANamedGamePutsItsFolderIntoTheBox) {
  ModelUnderTest t;
#ifdef _WIN32
  const std::string steam = t.dir / "Steam";
  test::RegistryValueGuard steamPath(L"Software\\Valve\\Steam", L"SteamPath",
                                     test::fsPath(steam).wstring());
  const std::string shown = "Counter-Strike \u2014 ...\\cstrike";
#else
  EnvGuard env;
  env.set("HOME", t.dir / "home");
  const std::string steam = t.dir / "home/.steam/steam";
  const std::string shown = "Counter-Strike \u2014 .../cstrike";
#endif
  const std::string common = platform::joinPath(steam, "steamapps/common/Half-Life");
  writeFile(common + "/cstrike/liblist.gam", "game \"Counter-Strike\"\r\n");
  writeFile(common + "/cstrike/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
  writeFile(common + "/valve/liblist.gam", "game \"Half-Life\"\r\n");  // no kb_act.lst
  ProgramState stored;
  stored.ModFolders = {t.mod};
  SaveSettingsOnExit(SettingsFilePath(t.state), stored, 0);
  t.model->start();
  const std::string cstrike = platform::realPath(common + "/cstrike");
  EXPECT_EQ(t.view.entries, (std::vector<std::string>{t.mod, shown}));
  EXPECT_EQ(t.model->modFolderEntryFolders(), (std::vector<std::string>{t.mod, cstrike}));
  EXPECT_EQ(t.view.modFolderText, t.mod);
  t.model->chooseModFolderEntry(1);
  EXPECT_EQ(t.view.modFolderText, cstrike);
  EXPECT_EQ(t.model->modFolderText(), cstrike);
  t.model->chooseModFolderEntry(2);  // no such entry: nothing changes
  EXPECT_EQ(t.model->modFolderText(), cstrike);
}

// A link or the read-me that the desktop cannot open is told, with the same
// English text in both languages like every message box.
TEST(WindowModel, ALinkThatCannotBeOpenedIsTold) {
  ModelUnderTest t;
  WindowModel& m = *t.model;
  m.openProductPage();
  m.openArtistPage();
  EXPECT_EQ(t.view.pagesOpened,
            (std::vector<std::string>{"www.tunebelt.net/", "www.velloran.net/"}));
  EXPECT_TRUE(t.view.messages.empty());

  t.view.desktopOpens = false;
  m.openProductPage();
  ASSERT_EQ(t.view.messages.size(), 1u);
  EXPECT_EQ(t.view.messages[0],
            "Could not open www.tunebelt.net/:\nno program to show it was found.");
  m.switchLanguage(kGerman);
  m.openArtistPage();
  ASSERT_EQ(t.view.messages.size(), 2u);
  EXPECT_EQ(t.view.messages[1],
            "Could not open www.velloran.net/:\nno program to show it was found.");

  // The read-me: missing, then there but nothing to open it.
  const std::string readme = platform::joinPath(t.state.ApplicationFolder, "readme.txt");
  m.switchLanguage(kEnglish);
  m.openReadme();
  ASSERT_EQ(t.view.messages.size(), 3u);
  EXPECT_EQ(t.view.messages[2], "Could not open " + readme + ":\nthe file does not exist.");
  EXPECT_TRUE(t.view.documentsOpened.empty());
  writeFile(readme, "read me");
  m.openReadme();
  EXPECT_EQ(t.view.documentsOpened, std::vector<std::string>{readme});
  EXPECT_EQ(t.view.messages.size(), 4u);
  t.view.desktopOpens = true;
  m.openReadme();
  EXPECT_EQ(t.view.messages.size(), 4u);
}

// Add Track runs on the window's thread and starts where the last track
// taken was, also one that was dropped.
TEST(WindowModel, AddTrackStartsWhereTheLastTrackWasTaken) {
  ModelUnderTest t;
  t.state.MusicFolder = t.dir / "Music";
  t.view.chosenFiles = {{t.dir / "music/B.mp3", t.dir / "music/A.mp3"}};
  t.model->addTrack();
  EXPECT_EQ(t.view.lines.size(), 5u);
  EXPECT_EQ(t.view.lines[3], "B.mp3");
  t.model->dropFiles({t.dir / "other/C.mp3"});
  t.model->addTrack();
  EXPECT_EQ(t.view.startFolders, (std::vector<std::string>{t.dir / "Music", t.dir / "other"}));
}

// The options show the game's steps: a stored volume between two steps
// shows at its nearest, a chosen one becomes a step, Apply stores it, and
// every opening shows what is stored.
TEST(WindowModel, TheOptionsOfferTheGamesVolumeSteps) {
  ModelUnderTest t;
  t.state.Mp3Volume = 12;
  t.state.GameVolume = 100;
  OptionsForm& form = t.model->options();
  t.model->showOptions();
  EXPECT_EQ(t.view.dialogs, std::vector<Dialog>{Dialog::Options});
  EXPECT_EQ(form.values(), (OptionValues{13, 100}));
  EXPECT_EQ(OptionsForm::VolumeChoiceIndex(13), 4);
  EXPECT_EQ(OptionsForm::VolumeChoices()[OptionsForm::VolumeChoiceIndex(12)], 13);
  form.setMp3Volume(7);  // halfway between 5 and 9: the higher one
  form.setGameVolume(250);
  EXPECT_EQ(form.values(), (OptionValues{9, 100}));
  t.model->showOptions();  // opened again without Apply: what is stored
  EXPECT_EQ(form.values(), (OptionValues{13, 100}));
  form.setMp3Volume(45);
  form.apply();
  EXPECT_EQ(t.state.Mp3Volume, 45);
  ProgramState stored;
  LoadSettings(SettingsFilePath(t.state), stored);
  EXPECT_EQ(stored.Mp3Volume, 45);
  EXPECT_EQ(stored.GameVolume, 100);
  t.model->showOptions();
  EXPECT_EQ(form.values(), (OptionValues{45, 100}));
}

}  // namespace
}  // namespace tunebelt
