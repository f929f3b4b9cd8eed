#include "win32/mainwindow.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "core/modfolder/discovery.h"
#include "core/state/startup.h"
#include "platform/fs.h"
#include "win32/aboutdialog.h"
#include "win32/dialogs.h"
#include "win32/optionsdialog.h"
#include "win32/progresswindow.h"

namespace tunebelt::win32 {

namespace {

constexpr int kClientWidth = 15330;
constexpr int kClientHeight = 11490;
constexpr TwipsRect kListRect{840, 5220, 13335, 4830};
constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// A call posted to the window's thread: lParam holds a std::function.
constexpr UINT kPostedCall = WM_APP + 1;

constexpr const wchar_t* kInitialModPathCaption =
    L"Mod Path: (e.g. C:\\Program Files\\Steam\\steam apps\\<username>\\counter-strike\\cstrike)";

struct SkinStep {
  const char* file;
  int id;
};

// In the order the pictures are loaded.
constexpr SkinStep kSkinSteps[] = {
    {"title.jpg", kImgTitle},          {"leftside.jpg", kImgLeftside},
    {"addtrack.jpg", kImgAdd},         {"addplaylist.jpg", kImgPlaylist},
    {"removetrack.jpg", kImgRemove},   {"savescript.jpg", kImgWriteScript},
    {"rightside.jpg", kImgRightside},  {"playlist.jpg", kImgPlbg},
    {"addtrackg.jpg", kImgAddb},       {"addplaylistg.jpg", kImgPlaylistb},
    {"removetrackg.jpg", kImgRemoveb}, {"savescriptg.jpg", kImgWriteScriptb},
    {"trackup.jpg", kCmdTrackup},      {"trackdown.jpg", kCmdTrackDown},
};

constexpr std::pair<RowButton, int> kButtons[] = {{RowButton::AddTrack, kImgAdd},
                                                  {RowButton::AddPlaylist, kImgPlaylist},
                                                  {RowButton::Remove, kImgRemove},
                                                  {RowButton::SaveScript, kImgWriteScript}};
constexpr std::pair<RowButton, int> kHoverImages[] = {{RowButton::AddTrack, kImgAddb},
                                                      {RowButton::AddPlaylist, kImgPlaylistb},
                                                      {RowButton::Remove, kImgRemoveb},
                                                      {RowButton::SaveScript, kImgWriteScriptb}};

// The menu items and pictures of each command, in Command's order.
struct CommandControls {
  Command command;
  int menu;
  std::vector<int> pictures;
};

const std::vector<CommandControls>& commandControls() {
  static const std::vector<CommandControls> table = {
      {Command::AddTrack, kMnuAddTrack, {kImgAdd, kImgAddb}},
      {Command::AddPlaylist, kMnuAddPlaylist, {kImgPlaylist, kImgPlaylistb}},
      {Command::Remove, kMnuRemove, {kImgRemove, kImgRemoveb}},
      {Command::SaveScript, kMnuSaveScript, {kImgWriteScript, kImgWriteScriptb}},
      {Command::MoveUp, 0, {kCmdTrackup}},
      {Command::MoveDown, 0, {kCmdTrackDown}},
      {Command::Browse, 0, {kLblBrowse}},
      {Command::RemoveFromModFolder, kMnuRemoveFromMod, {}},
      {Command::English, kMnuEnglish, {kImgEnglish}},
      {Command::German, kMnuGerman, {kImgGerman}},
      {Command::Developer, kMnuDev, {}},
      {Command::Options, kMnuOptions, {}},
      {Command::About, kMnuAbout, {}},
  };
  return table;
}

// Paints a veil of accent orange over a disabled control.
void dim(HDC dc, const RECT& box) {
  static const Picture veil = [] {
    HDC screen = ::GetDC(nullptr);
    HBITMAP b = ::CreateCompatibleBitmap(screen, 1, 1);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, b);
    ::SetPixel(mem, 0, 0, kAccentOrange);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return Picture(b, 1, 1);
  }();
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(source, veil.bitmap());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 150, 0};
  ::GdiAlphaBlend(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0,
                  1, 1, blend);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

int hoverImageOf(RowButton button) {
  for (auto [b, id] : kHoverImages) {
    if (b == button) return id;
  }
  return kImgWriteScriptb;
}

TwipsSize sizeOf(const TwipsRect& r) {
  return {r.width, r.height};
}

}  // namespace

