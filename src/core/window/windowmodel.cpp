#include "core/window/windowmodel.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <future>
#include <utility>

#include "core/modfolder/discovery.h"
#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "core/scripts/removal.h"
#include "core/scripts/savescript.h"
#include "core/state/exists.h"
#include "core/state/settings.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr WindowTexts kEnglishTexts = {
    "Mod Path: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)",
    "Drag Files here to add them to the playlist", "Delete unused mp3 files in the mod folder"};

constexpr WindowTexts kGermanTexts = {
    "Pfad: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)",
    "Files hier her ziehen um sie in die Playlist einzuf\u00fcgen",
    "Unbenutzte mp3 Dateien im Mod Verzeichnis l\u00f6schen"};

constexpr RowButton kRowButtonsInOrder[] = {RowButton::AddTrack, RowButton::AddPlaylist,
                                            RowButton::Remove, RowButton::SaveScript};

// The commands a save or a removal makes wait: every one that touches the
// program state or the mod folder. The links, the read-me and the two ways
// out stay.
constexpr Command kJobIgnores[] = {
    Command::AddTrack, Command::AddPlaylist, Command::Remove,    Command::SaveScript,
    Command::MoveUp,   Command::MoveDown,    Command::Browse,    Command::RemoveFromModFolder,
    Command::English,  Command::German,      Command::Developer, Command::Options,
    Command::About};

// A message about something the desktop could not open. Like every message
// box it has the same English text in both languages.
std::string openFailureText(const std::string& what, bool missing) {
  return "Could not open " + what + ":\n" +
         (missing ? "the file does not exist." : "no program to show it was found.");
}

}  // namespace

const WindowTexts& TextsOf(int language) {
  return language == kGerman ? kGermanTexts : kEnglishTexts;
}

// The core's roles on the worker thread: each call crosses to the window's
// thread as a posted call. Progress and state changes do not wait; a message
// or a question waits for the player, as it would on the window's thread.
class WindowModel::WorkerHost : public Host {
 public:
  explicit WorkerHost(WindowModel& model) : model_(model), alive_(model.alive_) {}

  // The model is going: a question still waiting is answered with its
  // fallback (No, nothing chosen), so the job can end.
  void abandon() { abandoned_ = true; }

  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
    ask<bool>(
        [text = std::string(text), caption = std::string(caption), icon](Host& host) {
          host.showMessage(text, caption, icon);
          return true;
        },
        true);
  }
  bool askYesNo(std::string_view text, std::string_view caption) override {
    return ask<bool>([text = std::string(text), caption = std::string(caption)](
                         Host& host) { return host.askYesNo(text, caption); },
                     false);
  }
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view checkBoxText) override {
    return ask<YesNoChoice>(
        [text = std::string(text), caption = std::string(caption), box = std::string(checkBoxText)](
            Host& host) { return host.askYesNoWithCheckBox(text, caption, box); },
        YesNoChoice{});
  }
  std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) override {
    return ask<std::string>([filter = std::string(filter), start = std::string(startFolder)](
                                Host& host) { return host.chooseOpenFile(filter, start); },
                            std::string());
  }
  std::vector<std::string> chooseOpenFiles(std::string_view filter,
                                           std::string_view startFolder) override {
    return ask<std::vector<std::string>>(
        [filter = std::string(filter), start = std::string(startFolder)](Host& host) {
          return host.chooseOpenFiles(filter, start);
        },
        {});
  }

  void showProgressWindow() override {
    tell([](Host& host) { host.showProgressWindow(); });
  }
  void setStage(Stage stage) override {
    tell([stage](Host& host) { host.setStage(stage); });
  }
  void setScriptText(const std::string& text) override {
    tell([text](Host& host) { host.setScriptText(text); });
  }
  void setProgressMaximum(int maximum) override {
    tell([maximum](Host& host) { host.setProgressMaximum(maximum); });
  }
  void setProgressValue(int value) override {
    tell([value](Host& host) { host.setProgressValue(value); });
  }
  void setProgressCaption(const std::string& caption) override {
    tell([caption](Host& host) { host.setProgressCaption(caption); });
  }
  void playlistChanged(const std::vector<std::string>& lines,
                       const PlaylistChange& change) override {
    tell([lines, change](Host& host) { host.playlistChanged(lines, change); });
  }
  void modFolderTextChanged(const std::string& text) override {
    tell([text](Host& host) { host.modFolderTextChanged(text); });
  }
  void modFolderEnabledChanged(bool enabled) override {
    tell([enabled](Host& host) { host.modFolderEnabledChanged(enabled); });
  }
  void modFolderRemembered(const std::string& folder) override {
    tell([folder](Host& host) { host.modFolderRemembered(folder); });
  }
  void cacheLabelChanged(const std::string& text) override {
    tell([text](Host& host) { host.cacheLabelChanged(text); });
  }

 private:
  template <typename Call>
  void tell(Call call) {
    model_.view_.post([alive = alive_, model = &model_, call = std::move(call)] {
      if (*alive) call(model->host());
    });
  }

  template <typename Answer, typename Question>
  Answer ask(Question question, Answer fallback) {
    auto answer = std::make_shared<std::promise<Answer>>();
    std::future<Answer> future = answer->get_future();
    model_.view_.post(
        [alive = alive_, model = &model_, question = std::move(question), answer, fallback] {
          answer->set_value(*alive ? question(model->host()) : fallback);
        });
    while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
      if (abandoned_) return fallback;
    }
    return future.get();
  }

  WindowModel& model_;
  std::shared_ptr<bool> alive_;
  std::atomic<bool> abandoned_{false};
};

