// The view role: what the window model asks of a window. A view builds its
// controls, hands every click, key, drop and menu choice to the model, and
// draws what the model tells it here; it decides nothing itself. Every member
// is pure virtual, so a view that forgets one does not compile.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"

namespace tunebelt {

// The four skinned buttons of the button row, each with its hover image.
enum class RowButton { AddTrack, AddPlaylist, Remove, SaveScript };
inline constexpr int kRowButtons = 4;

// The secondary windows a command opens modally.
enum class Dialog { Options, About, Browse };

// The commands a view offers as menu items, buttons and pictures. While a
// save or a removal runs, the model disables every one that would be ignored
// and enables them again after (showCommandEnabled); all are enabled at
// first.
enum class Command {
  AddTrack,             // the add-track button and "Add Track..."
  AddPlaylist,          // the add-playlist button and "Add Playlist..."
  Remove,               // the remove button and "Remove"
  SaveScript,           // the save button and "Save Script"
  MoveUp,               // the track-up picture
  MoveDown,             // the track-down picture
  Browse,               // the "..." beside the mod folder box
  RemoveFromModFolder,  // "Remove from Mod Folder"
  English,              // the flag and the menu item
  German,               // the flag and the menu item
  Developer,            // "Developer"
  Options,              // "Options..."
  About,                // "About..."
};
inline constexpr int kCommands = 13;

// How a save that wrote the scripts ended, for the progress window's last
// look. A full save lights its last stage and fills the bar; one that left
// tracks out or could not copy some shows its own words in the last stage's
// place and the bar at the tracks the game got, with `barText` over it.
struct SaveEndState {
  bool complete = true;
  std::string stageWords;  // the last stage's words, "Complete" for a full save
  std::string barText;     // empty for a full save
  int value = 0;           // the bar: the tracks the game got ...
  int maximum = 0;         // ... of the tracks the save was given
};

// The captions of the main window that have a form in each language.
struct WindowTexts {
  std::string_view modPath;
  std::string_view dragCaption;
  std::string_view deleteUnused;
};

// The questions and messages of Prompts are modal: each call returns once
// the player has answered. Every call comes on the window's thread, except
// `post`, which any thread may call.
class WindowView : public Prompts {
 public:
  // Runs `call` on the window's thread after the events already waiting.
  virtual void post(std::function<void()> call) = 0;

  // The playlist's lines after a change (the selection, when it sets one).
  virtual void showPlaylist(const std::vector<std::string>& lines,
                            const PlaylistChange& change) = 0;
  // The mod folder box: its text, its list, whether it takes input. The
  // list's entries are what the player reads (remembered folders first, then
  // the games found, named); choosing one goes to the model as its index
  // (WindowModel::chooseModFolderEntry), which puts the folder it stands for
  // into the box through showModFolderText. A text the model sets is not
  // handed back: the model measures its cache itself.
  virtual void showModFolderText(const std::string& text) = 0;
  virtual void showModFolderEntries(const std::vector<std::string>& entries) = 0;
  virtual void showModFolderEnabled(bool enabled) = 0;
  virtual void showDeleteUnused(bool checked) = 0;
  virtual void showCacheLabel(const std::string& text) = 0;
  // The skin, the captions and the language menu's check marks.
  virtual void showLanguage(int language, const WindowTexts& texts) = 0;
  virtual void showDeveloperMode(bool on) = 0;
  virtual void showHoverImage(RowButton button, bool visible) = 0;
  // Whether the command's menu items, buttons and pictures take a click; a
  // disabled one looks disabled.
  virtual void showCommandEnabled(Command command, bool enabled) = 0;

  // The progress window of a save.
  virtual void showProgressWindow() = 0;
  virtual void showStage(Stage stage) = 0;
  virtual void showScriptText(const std::string& text) = 0;
  virtual void showProgressMaximum(int maximum) = 0;
  virtual void showProgressValue(int value) = 0;
  virtual void showProgressCaption(const std::string& caption) = 0;
  // The save has ended and the scripts are written: its last look.
  virtual void showSaveEnd(const SaveEndState& end) = 0;

  // The window's own steps of the start-up.
  virtual void placeHoverImages() = 0;
  virtual int screenHeightTwips() = 0;
  virtual void shortenTo(int outerHeightTwips) = 0;

  // Shows the dialog modally; returns when it is hidden or closed. The
  // options dialog shows and changes WindowModel::options().
  virtual void openDialog(Dialog dialog) = 0;
  // Hands the address (a "/" appended already) to the web browser; false
  // when nothing took it. The model tells the player.
  virtual bool openWebPage(std::string_view address) = 0;
  // Opens the file with the desktop's program for it (the read-me: a text
  // editor); false when nothing could. The model tells the player.
  virtual bool openDocument(const std::string& path) = 0;

  // Closes the window as its title bar would (the model is asked again).
  virtual void closeWindow() = 0;
  // Ends the program after the shut-down steps, with every window.
  virtual void endProgram() = 0;
  // Ends the program at once, without the shut-down steps.
  virtual void exitNow() = 0;
};

}  // namespace tunebelt