char decimalSeparator() {
  wchar_t buf[8] = {};
  if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) == 2 && buf[0] > 32 &&
      buf[0] < 127) {
    return static_cast<char>(buf[0]);
  }
  return '.';
}

MainWindow::MainWindow(ProgramState& state, MainWindowOptions options)
    : state_(state), options_(std::move(options)) {
  if (!options_.exitNow) options_.exitNow = [] { ::PostQuitMessage(0); };
  if (!options_.endProgram) options_.endProgram = [] { ::PostQuitMessage(0); };
  model_ =
      std::make_unique<WindowModel>(state_, static_cast<WindowView&>(*this), decimalSeparator());
  loadSkinFont(state_.ApplicationFolder);
  buildItems();
  buildMenus();
  create(L"TunebeltMain", kMainCaption, kMainStyle, 0, nullptr, menu_, 100, 100);
  scale_.dpi = dpiOf(hwnd_);
  if (!options_.screenHeight) {
    options_.screenHeight = [this] {
      MONITORINFO info{};
      info.cbSize = sizeof info;
      ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
      return static_cast<int>(info.rcWork.bottom - info.rcWork.top);
    };
  }
  buildControls();
  applyWindowSize();
  if (options_.runStartUp) model_->start();
}

MainWindow::~MainWindow() {
  model_.reset();
  progress_.reset();
  options_dialog_.reset();
  about_.reset();
  if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
  setAccelerators(nullptr, nullptr);
}

void MainWindow::show(int how) {
  ::ShowWindow(hwnd_, how);
  ::UpdateWindow(hwnd_);
}

// ---- building ---------------------------------------------------------------

void MainWindow::buildItems() {
  auto picture = [this](int id, TwipsRect r, Kind kind = Kind::Picture) {
    Item it;
    it.id = id;
    it.kind = kind;
    it.rect = r;
    items_.push_back(std::move(it));
  };
  auto text = [this](int id, TwipsRect r, std::wstring caption, const wchar_t* face, double points,
                     COLORREF colour, bool bold = false, bool italic = false) {
    Item it;
    it.id = id;
    it.kind = Kind::Text;
    it.rect = r;
    it.text = std::move(caption);
    it.face = face;
    it.points = points;
    it.colour = colour;
    it.bold = bold;
    it.italic = italic;
    items_.push_back(std::move(it));
  };
  // From the top of the stack to its bottom.
  picture(kCmdTrackDown, {14280, 5640, 375, 375});
  picture(kCmdTrackup, {14280, 5280, 375, 375});
  text(kLblDragCaption, {10680, 5040, 3585, 285}, wide(TextsOf(kEnglish).dragCaption), L"Arial",
       8.25, kDarkGrey, true, true);
  text(kLblCacheSize, {10200, 10080, 4200, 285}, L"Current mp3 cache size: <no mp3 folder>",
       L"Arial", 8.25, kDarkGrey, true);
  text(kLblBrowse, {6480, 4440, 495, 495}, L"...", L"Arial", 20.25, kWhite);
  text(kLblTunebelt, {45, 11205, 3510, 270}, wide(kProductPageAddress), L"Verdana", 9.75, kWhite);
  text(kLblVelloran, {12075, 11205, 3330, 270}, wide(kArtistPageAddress), L"Verdana", 9.75, kWhite);
  picture(kImgGerman, {14865, 60, 375, 210}, Kind::Stretched);
  picture(kImgEnglish, {14400, 60, 375, 210}, Kind::Stretched);
  text(kLblModPath, {840, 3960, 6120, 525}, kInitialModPathCaption, L"Arial", 11.25, kWhite);
  items_.back().format = DT_WORDBREAK | DT_NOPREFIX;
  picture(kImgRightside, {10395, 2490, 4965, 735});
  picture(kImgLeftside, {0, 2490, 480, 735});
  picture(kImgTitle, {0, 0, 15360, 2490}, Kind::Stretched);
  picture(kImgWriteScriptb, {13695, 6930, 2490, 735});
  picture(kImgRemoveb, {13710, 6120, 2805, 735});
  picture(kImgPlaylistb, {13605, 5610, 2430, 735});
  picture(kImgAddb, {13590, 4920, 2205, 735});
  picture(kImgRemove, {5115, 2490, 2805, 735});
  picture(kImgModFold, {10500, 7095, 2250, 300}, Kind::Stretched);
  picture(kImgWriteScript, {7920, 2490, 2475, 735});
  picture(kImgPlaylist, {2685, 2490, 2430, 735});
  picture(kImgAdd, {480, 2490, 2205, 735});
  picture(kImgPlbg, {-15, 3240, 15360, 8295});
  for (int id : {kImgAddb, kImgPlaylistb, kImgRemoveb, kImgWriteScriptb}) item(id)->visible = false;
  item(kImgEnglish)->picture = unionFlagPicture();
  item(kImgGerman)->picture = germanFlagPicture();
}

