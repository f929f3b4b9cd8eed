// frmMain on Windows: the program's main window, a native view of the window
// model (core/window). It builds the controls, hands each click, key, drop
// and menu choice to the model, and draws what the model says. The pictures
// and labels have no windows of their own: the window draws them in their
// stacking order and finds which one the pointer is over; the mod folder
// box, the playlist and the check box are the system's controls.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/state/credits.h"
#include "core/state/state.h"
#include "core/window/view.h"
#include "core/window/windowmodel.h"
#include "win32/gdi.h"
#include "win32/ids.h"
#include "win32/secondary.h"

namespace tunebelt::win32 {

class AboutDialog;
class OptionsDialog;
class ProgressWindow;

inline constexpr const wchar_t* kMainCaption = L"Tunebelt - Your Game. Your Music.";

struct MainWindowOptions {
  // Run the load handling (settings, language, skin) when built.
  bool runStartUp = true;
  // The height of the screen's work area in pixels; the system's when empty.
  std::function<int()> screenHeight;
  // Menu "Exit": ends the program without the shut-down steps.
  std::function<void()> exitNow;
  // After the shut-down steps of a close: ends the program.
  std::function<void()> endProgram;
};

class MainWindow : public WindowBase, public WindowView {
 public:
  explicit MainWindow(ProgramState& state, MainWindowOptions options = {});
  ~MainWindow() override;

  void show(int how);
  WindowModel& model() { return *model_; }
  ProgramState& state() { return state_; }

  // Where a picture or label is drawn, in client pixels, and whether it
  // shows; a control with a window of its own answers for its window.
  RECT controlRect(int id) const;
  bool controlVisible(int id) const;
  std::wstring controlText(int id) const;
  HWND control(int id) const { return ::GetDlgItem(hwnd_, id); }
  HWND progressWindow() const;
  HWND optionsWindow() const;
  HWND aboutWindow() const;
  const CreditsRoll* creditsRoll() const;
  bool menuChecked(int id) const;
  bool menuEnabled(int id) const;
  bool controlEnabled(int id) const;
  // The window has drawn itself at least once.
  bool painted() const { return painted_; }

  // WindowView.
  void post(std::function<void()> call) override;
  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view checkBoxText) override;
  std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) override;
  std::vector<std::string> chooseOpenFiles(std::string_view filter,
                                           std::string_view startFolder) override;
  void showPlaylist(const std::vector<std::string>& lines, const PlaylistChange& change) override;
  void showModFolderText(const std::string& text) override;
  void showModFolderEntries(const std::vector<std::string>& entries) override;
  void showModFolderEnabled(bool enabled) override;
  void showDeleteUnused(bool checked) override;
  void showCacheLabel(const std::string& text) override;
  void showLanguage(int language, const WindowTexts& texts) override;
  void showDeveloperMode(bool on) override;
  void showHoverImage(RowButton button, bool visible) override;
  void showCommandEnabled(Command command, bool enabled) override;
  void showProgressWindow() override;
  void showStage(Stage stage) override;
  void showScriptText(const std::string& text) override;
  void showProgressMaximum(int maximum) override;
  void showProgressValue(int value) override;
  void showProgressCaption(const std::string& caption) override;
  void showSaveEnd(const SaveEndState& end) override;
  void placeHoverImages() override;
  int screenHeightTwips() override;
  void shortenTo(int outerHeightTwips) override;
  void openDialog(Dialog dialog) override;
  bool openWebPage(std::string_view address) override;
  bool openDocument(const std::string& path) override;
  void closeWindow() override;
  void endProgram() override;
  void exitNow() override;

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  enum class Kind { Picture, Stretched, Text };
  // A picture or label the window draws.
  struct Item {
    int id = 0;
    Kind kind = Kind::Picture;
    TwipsRect rect;  // where it is, in twips
    bool visible = true;
    bool enabled = true;  // a disabled one is drawn dimmed and takes no pointer
    Picture picture;
    std::wstring text;
    const wchar_t* face = nullptr;
    double points = 0;
    bool bold = false;
    bool italic = false;
    COLORREF colour = kWhite;
    UINT format = DT_SINGLELINE | DT_NOPREFIX;
    Font font;  // fitted to the text and the DPI; made again when empty
  };

  void buildMenus();
  void buildItems();
  void buildControls();
  void layoutControls();
  void applyWindowSize();
  void loadSkin(const char* skin);
  Item* item(int id);
  const Item* item(int id) const;
  Item* itemAt(POINT p);
  void setText(int id, std::wstring text);
  void invalidateItem(const Item& it);
  void paint();
  void mouseMoved(POINT p);
  void clicked(int id);
  void command(int id, int notification, HWND from);
  void setModFolderFromPlayer(const std::string& folder);
  void hideAll();
  Selection selection() const;
  void dpiChanged(UINT dpi, const RECT* suggested);
  static LRESULT CALLBACK listProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  ProgramState& state_;
  MainWindowOptions options_;
  Scale scale_;
  std::vector<Item> items_;  // from the top of the stack to its bottom
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  Font listFont_;
  Font checkFont_;
  int pressed_ = 0;  // the item a button went down on
  bool painted_ = false;
  bool shortened_ = false;
  int shortenedTwips_ = 0;
  std::unique_ptr<ProgressWindow> progress_;
  std::unique_ptr<OptionsDialog> options_dialog_;
  std::unique_ptr<AboutDialog> about_;
  // Last, so it goes first: a job still running ends while the controls
  // it draws into are there.
  std::unique_ptr<WindowModel> model_;
};

// The user's decimal separator as one character ('.' when it is not a
// single ASCII character).
char decimalSeparator();

}  // namespace tunebelt::win32