WindowModel::WindowModel(ProgramState& state, WindowView& view, char decimalSeparator)
    : state_(state),
      view_(view),
      decimalSeparator_(decimalSeparator),
      settings_(SettingsFilePath(state)),
      options_(state, settings_, host()),
      workerHost_(std::make_unique<WorkerHost>(*this)) {
  enabled_.fill(true);
  cacheWalk_ = std::make_unique<CacheSizeWalker>(
      [this](std::function<void()> call) { view_.post(std::move(call)); },
      [this](const std::string& text) {
        cacheLabel_ = text;
        view_.showCacheLabel(text);
      });
}

WindowModel::~WindowModel() {
  *alive_ = false;
  cacheWalk_.reset();
  if (job_.joinable()) {
    workerHost_->abandon();
    job_.join();
  }
}

void WindowModel::start() {
  sampleTrackPut_ = RunStartUp(state_, settings_, *this, *this);
  options_.reload();
  std::vector<ModFolderEntry> entries = ModFolderEntries(remembered_, offered_);
  modFolderTextChanged(StartModFolderText(state_, entries));
}

void WindowModel::windowPainted() {
  if (!sampleTrackPut_) return;
  sampleTrackPut_ = false;
  // After the paint has ended: the question then stands over the drawn window.
  view_.post([alive = alive_, this] {
    if (*alive) OfferSampleTrackCopy(state_, settings_, *this);
  });
}

// ---- what the player did to the controls ------------------------------------

void WindowModel::modFolderEdited(const std::string& text) {
  modFolderText_ = text;
  refreshCacheSize();
}

void WindowModel::chooseModFolderEntry(int index) {
  if (busy() || index < 0 || static_cast<std::size_t>(index) >= entryFolders_.size()) return;
  modFolderTextChanged(entryFolders_[static_cast<std::size_t>(index)]);
}

void WindowModel::selectionChanged(const Selection& selection) {
  selection_ = selection;
}

void WindowModel::deleteUnusedChanged(bool checked) {
  deleteUnused_ = checked;
}

void WindowModel::setHover(RowButton button, bool visible) {
  if (hover_[index(button)] == visible) return;
  hover_[index(button)] = visible;
  view_.showHoverImage(button, visible);
}

void WindowModel::hideHoverImages() {
  for (RowButton b : kRowButtonsInOrder) setHover(b, false);
}

// A button lights its own image; a lit image darkens the other three.
void WindowModel::pointerOverButton(RowButton button) {
  setHover(button, true);
}

void WindowModel::pointerOverHoverImage(RowButton button) {
  for (RowButton b : kRowButtonsInOrder) {
    if (b != button) setHover(b, false);
  }
}

void WindowModel::pointerOverBackground() {
  hideHoverImages();
}

void WindowModel::clickButton(RowButton button, bool onHoverImage) {
  switch (button) {
    case RowButton::AddTrack:
      addTrack();
      break;
    case RowButton::AddPlaylist:
      importPlaylist();
      break;
    case RowButton::Remove:
      removeTracks();
      return;
    case RowButton::SaveScript:
      saveScript();
      return;
  }
  // The lit add buttons hide their image once more after the dialog.
  if (onHoverImage) setHover(button, false);
}

// ---- commands ---------------------------------------------------------------

void WindowModel::addTrack() {
  if (busy()) return;
  hideHoverImages();
  AddTrackCommand(state_, *this);
}

void WindowModel::importPlaylist() {
  if (busy()) return;
  hideHoverImages();
  ImportPlaylistCommand(state_, *this);
}

void WindowModel::removeTracks() {
  if (busy()) return;
  hideHoverImages();
  RemoveSelected(state_, selection_, *this);
}

void WindowModel::moveUp() {
  if (busy()) return;
  MoveSelectedUp(state_, selection_, *this);
}