void MainWindow::buildMenus() {
  menu_ = ::CreateMenu();
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, kMnuAddTrack, L"&Add Track...\tCtrl+O");
  ::AppendMenuW(file, MF_STRING, kMnuAddPlaylist, L"Add &Playlist...\tCtrl+P");
  ::AppendMenuW(file, MF_STRING, kMnuRemove, L"&Remove\tDel");
  ::AppendMenuW(file, MF_STRING, kMnuSaveScript, L"&Save Script\tCtrl+S");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(file, MF_STRING, kMnuExit, L"E&xit");
  HMENU lang = ::CreatePopupMenu();
  ::AppendMenuW(lang, MF_STRING | MF_CHECKED, kMnuEnglish, L"&English");
  ::AppendMenuW(lang, MF_STRING, kMnuGerman, L"&German");
  HMENU tools = ::CreatePopupMenu();
  ::AppendMenuW(tools, MF_STRING, kMnuDev, L"&Developer");
  ::AppendMenuW(tools, MF_STRING, kMnuOptions, L"&Options...");
  ::AppendMenuW(tools, MF_STRING, kMnuRemoveFromMod, L"Remove from &Mod Folder");
  ::AppendMenuW(tools, MF_POPUP, reinterpret_cast<UINT_PTR>(lang), L"&Language");
  HMENU help = ::CreatePopupMenu();
  ::AppendMenuW(help, MF_STRING, kMnuReadme, L"&Readme\tF1");
  ::AppendMenuW(help, MF_STRING, kMnuAbout, L"&About...");
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"&Tools");
  ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");

  ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'O', kMnuAddTrack},
                  {FCONTROL | FVIRTKEY, 'P', kMnuAddPlaylist},
                  {FCONTROL | FVIRTKEY, 'S', kMnuSaveScript},
                  {FVIRTKEY, VK_F1, kMnuReadme}};
  accelerators_ = ::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

void MainWindow::buildControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // In the keyboard's focus order: the list, the mod folder box, the check box.
  ::CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTBOXW, L"",
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY |
                        LBS_NOINTEGRALHEIGHT,
                    0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(kLstPlaylist), instance, nullptr);
  ::CreateWindowExW(
      0, WC_COMBOBOXW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 10,
      10, hwnd_, reinterpret_cast<HMENU>(kCboSteamFolder), instance, nullptr);
  ::CreateWindowExW(0, WC_BUTTONW, wide(TextsOf(kEnglish).deleteUnused).c_str(),
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 10, 10, hwnd_,
                    reinterpret_cast<HMENU>(kChkDelete), instance, nullptr);
  ::SetWindowSubclass(control(kLstPlaylist), &MainWindow::listProc, 1,
                      reinterpret_cast<DWORD_PTR>(this));
  ::DragAcceptFiles(control(kLstPlaylist), TRUE);
  setAccelerators(hwnd_, accelerators_);
  layoutControls();
  ::SetFocus(control(kLstPlaylist));
}

