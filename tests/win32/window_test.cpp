// The Windows window: the real main window built here, its controls found
// by their ids and driven by the messages a player's clicks, keys and drops
// give; a save made through it compared with the same save made by
// tunebelt-cli.exe; and tunebelt.exe started as a program of its own.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "core/state/settings.h"
#include "core/window/options.h"
#include "core/window/windowmodel.h"
#include "process_util.h"
#include "test_util.h"
#include "win32/dialogs.h"
#include "win32/gdi.h"
#include "win32/ids.h"
#include "win32/mainwindow.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kAppDir = test::utf8(fs::absolute(test::fsPath(TUNEBELT_APP_DIR)));
const std::string kCli = test::utf8(fs::absolute(test::fsPath(TUNEBELT_CLI_BINARY)));
const std::string kGui = test::utf8(fs::absolute(test::fsPath(TUNEBELT_GUI_BINARY)));

// What a run of the window needs once: COM for the system's dialogs,
// common controls, GDI+ for the skin, and no box that waits for a player.
class Session : public ::testing::Environment {
 public:
  void SetUp() override {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    gdiplus_ = std::make_unique<GdiPlusSession>();
    Dialogs::setTestMode(true);
  }
  void TearDown() override { gdiplus_.reset(); }

 private:
  std::unique_ptr<GdiPlusSession> gdiplus_;
};
const auto* const kSession = ::testing::AddGlobalTestEnvironment(new Session);

// Runs the thread's messages until `done` (true) or 20 seconds (false).
bool pumpUntil(const std::function<bool()>& done, int limitMs = 20000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!translateKeys(m)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
      }
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    ::Sleep(5);
  }
}

void pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  pumpUntil([&] { return std::chrono::steady_clock::now() >= until; }, ms + 1000);
}