void WindowModel::moveDown() {
  if (busy()) return;
  MoveSelectedDown(state_, selection_, *this);
}

void WindowModel::dropFiles(const std::vector<std::string>& paths) {
  if (busy()) return;
  DropCommand(state_, paths, *this);
}

void WindowModel::saveScript() {
  if (busy()) return;
  SaveOptions options;
  options.plan.deleteUnused = deleteUnused_;
  options.decimalSeparator = decimalSeparator_;
  options.audio.level = state_.LevelLoudness;
  options.audio.bitrateKbps = state_.BitrateKbps;
  options.summary = &saveSummary_;
  saving_ = true;
  saveSummary_ = {};
  savedFolder_ = modFolderText_;
  runJob([this, options](Host& host) mutable { SaveScript(state_, savedFolder_, options, host); });
}

void WindowModel::removeFromModFolder() {
  if (busy()) return;
  runJob([this, modFolder = modFolderText_](Host& host) mutable {
    AskAndRemoveFromModFolder(state_, modFolder, decimalSeparator_, host);
  });
}

void WindowModel::runJob(std::function<void(Host&)> work) {
  enableJobCommands(false);
  job_ = std::thread([this, work = std::move(work)] {
    // The commands tell their own failures; anything else that escapes is
    // told here, and the window takes commands again.
    try {
      work(*workerHost_);
    } catch (const std::exception& e) {
      workerHost_->showMessage(std::string("The command stopped: ") + e.what(), kErrorCaption,
                               MessageIcon::Critical);
    }
    view_.post([alive = alive_, this] {
      if (*alive) endJob();
    });
  });
}

// What the player asked for while the job ran, and could not wait.
void WindowModel::endJob() {
  job_.join();
  enableJobCommands(true);
  if (saving_) {
    saving_ = false;
    if (saveSummary_.scriptsWritten) {
      state_.LastSaveFolder = savedFolder_;
      view_.showSaveEnd(SaveEndOf(saveSummary_));
    }
  }
  if (exitAfterJob_) {
    exit();
  } else if (closeAfterJob_) {
    view_.closeWindow();
  }
}

void WindowModel::enableJobCommands(bool enabled) {
  for (Command c : kJobIgnores) {
    enabled_[static_cast<std::size_t>(c)] = enabled;
    view_.showCommandEnabled(c, enabled);
  }
}

SaveEndState SaveEndOf(const SaveSummary& summary) {
  SaveEndState end;
  end.complete = summary.complete();
  end.maximum = summary.tracks;
  end.value = summary.inGame;
  if (end.complete) {
    end.stageWords = "Complete";
  } else {
    end.stageWords = "Incomplete";
    end.barText = std::to_string(summary.inGame) + " of " + std::to_string(summary.tracks) +
                  " tracks in the game";
  }
  return end;
}

void WindowModel::browseForModFolder() {
  if (busy()) return;  // the mod folder stays as the running job has it
  view_.openDialog(Dialog::Browse);
}

void WindowModel::refreshCacheSize() {
  cacheWalk_->request(modFolderText_, state_.Language, decimalSeparator_);
}

void WindowModel::switchLanguage(int language) {
  if (busy()) return;
  const bool german = language == kGerman;
  state_.Language = german ? kGerman : kEnglish;
  view_.showLanguage(state_.Language, TextsOf(state_.Language));
  refreshCacheSize();
}

void WindowModel::toggleDeveloper() {
  if (!busy()) state_.DebugMode = state_.DebugMode == 1 ? 0 : 1;
  view_.showDeveloperMode(state_.DebugMode == 1);  // unchanged during a job
}

void WindowModel::showOptions() {
  if (busy()) return;
  options_.reload();  // the dialog shows what is stored
  view_.openDialog(Dialog::Options);
}

void WindowModel::showAbout() {
  if (!busy()) view_.openDialog(Dialog::About);
}

void WindowModel::openReadme() {
  const std::string path = platform::joinPath(state_.ApplicationFolder, kReadmeFile);
  if (!FileExists(path)) {
    showMessage(openFailureText(path, true), kErrorCaption, MessageIcon::Critical);
  } else if (!view_.openDocument(path)) {
    showMessage(openFailureText(path, false), kErrorCaption, MessageIcon::Critical);
  }
}

void WindowModel::openProductPage() {
  openPage(kProductPageAddress);
}

void WindowModel::openArtistPage() {
  openPage(kArtistPageAddress);
}

// The browser gets the address with a "/" after it.
void WindowModel::openPage(std::string_view address) {
  const std::string url = std::string(address) + "/";
  if (!view_.openWebPage(url)) {
    showMessage(openFailureText(url, false), kErrorCaption, MessageIcon::Critical);
  }
}

