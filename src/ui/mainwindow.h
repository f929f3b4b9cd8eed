// frmMain: the program's main window. It builds the controls, forwards each
// click, key, drop and menu choice to a core command, and mirrors the
// program state into the controls.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "core/playlist/playlist.h"
#include "core/state/startup.h"
#include "core/state/state.h"
#include "core/window/cachewalk.h"

class QAction;
class QComboBox;
class QListWidget;

namespace tunebelt::ui {

class AboutDialog;
class BrowseDialog;
class CheckBox;
class TextLabel;
class OptionsDialog;
class ClickLabel;
class ImageWidget;
class PlaylistBox;
class ProgressWindow;
class UiHost;

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

class MainWindow : public QMainWindow, private StartUpWindow {
  Q_OBJECT
 public:
  explicit MainWindow(ProgramState& state, MainWindowOptions options = {},
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  ProgramState& state() { return state_; }
  Host& host();
  QString settingsPath() const;
  bool isSaving() const { return saving_; }

  // A remembered folder joins the box's list after the remembered ones,
  // before the offered ones (one of which it may have been).
  void addRememberedFolder(const QString& folder);

  // The controls the host writes to.
  QComboBox* modFolderBox() const { return cboSteamFolder_; }
  QListWidget* playlistBox() const;
  TextLabel* cacheLabel() const { return lblCacheSize_; }
  // The label a command worked out: a walk still running is dropped.
  void showCacheLabel(const QString& text);
  ProgressWindow* progressWindow();  // created on first use
  // Shows the progress window; one that is not open yet opens centred over
  // this window, below its menu bar.
  void showProgressWindow();
  void hideHoverImages();

  void switchToEnglish();
  void switchToGerman();
  // The list box shows the playlist's lines after a change.
  void showPlaylist(const std::vector<std::string>& lines, const PlaylistChange& change);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The first paint offers the copy of the sample track put into the
  // playlist at start, over the window.
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private slots:
  void showOptions();
  void showAbout();
  void openReadme();
  void toggleDeveloper();
  void openProductPage();
  void openArtistPage();

 private:
  void buildControls();
  void buildMenus();
  void wireRouting();
  void applyWindowSize();
  void refitToFrame();
  void offerSampleTrackCopy();

  // The window's own steps of the start-up (the core runs the sequence).
  void turnOffDeveloperMenu() override;
  void placeHoverImages() override;
  int screenHeightTwips() override;
  void shortenTo(int outerHeightTwips) override;
  void showSettings(const std::vector<std::string>& folders, bool deleteUnused) override;
  void offerModFolders(const std::vector<std::string>& folders) override;
  void applyLanguage(int language) override;

  // The commands of the window.
  void addTrack();
  void importPlaylist();
  void removeTracks();
  void moveUp();
  void moveDown();
  void dropFiles(const QStringList& paths);
  void saveScript();
  void removeFromModFolder();
  void closeIfAskedMeanwhile();
  void browseForModFolder();
  void exitProgram();
  void refreshCacheSize();
  void switchLanguage(int language);

  Selection selection() const;
  // Runs a command unless a save is running; a save's end runs what the user
  // asked for meanwhile that cannot wait (closing, Exit).
  bool busy() const { return saving_; }

  ProgramState& state_;
  MainWindowOptions options_;
  std::unique_ptr<UiHost> host_;
  SettingsFile settings_;
  std::unique_ptr<CacheSizeWalker> cacheWalk_;

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

  QAction* mnuDev_ = nullptr;
  QAction* mnuEnglish_ = nullptr;
  QAction* mnuGerman_ = nullptr;

  QPointer<ProgressWindow> progress_;
  QPointer<BrowseDialog> browse_;
  QPointer<OptionsDialog> options_dialog_;
  QPointer<AboutDialog> about_;

  int rememberedItems_ = 0;      // the box's first items; offered folders follow
  bool saving_ = false;          // a Save Script is running: other commands wait
  bool shortened_ = false;       // the screen was too low for the designed height
  int appliedFrame_ = 0;         // the frame height the shortened size was worked out with
  bool exiting_ = false;         // "Exit" chose to end without the shut-down
  bool sampleTrackPut_ = false;  // the start put the sample track into the list
  bool shutDown_ = false;
  // Asked for while a save ran; done when it ends.
  bool closeAfterSave_ = false;
  bool exitAfterSave_ = false;
};

}  // namespace tunebelt::ui