class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::clearShown();
    state.ApplicationFolder = kAppDir;
    state.SettingsFolder = settings.str();
    options.screenHeight = [this] { return screenHeight; };
    options.exitNow = [this] { exited = true; };
    options.endProgram = [this] { ended = true; };
  }
  void TearDown() override { window.reset(); }

  void open() {
    window.reset();
    state = ProgramState();
    state.ApplicationFolder = kAppDir;
    state.SettingsFolder = settings.str();
    window = std::make_unique<MainWindow>(state, options);
    window->show(SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([this] { return window->painted(); }));
    pump(50);  // the calls the first paint posted
  }
  HWND main() const { return window->hwnd(); }
  HWND list() const { return window->control(kLstPlaylist); }
  Scale scale() const { return Scale{dpiOf(main())}; }
  RECT designed(int l, int t, int w, int h) const { return scale().rect({l, t, w, h}); }

  POINT centre(int id) const {
    const RECT r = window->controlRect(id);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void moveTo(int id) {
    const POINT p = centre(id);
    ::SendMessageW(main(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  }
  void click(int id) {
    moveTo(id);
    const POINT p = centre(id);
    ::SendMessageW(main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::SendMessageW(main(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  void menu(int id) { ::SendMessageW(main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // A click on a row of the playlist, with Ctrl or Shift held as `keys` says.
  void clickRow(int row, WPARAM keys = 0) {
    RECT r{};
    ::SendMessageW(list(), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::SendMessageW(list(), WM_LBUTTONUP, keys, at);
    pump(10);
  }
  void pressKey(HWND target, WPARAM key) {
    ::SendMessageW(target, WM_KEYDOWN, key, 1);
    ::SendMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }
  // Files dropped from Explorer: a drop handle as the shell makes it.
  void drop(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& p : paths) names += wide(p) + L'\0';
    names += L'\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::PostMessageW(list(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    pump(20);
  }
  void typeModFolder(const std::string& folder) {
    HWND combo = window->control(kCboSteamFolder);
    ::SetWindowTextW(combo, wide(folder).c_str());
    ::SendMessageW(main(), WM_COMMAND, MAKEWPARAM(kCboSteamFolder, CBN_EDITCHANGE),
                   reinterpret_cast<LPARAM>(combo));
  }
  std::vector<std::string> rows() const {
    std::vector<std::string> out;
    const auto count = ::SendMessageW(list(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring text(static_cast<std::size_t>(::SendMessageW(list(), LB_GETTEXTLEN, i, 0)) + 1,
                        L'\0');
      ::SendMessageW(list(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(text.size() - 1);
      out.push_back(narrow(text));
    }
    return out;
  }
  std::vector<int> selectedRows() const {
    std::vector<int> out;
    const auto count = ::SendMessageW(list(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      if (::SendMessageW(list(), LB_GETSEL, i, 0) > 0) out.push_back(static_cast<int>(i));
    }
    return out;
  }
  // Runs `inside` once the modal window the menu command opens is there.
  void whileModal(int command, std::function<void()> inside) {
    bool ran = false;
    ::PostMessageW(main(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    window->post([&] {
      inside();
      ran = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return ran; }));
    pump(20);
  }
  // A music folder with three tracks of the sample's bytes, named as a
  // player's files are.
  std::vector<std::string> threeTracks() {
    const std::string sample = test::readFile(kAppDir + "\\velloran_glasshour.mp3");
    std::vector<std::string> tracks;
    for (const char* name : {"Intro.mp3", "Two Words.mp3", "Caf\u00e9.mp3"}) {
      tracks.push_back(work / ("music\\" + std::string(name)));
      test::writeFile(tracks.back(), sample);
    }
    return tracks;
  }
  std::string modFolder(const std::string& name) {
    const std::string mod = work / (name + "\\cstrike");
    test::writeFile(mod + "\\gfx\\shell\\kb_act.lst",
                    test::readFile(kAppDir + "\\kb_act\\cstrike\\kb_act.lst"));
    return mod;
  }

  TempDir settings;
  TempDir work;
  ProgramState state;
  MainWindowOptions options;
  int screenHeight = 1024;
  bool exited = false;
  bool ended = false;
  std::unique_ptr<MainWindow> window;
};

bool sameRect(const RECT& a, const RECT& b) {
  return ::EqualRect(&a, &b) != FALSE;
}

std::string str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST_F(Win32Window, StandsAtTheDesignsRectanglesWithTheSkinChained) {
  open();
  RECT client;
  ::GetClientRect(main(), &client);
  EXPECT_EQ(client.right, scale().px(15330));
  EXPECT_EQ(client.bottom, scale().px(11490));
  EXPECT_EQ(windowText(main()), kMainCaption);
  EXPECT_TRUE(sameRect(window->controlRect(kLstPlaylist), designed(840, 5220, 13335, 4830)))
      << str(window->controlRect(kLstPlaylist));
  EXPECT_TRUE(sameRect(window->controlRect(kChkDelete), designed(960, 10080, 4935, 255)));
  const RECT combo = window->controlRect(kCboSteamFolder);
  EXPECT_EQ(combo.left, scale().px(810));
  EXPECT_EQ(combo.top, scale().px(4560));
  EXPECT_EQ(combo.right - combo.left, scale().px(5610));
  // The button row follows the pictures' widths; the move buttons stand
  // 5 twips right of the list; each hover image lies on its button, hidden.
  const int row[] = {kImgLeftside, kImgAdd,         kImgPlaylist,
                     kImgRemove,   kImgWriteScript, kImgRightside};
  for (std::size_t i = 1; i < std::size(row); ++i) {
    EXPECT_EQ(window->controlRect(row[i]).left, window->controlRect(row[i - 1]).right) << i;
    EXPECT_EQ(window->controlRect(row[i]).top, scale().px(2490));
  }
  EXPECT_EQ(window->controlRect(kCmdTrackup).left, scale().px(14180));
  EXPECT_EQ(window->controlRect(kCmdTrackDown).left, scale().px(14180));
  EXPECT_TRUE(sameRect(window->controlRect(kImgAddb), window->controlRect(kImgAdd)));
  for (int hover : {kImgAddb, kImgPlaylistb, kImgRemoveb, kImgWriteScriptb}) {
    EXPECT_FALSE(window->controlVisible(hover));
  }
  EXPECT_TRUE(window->menuChecked(kMnuEnglish));
  EXPECT_FALSE(window->menuChecked(kMnuGerman));
  EXPECT_FALSE(window->menuChecked(kMnuDev));
  // The first start: the sample track is the playlist, and its copy is
  // offered once the window has drawn itself.
  EXPECT_EQ(rows(), std::vector<std::string>{"velloran_glasshour.mp3"});
  ASSERT_EQ(Dialogs::shown().size(), 1u);
  EXPECT_EQ(Dialogs::shown()[0].caption, "Copy Track");
  EXPECT_TRUE(Dialogs::shown()[0].question);
}

TEST_F(Win32Window, ALowScreenGetsTheShortenedWindow) {
  screenHeight = 768;
  open();
  RECT outer;
  ::GetWindowRect(main(), &outer);
  EXPECT_EQ(outer.bottom - outer.top, scale().px(11190));
  screenHeight = 864;
  open();
  RECT client;
  ::GetClientRect(main(), &client);
  EXPECT_EQ(client.bottom, scale().px(11490));
}

TEST_F(Win32Window, HoverImagesFollowThePointerAndALitButtonRunsItsCommand) {
  open();
  moveTo(kImgAdd);
  EXPECT_TRUE(window->controlVisible(kImgAddb));
  moveTo(kImgLeftside);  // no reaction: the image stays lit
  EXPECT_TRUE(window->controlVisible(kImgAddb));
  moveTo(kImgPlaylist);
  EXPECT_TRUE(window->controlVisible(kImgPlaylistb));
  EXPECT_TRUE(window->controlVisible(kImgAddb));
  moveTo(kImgPlaylistb);  // a lit image darkens the other three
  EXPECT_FALSE(window->controlVisible(kImgAddb));
  moveTo(kImgPlbg);
  EXPECT_FALSE(window->controlVisible(kImgPlaylistb));

  moveTo(kImgAdd);
  click(kImgAddb);
  ASSERT_EQ(Dialogs::opened().size(), 1u);
  EXPECT_EQ(Dialogs::opened()[0].filter,
            "Music Files (*.mp3,*.flac,*.ogg,*.opus,*.m4a,*.wav)|*.mp3; *.flac; *.ogg; *.opus; "
            "*.m4a; *.wav");
  EXPECT_FALSE(window->controlVisible(kImgAddb));
  Dialogs::queueFiles({});
  menu(kMnuAddPlaylist);
  ASSERT_EQ(Dialogs::opened().size(), 2u);
  EXPECT_EQ(Dialogs::opened()[1].filter, "Playlist Files (*.pls,*.m3u)|*.pls; *.m3u");
}

TEST_F(Win32Window, ThePlaylistTakesDropsTheDeleteKeyAndMoves) {
  open();
  const auto tracks = threeTracks();
  drop(tracks);
  EXPECT_EQ(rows(), (std::vector<std::string>{"velloran_glasshour.mp3", "Intro.mp3",
                                              "Two Words.mp3", "Caf\u00e9.mp3"}));
  clickRow(0);
  pressKey(list(), VK_DELETE);
  EXPECT_EQ(rows(), (std::vector<std::string>{"Intro.mp3", "Two Words.mp3", "Caf\u00e9.mp3"}));
  clickRow(2);
  click(kCmdTrackup);
  EXPECT_EQ(rows(), (std::vector<std::string>{"Intro.mp3", "Caf\u00e9.mp3", "Two Words.mp3"}));
  EXPECT_EQ(selectedRows(), std::vector<int>{1});  // the selection moves with the track
  click(kCmdTrackDown);
  EXPECT_EQ(rows(), (std::vector<std::string>{"Intro.mp3", "Two Words.mp3", "Caf\u00e9.mp3"}));
  // Ctrl adds a row to the selection; Delete removes both.
  clickRow(0);
  clickRow(2, MK_CONTROL);
  EXPECT_EQ(selectedRows(), (std::vector<int>{0, 2}));
  pressKey(list(), VK_DELETE);
  EXPECT_EQ(rows(), std::vector<std::string>{"Two Words.mp3"});
  EXPECT_EQ(state.TrackCount(), 1);
  // The open dialog takes several files at once.
  Dialogs::queueFiles({tracks[0], tracks[2]});
  menu(kMnuAddTrack);
  ASSERT_FALSE(Dialogs::opened().empty());
  EXPECT_TRUE(Dialogs::opened().back().several);
  EXPECT_EQ(rows(), (std::vector<std::string>{"Two Words.mp3", "Intro.mp3", "Caf\u00e9.mp3"}));
}

TEST_F(Win32Window, TheLanguageSwitchesSkinCaptionsAndMenu) {
  open();
  click(kImgGerman);
  EXPECT_EQ(narrow(window->controlText(kLblDragCaption)), TextsOf(kGerman).dragCaption);
  EXPECT_EQ(narrow(window->controlText(kLblModPath)), TextsOf(kGerman).modPath);
  EXPECT_EQ(narrow(window->controlText(kChkDelete)), TextsOf(kGerman).deleteUnused);
  EXPECT_TRUE(window->menuChecked(kMnuGerman));
  EXPECT_FALSE(window->menuChecked(kMnuEnglish));
  EXPECT_EQ(state.Language, kGerman);
  // The German pictures have their own widths; the row still joins up.
  EXPECT_EQ(window->controlRect(kImgRemove).left, window->controlRect(kImgPlaylist).right);
  EXPECT_EQ(window->controlRect(kImgRightside).left, window->controlRect(kImgWriteScript).right);
  menu(kMnuEnglish);
  EXPECT_EQ(narrow(window->controlText(kLblModPath)), TextsOf(kEnglish).modPath);
  EXPECT_TRUE(window->menuChecked(kMnuEnglish));
  menu(kMnuDev);
  EXPECT_TRUE(window->menuChecked(kMnuDev));
  menu(kMnuDev);
  EXPECT_FALSE(window->menuChecked(kMnuDev));
}

// The player picks a volume from the game's steps, as a click in the list
// would: the box tells the dialog its new choice.
void chooseVolume(HWND dialog, int id, int volume) {
  HWND box = ::GetDlgItem(dialog, id);
  ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(OptionsForm::VolumeChoiceIndex(volume)), 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

int shownVolume(HWND dialog, int id) {
  const auto index = ::SendMessageW(::GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0);
  return OptionsForm::VolumeChoices()[static_cast<std::size_t>(index)];
}

TEST_F(Win32Window, OptionsOfferTheGamesStepsAndApplyThem) {
  open();
  whileModal(kMnuOptions, [&] {
    HWND dialog = window->optionsWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_FALSE(::IsWindowEnabled(main()));  // modal
    EXPECT_EQ(windowText(dialog), L"Tunebelt - Options");
    const auto steps = ::SendMessageW(::GetDlgItem(dialog, kCboMP3Vol), CB_GETCOUNT, 0, 0);
    EXPECT_EQ(static_cast<std::size_t>(steps), OptionsForm::VolumeChoices().size());
    EXPECT_EQ(shownVolume(dialog, kCboMP3Vol), state.Mp3Volume);
    chooseVolume(dialog, kCboMP3Vol, 50);
    chooseVolume(dialog, kCboGameVol, 15);
    // The audio options: off and 192 kb/s at first.
    HWND level = ::GetDlgItem(dialog, kChkLevel);
    HWND rate = ::GetDlgItem(dialog, kCboBitrate);
    EXPECT_EQ(windowText(level), L"Level loudness of the copies");
    EXPECT_EQ(::SendMessageW(level, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(windowText(rate), L"192 kb/s");
    ::SendMessageW(level, BM_CLICK, 0, 0);
    ::SendMessageW(rate, CB_SETCURSEL, 5, 0);  // 320 kb/s
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCboBitrate, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(rate));
    ::SendMessageW(::GetDlgItem(dialog, kCmdOk), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(state.LevelLoudness);
  EXPECT_EQ(state.BitrateKbps, 320);
  EXPECT_TRUE(::IsWindowEnabled(main()));
  EXPECT_FALSE(::IsWindowVisible(window->optionsWindow()));
  EXPECT_EQ(state.Mp3Volume, 50);
  EXPECT_EQ(state.GameVolume, 15);
  ProgramState stored;
  LoadSettings(settings / "settings.jst", stored);
  EXPECT_EQ(stored.Mp3Volume, 50);
  EXPECT_EQ(stored.GameVolume, 15);
  EXPECT_TRUE(stored.LevelLoudness);
  EXPECT_EQ(stored.BitrateKbps, 320);
  // Cancel: nothing applied, and the same dialog shows the stored values.
  whileModal(kMnuOptions, [&] {
    HWND dialog = window->optionsWindow();
    chooseVolume(dialog, kCboMP3Vol, 70);
    EXPECT_EQ(shownVolume(dialog, kCboMP3Vol), 70);
    ::SendMessageW(::GetDlgItem(dialog, kCmdCancel), BM_CLICK, 0, 0);
    EXPECT_EQ(shownVolume(dialog, kCboMP3Vol), 50);
  });
  EXPECT_EQ(state.Mp3Volume, 50);
}

TEST_F(Win32Window, TheAboutBoxRollsTheCreditsAndIsDiscardedWhenClosed) {
  open();
  whileModal(kMnuAbout, [&] {
    HWND about = window->aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(windowText(about), L"Tunebelt - About");
    const CreditsRoll* roll = window->creditsRoll();
    ASSERT_NE(roll, nullptr);
    ASSERT_FALSE(roll->empty());
    EXPECT_FALSE(roll->visible());
    const int start = roll->startTop();
    // The 40 ms timer moves the roll: the first credit shows and rises.
    ASSERT_TRUE(pumpUntil([&] { return roll->visible() && roll->positionTop() < start - 40; }));
    EXPECT_EQ(roll->nameTop(), roll->positionTop() + CreditsRoll::kPositionHeight);
    ::SendMessageW(about, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(window->aboutWindow(), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(main()));
}

// The same three tracks saved through the window (mod folder typed, files
// dropped, the sample removed with Delete, the save button clicked) and by
// tunebelt-cli.exe give the same files, byte for byte.
TEST_F(Win32Window, ASaveThroughTheWindowWritesWhatTheCliWrites) {
  open();
  const auto tracks = threeTracks();
  const std::string byWindow = modFolder("window");
  const std::string byCli = modFolder("cli");
  typeModFolder(byWindow);
  drop(tracks);
  clickRow(0);
  pressKey(list(), VK_DELETE);
  ASSERT_EQ(rows().size(), 3u);
  click(kImgWriteScript);
  // Until the window's thread has heard that the save ended, what would
  // touch the playlist or the folder takes no click.
  EXPECT_FALSE(window->menuEnabled(kMnuAddTrack));
  EXPECT_FALSE(window->menuEnabled(kMnuOptions));
  EXPECT_FALSE(window->controlEnabled(kImgAdd));
  EXPECT_FALSE(window->controlEnabled(kCmdTrackup));
  moveTo(kImgAdd);
  EXPECT_FALSE(window->controlVisible(kImgAddb));
  ASSERT_TRUE(pumpUntil([&] { return !window->model().busy(); }, 60000));
  pump(50);
  EXPECT_TRUE(window->menuEnabled(kMnuAddTrack));
  EXPECT_TRUE(window->controlEnabled(kImgAdd));
  EXPECT_TRUE(window->controlEnabled(kCboSteamFolder));
  ASSERT_NE(window->progressWindow(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(window->progressWindow()));
  for (const auto& shown : Dialogs::shown()) {
    EXPECT_NE(shown.caption, std::string(kErrorCaption)) << shown.text;
  }
  // The save remembered the folder; the cache label names its size.
  EXPECT_NE(narrow(window->controlText(kLblCacheSize)).find("cache size"), std::string::npos);

  TempDir scratch;
  std::vector<std::string> args = {"save",
                                   "--mod",
                                   byCli,
                                   "--mp3-volume",
                                   std::to_string(state.Mp3Volume),
                                   "--game-volume",
                                   std::to_string(state.GameVolume)};
  args.insert(args.end(), tracks.begin(), tracks.end());
  test::Child cli(kCli, args, scratch / "out.txt", scratch / "err.txt");
  ASSERT_EQ(cli.wait(), 0) << test::readFile(scratch / "err.txt");

  const auto windowFiles = test::treeContents(byWindow);
  const auto cliFiles = test::treeContents(byCli);
  EXPECT_EQ(windowFiles, cliFiles);
  EXPECT_EQ(windowFiles.count("mp3s\\Caf\u00e9.mp3"), 1u);
  EXPECT_EQ(windowFiles.count("playlist1.cfg"), 1u);
  EXPECT_EQ(windowFiles.count("mp3.cfg"), 1u);

  // The save remembered the folder: the box lists it, and choosing its
  // entry puts the folder (not the entry's words) into the box.
  const auto& folders = window->model().modFolderEntryFolders();
  const auto entry = std::find(folders.begin(), folders.end(), byWindow);
  ASSERT_NE(entry, folders.end());
  HWND combo = window->control(kCboSteamFolder);
  EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(folders.size()));
  typeModFolder("");
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry - folders.begin()), 0);
  ::SendMessageW(main(), WM_COMMAND, MAKEWPARAM(kCboSteamFolder, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  pump(50);
  EXPECT_EQ(narrow(windowText(combo)), byWindow);
  EXPECT_EQ(window->model().modFolderText(), byWindow);
}

// "..." opens the system's folder picker; the folder chosen goes into the
// box, and the cache label measures it.
TEST_F(Win32Window, TheFolderPickerFillsTheBoxAndTheCacheLabelFollows) {
  open();
  const std::string mod = modFolder("picked");
  test::writeFile(mod + "\\mp3s\\a.mp3", std::string(4096, 'x'));
  const std::wstring before = window->controlText(kLblCacheSize);
  Dialogs::queueFolder(mod);
  click(kLblBrowse);
  ASSERT_FALSE(Dialogs::opened().empty());
  EXPECT_EQ(Dialogs::opened().back().filter, "folder");
  EXPECT_EQ(narrow(windowText(window->control(kCboSteamFolder))), mod);
  EXPECT_EQ(window->model().modFolderText(), mod);
  ASSERT_TRUE(pumpUntil([&] { return window->controlText(kLblCacheSize) != before; }));
  EXPECT_NE(window->controlText(kLblCacheSize).find(L"4 KB"), std::wstring::npos)
      << narrow(window->controlText(kLblCacheSize));
  // Cancelled: the box keeps its folder.
  click(kLblBrowse);
  EXPECT_EQ(narrow(windowText(window->control(kCboSteamFolder))), mod);
}

// The open dialog's file types from the core's filters: a name and the
// patterns, spaces gone from between them.
TEST(Win32Dialogs, FileTypesFromTheCoresFilters) {
  using Types = std::vector<std::pair<std::wstring, std::wstring>>;
  EXPECT_EQ(Dialogs::fileTypes("MP3 Files (*.mp3)|*.mp3"),
            (Types{{L"MP3 Files (*.mp3)", L"*.mp3"}}));
  EXPECT_EQ(Dialogs::fileTypes("Playlist Files (*.pls,*.m3u)|*.pls; *.m3u"),
            (Types{{L"Playlist Files (*.pls,*.m3u)", L"*.pls;*.m3u"}}));
  EXPECT_EQ(Dialogs::fileTypes("A|*.a|B| *.b ;; *.c |"),
            (Types{{L"A", L"*.a"}, {L"B", L"*.b;*.c"}}));
  EXPECT_TRUE(Dialogs::fileTypes("").empty());
}

TEST_F(Win32Window, CloseAndExitStoreTheSettings) {
  open();
  click(kImgGerman);
  menu(kMnuExit);
  EXPECT_TRUE(exited);
  open();
  EXPECT_TRUE(window->menuChecked(kMnuGerman));
  EXPECT_TRUE(rows().empty());  // the sample track was offered once
  click(kImgEnglish);
  ::SendMessageW(main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(ended);
  EXPECT_FALSE(::IsWindowVisible(main()));
  open();
  EXPECT_TRUE(window->menuChecked(kMnuEnglish));
}

// tunebelt.exe from an application folder of its own: it opens its window,
// and a close through the title bar ends it with its settings written.
TEST(Win32Program, OpensItsWindowAndEndsOnClose) {
  TempDir app;
  fs::copy(test::fsPath(kAppDir), test::fsPath(app.str()), fs::copy_options::recursive);
  fs::remove(test::fsPath(app / "settings.jst"));
  const std::string program = app / "tunebelt.exe";
  fs::copy_file(test::fsPath(kGui), test::fsPath(program), fs::copy_options::overwrite_existing);
  TempDir scratch;
  test::Child child(program, {}, scratch / "out.txt", scratch / "err.txt");
  const DWORD pid = child.processId();
  ASSERT_NE(pid, 0u);
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!search.found && std::chrono::steady_clock::now() < deadline) {
    ::EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(w, &owner);
          wchar_t cls[64] = {};
          ::GetClassNameW(w, cls, 64);
          if (owner == s->pid && std::wstring(cls) == L"TunebeltMain" && ::IsWindowVisible(w)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_NE(search.found, nullptr);
  EXPECT_EQ(windowText(search.found), kMainCaption);
  ::PostMessageW(search.found, WM_CLOSE, 0, 0);
  const auto status = child.waitFor(std::chrono::seconds(30));
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(fs::exists(test::fsPath(app / "settings.jst")));
}

}  // namespace
}  // namespace tunebelt::win32