bool WindowModel::close() {
  if (busy()) {
    // Closed once the job is done, so the settings hold the folder a save
    // remembers.
    closeAfterJob_ = true;
    return false;
  }
  if (exiting_ || shutDown_) return true;
  shutDown();
  view_.endProgram();
  return true;
}

void WindowModel::exit() {
  if (busy()) {
    exitAfterJob_ = true;
    return;
  }
  exiting_ = true;
  shutDown();
  view_.exitNow();
}

// Both ways out keep what the player set.
void WindowModel::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  RunShutDown(state_, settings_, deleteUnused_, *this);
}

// ---- Host on the window's thread --------------------------------------------

void WindowModel::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
  view_.showMessage(text, caption, icon);
}

bool WindowModel::askYesNo(std::string_view text, std::string_view caption) {
  return view_.askYesNo(text, caption);
}

YesNoChoice WindowModel::askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                              std::string_view checkBoxText) {
  return view_.askYesNoWithCheckBox(text, caption, checkBoxText);
}

std::string WindowModel::chooseOpenFile(std::string_view filter, std::string_view startFolder) {
  return view_.chooseOpenFile(filter, startFolder);
}

std::vector<std::string> WindowModel::chooseOpenFiles(std::string_view filter,
                                                      std::string_view startFolder) {
  return view_.chooseOpenFiles(filter, startFolder);
}

void WindowModel::showProgressWindow() {
  view_.showProgressWindow();
}

void WindowModel::setStage(Stage stage) {
  // A save has begun: the buttons' hover images go, as for every command.
  if (stage == Stage::Generating) hideHoverImages();
  view_.showStage(stage);
}

void WindowModel::setScriptText(const std::string& text) {
  view_.showScriptText(text);
}

void WindowModel::setProgressMaximum(int maximum) {
  view_.showProgressMaximum(maximum);
}

void WindowModel::setProgressValue(int value) {
  view_.showProgressValue(value);
}

void WindowModel::setProgressCaption(const std::string& caption) {
  view_.showProgressCaption(caption);
}

void WindowModel::playlistChanged(const std::vector<std::string>& lines,
                                  const PlaylistChange& change) {
  lines_ = lines;
  if (change.selection) {
    selection_ = *change.selection;
  } else {
    // An append: the lines before it keep their selection.
    selection_.resize(std::min(selection_.size(), std::size_t(change.firstChanged)));
  }
  selection_.resize(lines_.size(), false);
  view_.showPlaylist(lines, change);
}

// A new text in the box is measured again, as one the player typed.
void WindowModel::modFolderTextChanged(const std::string& text) {
  const bool changed = text != modFolderText_;
  modFolderText_ = text;
  view_.showModFolderText(text);
  if (changed) refreshCacheSize();
}

void WindowModel::modFolderEnabledChanged(bool enabled) {
  modFolderEnabled_ = enabled;
  view_.showModFolderEnabled(enabled);
}

// The remembered folder joins the list after the remembered ones, before
// the offered ones (one of which it may have been).
void WindowModel::modFolderRemembered(const std::string& folder) {
  remembered_.push_back(folder);
  showEntries();
}

void WindowModel::cacheLabelChanged(const std::string& text) {
  cacheWalk_->cancel();  // a walk asked before the command is older
  cacheLabel_ = text;
  view_.showCacheLabel(text);
}

void WindowModel::showEntries() {
  entries_.clear();
  entryFolders_.clear();
  for (ModFolderEntry& entry : ModFolderEntries(remembered_, offered_)) {
    entries_.push_back(std::move(entry.label));
    entryFolders_.push_back(std::move(entry.folder));
  }
  view_.showModFolderEntries(entries_);
}

// ---- the window's steps of the start-up ---------------------------------------

void WindowModel::turnOffDeveloperMenu() {
  view_.showDeveloperMode(false);
}

void WindowModel::placeHoverImages() {
  view_.placeHoverImages();
}

int WindowModel::screenHeightTwips() {
  return view_.screenHeightTwips();
}

void WindowModel::shortenTo(int outerHeightTwips) {
  view_.shortenTo(outerHeightTwips);
}

void WindowModel::showSettings(const std::vector<std::string>& folders, bool deleteUnused) {
  remembered_ = folders;
  deleteUnused_ = deleteUnused;
  showEntries();
  view_.showDeleteUnused(deleteUnused);
}

void WindowModel::offerModFolders(const std::vector<DiscoveredMod>& mods) {
  offered_ = mods;
  showEntries();
}

void WindowModel::applyLanguage(int language) {
  switchLanguage(language);
}

}  // namespace tunebelt