// The windowed controls at the design's rectangles, in fonts of the DPI.
void MainWindow::layoutControls() {
  listFont_ = makeFont(L"Tahoma", 9.75, scale_.dpi);
  checkFont_ = makeFont(L"Arial", 8.25, scale_.dpi);
  auto place = [this](int id, const TwipsRect& r, int extraHeight = 0) {
    const RECT box = scale_.rect(r);
    ::SetWindowPos(control(id), nullptr, box.left, box.top, box.right - box.left,
                   box.bottom - box.top + extraHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  HWND combo = control(kCboSteamFolder);
  ::SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
  ::SendMessageW(control(kLstPlaylist), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()),
                 TRUE);
  ::SendMessageW(control(kChkDelete), WM_SETFONT, reinterpret_cast<WPARAM>(checkFont_.get()), TRUE);
  // The box's own field is the designed height; its list drops below.
  place(kCboSteamFolder, {810, 4560, 5610, 360}, scale_.px(3000));
  ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(8, scale_.px(360) - 6));
  place(kLstPlaylist, kListRect);
  place(kChkDelete, {960, 10080, 4935, 255});
}

void MainWindow::applyWindowSize() {
  SIZE outer = outerSize(kMainStyle, 0, true, scale_.px(kClientWidth), scale_.px(kClientHeight));
  if (shortened_) outer.cy = scale_.px(shortenedTwips_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::dpiChanged(UINT dpi, const RECT* suggested) {
  scale_.dpi = dpi;
  for (Item& it : items_) it.font = Font();
  item(kImgModFold)->picture = Picture();
  layoutControls();
  if (suggested) {
    ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  applyWindowSize();
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---- the skin -----------------------------------------------------------------

void MainWindow::loadSkin(const char* skin) {
  const std::string folder =
      platform::joinPath(platform::joinPath(state_.ApplicationFolder, "background"), skin);
  // A picture that cannot be read leaves the control as it was; the rest
  // still loads.
  for (const SkinStep& step : kSkinSteps) {
    Picture picture = loadPicture(platform::joinPath(folder, step.file));
    if (picture.empty()) continue;
    Item* it = item(step.id);
    it->picture = std::move(picture);
    if (it->kind == Kind::Picture) {
      // A skin picture's pixel is 15 twips, as at 96 DPI.
      it->rect.width = it->picture.width() * 15;
      it->rect.height = it->picture.height() * 15;
    }
  }
  SkinLayoutInput in;
  in.titleHeight = item(kImgTitle)->rect.height;
  in.leftside = sizeOf(item(kImgLeftside)->rect);
  in.add = sizeOf(item(kImgAdd)->rect);
  in.playlist = sizeOf(item(kImgPlaylist)->rect);
  in.remove = sizeOf(item(kImgRemove)->rect);
  in.writeScript = sizeOf(item(kImgWriteScript)->rect);
  in.playlistBackgroundLeft = item(kImgPlbg)->rect.left;
  in.list = kListRect;
  const SkinLayout out = LayoutSkin(in);
  const std::pair<int, TwipsPoint> places[] = {{kImgLeftside, out.leftside},
                                               {kImgAdd, out.add},
                                               {kImgPlaylist, out.playlist},
                                               {kImgRemove, out.remove},
                                               {kImgWriteScript, out.writeScript},
                                               {kImgRightside, out.rightside},
                                               {kImgPlbg, out.playlistBackground},
                                               {kImgAddb, out.addHover},
                                               {kImgPlaylistb, out.playlistHover},
                                               {kImgRemoveb, out.removeHover},
                                               {kImgWriteScriptb, out.writeScriptHover}};
  for (const auto& [id, at] : places) {
    item(id)->rect.left = at.left;
    item(id)->rect.top = at.top;
  }
  item(kCmdTrackup)->rect.left = out.moveButtonsLeft;
  item(kCmdTrackDown)->rect.left = out.moveButtonsLeft;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---- the pictures and labels -----------------------------------------------------

MainWindow::Item* MainWindow::item(int id) {
  for (Item& it : items_) {
    if (it.id == id) return &it;
  }
  return nullptr;
}

const MainWindow::Item* MainWindow::item(int id) const {
  for (const Item& it : items_) {
    if (it.id == id) return &it;
  }
  return nullptr;
}

MainWindow::Item* MainWindow::itemAt(POINT p) {
  for (Item& it : items_) {
    const RECT box = scale_.rect(it.rect);
    if (it.visible && ::PtInRect(&box, p)) return &it;
  }
  return nullptr;
}

RECT MainWindow::controlRect(int id) const {
  if (const Item* it = item(id)) return scale_.rect(it->rect);
  RECT box{};
  HWND child = control(id);
  if (child) {
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&box), 2);
  }
  return box;
}

bool MainWindow::controlVisible(int id) const {
  if (const Item* it = item(id)) return it->visible;
  return ::IsWindowVisible(control(id)) != FALSE;
}

std::wstring MainWindow::controlText(int id) const {
  if (const Item* it = item(id)) return it->text;
  return windowText(control(id));
}

bool MainWindow::menuChecked(int id) const {
  return (::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void MainWindow::setText(int id, std::wstring text) {
  Item* it = item(id);
  it->text = std::move(text);
  it->font = Font();
  invalidateItem(*it);
}

void MainWindow::invalidateItem(const Item& it) {
  const RECT box = scale_.rect(it.rect);
  ::InvalidateRect(hwnd_, &box, FALSE);
}

void MainWindow::paint() {
  BufferedPaint p(hwnd_);
  HDC dc = p.dc();
  ::FillRect(dc, &p.client(), solidBrush(kAccentOrange));
  ::SetBkMode(dc, TRANSPARENT);
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    if (!it->visible) continue;
    RECT box = scale_.rect(it->rect);
    if (it->kind != Kind::Text) {
      if (it->id == kImgModFold && it->picture.empty()) {
        it->picture =
            wordsPicture(L"Mod Folder:", box.right - box.left, box.bottom - box.top, false);
      }
      it->picture.draw(dc, box);
      if (!it->enabled) dim(dc, box);
      continue;
    }
    if (!it->font) {
      it->font = fitFont(dc, it->text, it->face, it->points, scale_.dpi, box, it->format, it->bold,
                         it->italic);
    }
    HGDIOBJ old = ::SelectObject(dc, it->font.get());
    ::SetTextColor(dc, it->colour);
    ::DrawTextW(dc, it->text.c_str(), static_cast<int>(it->text.size()), &box, it->format);
    ::SelectObject(dc, old);
    if (!it->enabled) dim(dc, box);
  }
}

// ---- what the player does ------------------------------------------------------------

void MainWindow::mouseMoved(POINT p) {
  const Item* it = itemAt(p);
  if (it && !it->enabled) return;
  const int id = it ? it->id : 0;
  for (auto [button, image] : kButtons) {
    if (id == image) return model_->pointerOverButton(button);
  }
  for (auto [button, image] : kHoverImages) {
    if (id == image) return model_->pointerOverHoverImage(button);
  }
  // The title, the playlist background and the bare window darken the row;
  // nothing else reacts to the pointer.
  if (id == 0 || id == kImgTitle || id == kImgPlbg) model_->pointerOverBackground();
}

void MainWindow::clicked(int id) {
  if (const Item* it = item(id); it && !it->enabled) return;
  for (auto [button, image] : kButtons) {
    if (id == image) return model_->clickButton(button, false);
  }
  for (auto [button, image] : kHoverImages) {
    if (id == image) return model_->clickButton(button, true);
  }
  switch (id) {
    case kCmdTrackup:
      return model_->moveUp();
    case kCmdTrackDown:
      return model_->moveDown();
    case kImgEnglish:
      return model_->switchLanguage(kEnglish);
    case kImgGerman:
      return model_->switchLanguage(kGerman);
    case kLblBrowse:
      return model_->browseForModFolder();
    case kLblTunebelt:
      return model_->openProductPage();
    case kLblVelloran:
      return model_->openArtistPage();
    default:
      break;
  }
}

void MainWindow::command(int id, int notification, HWND from) {
  if (!from) {  // a menu item or an accelerator
    switch (id) {
      case kMnuAddTrack:
        return model_->addTrack();
      case kMnuAddPlaylist:
        return model_->importPlaylist();
      case kMnuRemove:
        return model_->removeTracks();
      case kMnuSaveScript:
        return model_->saveScript();
      case kMnuExit:
        return model_->exit();
      case kMnuDev:
        return model_->toggleDeveloper();
      case kMnuOptions:
        return model_->showOptions();
      case kMnuRemoveFromMod:
        return model_->removeFromModFolder();
      case kMnuEnglish:
        return model_->switchLanguage(kEnglish);
      case kMnuGerman:
        return model_->switchLanguage(kGerman);
      case kMnuReadme:
        return model_->openReadme();
      case kMnuAbout:
        return model_->showAbout();
      default:
        return;
    }
  }
  if (id == kCboSteamFolder && notification == CBN_EDITCHANGE) {
    model_->modFolderEdited(narrow(windowText(from)));
  } else if (id == kCboSteamFolder && notification == CBN_SELCHANGE) {
    // The box writes the entry's label into its field after this
    // notification; the folder the entry stands for goes there after that.
    const auto index = static_cast<int>(::SendMessageW(from, CB_GETCURSEL, 0, 0));
    post([this, index] { model_->chooseModFolderEntry(index); });
  } else if (id == kLstPlaylist && notification == LBN_SELCHANGE) {
    model_->selectionChanged(selection());
  } else if (id == kChkDelete && notification == BN_CLICKED) {
    model_->deleteUnusedChanged(::SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
  }
}

void MainWindow::setModFolderFromPlayer(const std::string& folder) {
  ::SetWindowTextW(control(kCboSteamFolder), wide(folder).c_str());
  model_->modFolderEdited(folder);
}

Selection MainWindow::selection() const {
  HWND list = control(kLstPlaylist);
  const auto count = static_cast<std::size_t>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
  Selection sel(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    sel[i] = ::SendMessageW(list, LB_GETSEL, i, 0) > 0;
  }
  return sel;
}

// The playlist box: the Delete key and files dropped from Explorer.
LRESULT CALLBACK MainWindow::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<MainWindow*>(data);
  if (message == WM_KEYUP && wParam == VK_DELETE) {
    self->model_->removeTracks();
    return 0;
  }
  if (message == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(wParam);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
      std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
      paths.push_back(narrow(path));
    }
    ::DragFinish(drop);
    self->model_->dropFiles(paths);
    return 0;
  }
  return ::DefSubclassProc(list, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kPostedCall: {
      std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
      (*call)();
      return 0;
    }
    case WM_PAINT:
      paint();
      painted_ = true;
      model_->windowPainted();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      mouseMoved({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONDOWN: {
      const Item* it = itemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      pressed_ = it ? it->id : 0;
      ::SetCapture(hwnd_);
      return 0;
    }
    case WM_LBUTTONUP: {
      ::ReleaseCapture();
      const Item* it = itemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      const int id = pressed_;
      pressed_ = 0;
      if (it && it->id == id) clicked(id);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd_) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(hwnd_, &p);
        const Item* it = itemAt(p);
        if (it && (it->id == kLblTunebelt || it->id == kLblVelloran)) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wParam);
      auto child = reinterpret_cast<HWND>(lParam);
      if (child == control(kChkDelete)) {
        ::SetTextColor(dc, kDarkGrey);
        ::SetBkColor(dc, kLightGrey);
        return reinterpret_cast<LRESULT>(solidBrush(kLightGrey));
      }
      // The list, the mod folder box's field and its drop-down list.
      ::SetTextColor(dc, kWhite);
      ::SetBkColor(dc, kAccentOrange);
      return reinterpret_cast<LRESULT>(solidBrush(kAccentOrange));
    }
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      model_->close();  // the model ends the program, or closes after a job
      return 0;
    default:
      break;
  }
  return WindowBase::handle(message, wParam, lParam);
}

// ---- the view: what the model asks of the window -------------------------------------

void MainWindow::post(std::function<void()> call) {
  auto* posted = new std::function<void()>(std::move(call));
  if (!::PostMessageW(hwnd_, kPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void MainWindow::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
  Dialogs::showMessage(hwnd_, text, caption, icon);
}

bool MainWindow::askYesNo(std::string_view text, std::string_view caption) {
  return Dialogs::askYesNo(hwnd_, text, caption);
}

YesNoChoice MainWindow::askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                             std::string_view checkBoxText) {
  return Dialogs::askYesNoWithCheckBox(hwnd_, text, caption, checkBoxText);
}

std::string MainWindow::chooseOpenFile(std::string_view filter, std::string_view startFolder) {
  auto chosen = Dialogs::chooseOpenFiles(hwnd_, filter, startFolder, false);
  return chosen.empty() ? std::string() : chosen.front();
}

std::vector<std::string> MainWindow::chooseOpenFiles(std::string_view filter,
                                                     std::string_view startFolder) {
  return Dialogs::chooseOpenFiles(hwnd_, filter, startFolder, true);
}

void MainWindow::showPlaylist(const std::vector<std::string>& lines, const PlaylistChange& change) {
  HWND list = control(kLstPlaylist);
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  // Lines before the first changed one stay, with their selection.
  const auto count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
  const int keep = std::clamp(change.firstChanged, 0, count);
  for (int i = count - 1; i >= keep; --i) ::SendMessageW(list, LB_DELETESTRING, i, 0);
  for (std::size_t i = static_cast<std::size_t>(keep); i < lines.size(); ++i) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(lines[i]).c_str()));
  }
  if (change.selection) {
    ::SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (std::size_t i = 0; i < change.selection->size() && i < lines.size(); ++i) {
      if ((*change.selection)[i]) ::SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    }
    if (change.current >= 0 && static_cast<std::size_t>(change.current) < lines.size()) {
      ::SendMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(change.current), FALSE);
    }
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::showModFolderText(const std::string& text) {
  ::SetWindowTextW(control(kCboSteamFolder), wide(text).c_str());
}

// The list changes; the text stays the mod folder the player has.
void MainWindow::showModFolderEntries(const std::vector<std::string>& entries) {
  HWND combo = control(kCboSteamFolder);
  const std::wstring text = windowText(combo);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& folder : entries) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(folder).c_str()));
  }
  ::SetWindowTextW(combo, text.c_str());
}

