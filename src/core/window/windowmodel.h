// The main window's behaviour without a toolkit: what the window shows (the
// playlist's lines and selection, the mod folder box, the cache label, the
// captions in the chosen language, the hover images, what takes input) and
// what each click, key, drop and menu choice does. A view (view.h) draws it.
//
// Threads: the model lives on the window's thread. Save Script and the
// removal run on a worker thread it starts; their progress and messages
// cross to the window's thread as posted calls, and a question blocks the
// worker until the window's thread has the answer. While such a job runs the
// program state belongs to it: every command that would touch the state
// waits (is ignored), and closing or Exit happens when the job has ended.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/modfolder/discovery.h"
#include "core/scripts/savescript.h"
#include "core/state/host.h"
#include "core/state/startup.h"
#include "core/state/state.h"
#include "core/window/cachewalk.h"
#include "core/window/options.h"
#include "core/window/view.h"

namespace tunebelt {

inline constexpr std::string_view kProductPageAddress = "www.tunebelt.net";
inline constexpr std::string_view kArtistPageAddress = "www.velloran.net";
inline constexpr std::string_view kReadmeFile = "readme.txt";

// The captions of each language (1 English, 2 German).
const WindowTexts& TextsOf(int language);

// The progress window's last look after a save that wrote the scripts.
SaveEndState SaveEndOf(const SaveSummary& summary);

class WindowModel : private Host, private StartUpWindow {
 public:
  // `decimalSeparator` is the player's, for the sizes the window shows.
  WindowModel(ProgramState& state, WindowView& view, char decimalSeparator = '.');
  // Waits for a job still running; its questions are then answered No.
  ~WindowModel() override;
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  // The start-up sequence; then the window may show.
  void start();
  // The window has painted for the first time: the copy of the sample track
  // the start put into the playlist is offered (once, after this call).
  void windowPainted();

  // What the window shows.
  const std::vector<std::string>& playlistLines() const { return lines_; }
  const Selection& selection() const { return selection_; }
  const std::string& modFolderText() const { return modFolderText_; }
  // The mod folder box's list as the player reads it, and the folder each
  // entry stands for.
  const std::vector<std::string>& modFolderEntries() const { return entries_; }
  const std::vector<std::string>& modFolderEntryFolders() const { return entryFolders_; }
  bool modFolderEnabled() const { return modFolderEnabled_; }
  bool deleteUnused() const { return deleteUnused_; }
  const std::string& cacheLabel() const { return cacheLabel_; }
  bool hoverImageVisible(RowButton button) const { return hover_[index(button)]; }
  bool commandEnabled(Command command) const { return enabled_[static_cast<std::size_t>(command)]; }
  // A save or a removal is running.
  bool busy() const { return job_.joinable(); }
  ProgramState& state() { return state_; }
  SettingsFile& settings() { return settings_; }
  // What the options dialog shows and stores.
  OptionsForm& options() { return options_; }
  // The core's roles on the window's thread (the dialogs' messages, the
  // progress window).
  Host& host() { return *this; }

  // What the player did to the controls.
  void modFolderEdited(const std::string& text);
  // An entry of the mod folder box's list chosen (by its index): the folder
  // it stands for goes into the box.
  void chooseModFolderEntry(int index);
  void selectionChanged(const Selection& selection);
  void deleteUnusedChanged(bool checked);
  void pointerOverButton(RowButton button);
  void pointerOverHoverImage(RowButton button);
  // The title, the playlist background or the bare window.
  void pointerOverBackground();
  // A click on a button of the row, or on its lit hover image.
  void clickButton(RowButton button, bool onHoverImage);

  // The commands.
  void addTrack();
  void importPlaylist();
  void removeTracks();
  void moveUp();
  void moveDown();
  void dropFiles(const std::vector<std::string>& paths);
  void saveScript();
  void removeFromModFolder();
  void browseForModFolder();
  void switchLanguage(int language);
  void toggleDeveloper();
  void showOptions();
  void showAbout();
  void openReadme();
  void openProductPage();
  void openArtistPage();
  // The title bar's close: true when the window may close now (the settings
  // are written and the program ends). During a job it closes once the job
  // has ended.
  bool close();
  // Menu "Exit": ends the program after the same shut-down as a close
  // (during a job, once it has ended).
  void exit();

 private:
  class WorkerHost;

  static std::size_t index(RowButton button) { return static_cast<std::size_t>(button); }
  void setHover(RowButton button, bool visible);
  void hideHoverImages();
  void refreshCacheSize();
  // Runs `work` on a worker thread; the window's thread ends it.
  void runJob(std::function<void(Host&)> work);
  void endJob();
  void enableJobCommands(bool enabled);
  void shutDown();
  void openPage(std::string_view address);

  // Host, on the window's thread: the core's calls reach the view here.
  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view checkBoxText) override;
  std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) override;
  std::vector<std::string> chooseOpenFiles(std::string_view filter,
                                           std::string_view startFolder) override;
  void showProgressWindow() override;
  void setStage(Stage stage) override;
  void setScriptText(const std::string& text) override;
  void setProgressMaximum(int maximum) override;
  void setProgressValue(int value) override;
  void setProgressCaption(const std::string& caption) override;
  void playlistChanged(const std::vector<std::string>& lines,
                       const PlaylistChange& change) override;
  void modFolderTextChanged(const std::string& text) override;
  void modFolderEnabledChanged(bool enabled) override;
  void modFolderRemembered(const std::string& folder) override;
  void cacheLabelChanged(const std::string& text) override;

  // StartUpWindow.
  void turnOffDeveloperMenu() override;
  void placeHoverImages() override;
  int screenHeightTwips() override;
  void shortenTo(int outerHeightTwips) override;
  void showSettings(const std::vector<std::string>& folders, bool deleteUnused) override;
  void offerModFolders(const std::vector<DiscoveredMod>& mods) override;
  void applyLanguage(int language) override;

  void showEntries();

  ProgramState& state_;
  WindowView& view_;
  char decimalSeparator_;
  SettingsFile settings_;

  std::vector<std::string> lines_;
  Selection selection_;
  std::string modFolderText_;
  std::vector<std::string> remembered_;
  std::vector<DiscoveredMod> offered_;
  std::vector<std::string> entries_;
  std::vector<std::string> entryFolders_;
  bool modFolderEnabled_ = true;
  bool deleteUnused_ = false;
  std::string cacheLabel_;
  std::array<bool, kRowButtons> hover_{};
  std::array<bool, kCommands> enabled_;
  OptionsForm options_;

  // What the save that runs leaves for the window's thread (written by the
  // worker, read once it has been joined).
  bool saving_ = false;
  std::string savedFolder_;
  SaveSummary saveSummary_;

  bool sampleTrackPut_ = false;
  bool exiting_ = false;
  bool shutDown_ = false;
  bool closeAfterJob_ = false;
  bool exitAfterJob_ = false;

  // Calls posted to the window's thread check it: false once the model is
  // gone. Only the window's thread reads or writes it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<WorkerHost> workerHost_;
  std::thread job_;
  std::unique_ptr<CacheSizeWalker> cacheWalk_;
};

}  // namespace tunebelt
