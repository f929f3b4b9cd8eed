// frmMain: the program's main window, a view of the window model
// (core/window): it builds the controls, forwards each click, key, drop and
// menu choice to the model, and draws what the model says.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "core/playlist/playlist.h"
#include "core/state/startup.h"
#include "core/state/state.h"
#include "core/window/view.h"
#include "core/window/windowmodel.h"

class QAction;
class QComboBox;
class QListWidget;

namespace tunebelt::qt {

class AboutDialog;
class BrowseDialog;
class CheckBox;
class TextLabel;
class OptionsDialog;
class ClickLabel;
class ImageWidget;
class PlaylistBox;
class ProgressWindow;

struct MainWindowOptions {
  // Run the load handling (settings, language, skin) in the constructor.
  bool runStartUp = true;
  // The screen's available height in pixels; the primary screen's when empty.
  std::function<int()> screenHeight;
  // The height the window manager's frame adds to the window (title bar and
  // borders); read from the window when empty. It is 0 until the window
  // manager has framed the window.
  std::function<int()> frameHeight;
  // Menu "Exit": ends the program without the shut-down steps.
  std::function<void()> exitNow;
  // After the shut-down steps of a close: ends the program.
  std::function<void()> endProgram;
};

inline constexpr const char* kMainCaption = "Tunebelt - Your Game. Your Music.";

// The user's decimal separator as one character ('.' when the locale's is
// not a single ASCII character).
char decimalSeparator();

// The Qt view of the window model: builds the controls, hands each event to
// the model and draws what the model says.
class MainWindow : public QMainWindow, private WindowView {
  Q_OBJECT
 public:
  explicit MainWindow(ProgramState& state, MainWindowOptions options = {},
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  ProgramState& state() { return state_; }
  WindowModel& model() { return *model_; }
  Host& host() { return model_->host(); }
  QString settingsPath() const;
  bool isSaving() const { return model_->busy(); }

  // The controls the tests and the benchmarks look at.
  QComboBox* modFolderBox() const { return cboSteamFolder_; }
  QListWidget* playlistBox() const;
  TextLabel* cacheLabel() const { return lblCacheSize_; }
  ProgressWindow* progressWindow();  // created on first use

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The first paint tells the model, which then offers the copy of the
  // sample track put into the playlist at start.
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void wireRouting();
  void applyWindowSize();
  void refitToFrame();
  Selection selection() const;
  ImageWidget* hoverImage(RowButton button) const;

  // WindowView: what the model asks of the window.
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

  ProgramState& state_;
  MainWindowOptions options_;

  ImageWidget* surface_ = nullptr;
  ImageWidget* imgTitle_ = nullptr;
  ImageWidget* imgAdd_ = nullptr;
  ImageWidget* imgPlaylist_ = nullptr;
  ImageWidget* imgRemove_ = nullptr;
  ImageWidget* imgWriteScript_ = nullptr;
  ImageWidget* imgAddb_ = nullptr;
  ImageWidget* imgPlaylistb_ = nullptr;
  ImageWidget* imgRemoveb_ = nullptr;
  ImageWidget* imgWriteScriptb_ = nullptr;
  ImageWidget* imgPlbg_ = nullptr;
  ImageWidget* imgEnglish_ = nullptr;
  ImageWidget* imgGerman_ = nullptr;
  ImageWidget* cmdTrackup_ = nullptr;
  ImageWidget* cmdTrackDown_ = nullptr;
  TextLabel* lblModPath_ = nullptr;
  TextLabel* lblDragCaption_ = nullptr;
  TextLabel* lblCacheSize_ = nullptr;
  ClickLabel* lblBrowse_ = nullptr;
  ClickLabel* lblTunebelt_ = nullptr;
  ClickLabel* lblVelloran_ = nullptr;
  QComboBox* cboSteamFolder_ = nullptr;
  PlaylistBox* lstPlaylist_ = nullptr;
  CheckBox* chkDelete_ = nullptr;

  // The menu items and the controls of each command, which the model
  // enables and disables.
  std::array<QList<QObject*>, kCommands> commandControls_;
  void addCommandControl(Command command, QObject* control);

  QAction* mnuDev_ = nullptr;
  QAction* mnuEnglish_ = nullptr;
  QAction* mnuGerman_ = nullptr;

  QPointer<ProgressWindow> progress_;
  QPointer<BrowseDialog> browse_;
  QPointer<OptionsDialog> options_dialog_;
  QPointer<AboutDialog> about_;

  bool shortened_ = false;  // the screen was too low for the designed height
  int appliedFrame_ = 0;    // the frame height the shortened size was worked out with
  bool painted_ = false;

  // Last, so it goes first: a job still running ends while the controls
  // it draws into are there.
  std::unique_ptr<WindowModel> model_;
};

}  // namespace tunebelt::qt