void MainWindow::showModFolderEnabled(bool enabled) {
  ::EnableWindow(control(kCboSteamFolder), enabled);
}

void MainWindow::showDeleteUnused(bool checked) {
  ::SendMessageW(control(kChkDelete), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::showCacheLabel(const std::string& text) {
  setText(kLblCacheSize, wide(text));
}

void MainWindow::showLanguage(int language, const WindowTexts& texts) {
  const bool german = language == kGerman;
  loadSkin(german ? "german" : "english");
  setText(kLblModPath, wide(texts.modPath));
  setText(kLblDragCaption, wide(texts.dragCaption));
  ::SetWindowTextW(control(kChkDelete), wide(texts.deleteUnused).c_str());
  ::CheckMenuItem(menu_, kMnuEnglish, MF_BYCOMMAND | (german ? MF_UNCHECKED : MF_CHECKED));
  ::CheckMenuItem(menu_, kMnuGerman, MF_BYCOMMAND | (german ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::showDeveloperMode(bool on) {
  ::CheckMenuItem(menu_, kMnuDev, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::showHoverImage(RowButton button, bool visible) {
  Item* it = item(hoverImageOf(button));
  it->visible = visible;
  invalidateItem(*it);
}

void MainWindow::showCommandEnabled(Command command, bool enabled) {
  for (const CommandControls& c : commandControls()) {
    if (c.command != command) continue;
    if (c.menu) {
      ::EnableMenuItem(menu_, static_cast<UINT>(c.menu),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    for (int id : c.pictures) {
      Item* it = item(id);
      it->enabled = enabled;
      invalidateItem(*it);
    }
  }
  ::DrawMenuBar(hwnd_);
}

bool MainWindow::menuEnabled(int id) const {
  return (::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) ==
         0;
}

bool MainWindow::controlEnabled(int id) const {
  if (const Item* it = item(id)) return it->enabled;
  return ::IsWindowEnabled(control(id)) != FALSE;
}

HWND MainWindow::progressWindow() const {
  return progress_ ? progress_->hwnd() : nullptr;
}

HWND MainWindow::optionsWindow() const {
  return options_dialog_ ? options_dialog_->hwnd() : nullptr;
}

HWND MainWindow::aboutWindow() const {
  return about_ ? about_->hwnd() : nullptr;
}

const CreditsRoll* MainWindow::creditsRoll() const {
  return about_ ? &about_->roll() : nullptr;
}

void MainWindow::showProgressWindow() {
  if (!progress_) progress_ = std::make_unique<ProgressWindow>(hwnd_);
  progress_->showOver(hwnd_);
}

void MainWindow::showStage(Stage stage) {
  if (!progress_) progress_ = std::make_unique<ProgressWindow>(hwnd_);
  progress_->setStage(stage);
}

void MainWindow::showScriptText(const std::string& text) {
  if (progress_) progress_->setScriptText(text);
}

void MainWindow::showProgressMaximum(int maximum) {
  if (progress_) progress_->setMaximum(maximum);
}

void MainWindow::showProgressValue(int value) {
  if (progress_) progress_->setValue(value);
}

void MainWindow::showProgressCaption(const std::string& caption) {
  if (progress_) ::SetWindowTextW(progress_->hwnd(), wide(caption).c_str());
}

void MainWindow::showSaveEnd(const SaveEndState& end) {
  if (progress_) progress_->showEnd(end);
}

void MainWindow::placeHoverImages() {
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    const TwipsRect& button = item(kButtons[i].second)->rect;
    TwipsRect& hover = item(kHoverImages[i].second)->rect;
    hover.left = button.left;
    hover.top = button.top;
  }
}

int MainWindow::screenHeightTwips() {
  return scale_.twips(options_.screenHeight());
}

void MainWindow::shortenTo(int outerHeightTwips) {
  shortened_ = true;
  shortenedTwips_ = outerHeightTwips;
  applyWindowSize();
}

void MainWindow::openDialog(Dialog dialog) {
  switch (dialog) {
    case Dialog::Options:
      if (!options_dialog_) {
        options_dialog_ = std::make_unique<OptionsDialog>(model_->options(), hwnd_);
      }
      options_dialog_->runModal();
      if (options_dialog_->discarded()) options_dialog_.reset();
      return;
    case Dialog::About:
      if (!about_) about_ = std::make_unique<AboutDialog>(state_.ApplicationFolder, hwnd_);
      about_->runModal();
      if (about_->discarded()) about_.reset();
      return;
    case Dialog::Browse:
      if (auto folder = Dialogs::chooseFolder(hwnd_, BrowseStartFolder())) {
        setModFolderFromPlayer(*folder);
      }
      return;
  }
}

bool MainWindow::openWebPage(std::string_view address) {
  const auto started = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide(address).c_str(), L"",
                      wide(state_.ApplicationFolder).c_str(), SW_SHOWNORMAL));
  return started > 32;
}

// The read-me goes to Notepad, which every Windows has, maximized.
bool MainWindow::openDocument(const std::string& path) {
  const std::wstring arguments = L"\"" + wide(path) + L"\"";
  const auto started = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", L"notepad.exe", arguments.c_str(),
                      wide(state_.ApplicationFolder).c_str(), SW_SHOWMAXIMIZED));
  return started > 32;
}

void MainWindow::closeWindow() {
  ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// Every other window ends with the program, without closing steps of its own.
void MainWindow::hideAll() {
  for (HWND other : {progressWindow(), optionsWindow(), aboutWindow()}) {
    if (other) ::ShowWindow(other, SW_HIDE);
  }
  ::ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::endProgram() {
  hideAll();
  options_.endProgram();
}

void MainWindow::exitNow() {
  hideAll();
  options_.exitNow();
}

}  // namespace tunebelt::win32
