// How the core reaches the user. Three roles, each implemented by the window,
// the terminal front end and the tests: the prompts (message boxes, Yes/No
// questions, the open dialog), the progress of a long command, and one
// observer of the state a front end mirrors. Every member is pure virtual, so
// a front end that forgets one does not compile.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

// The three stage indicators of the progress window.
enum class Stage { Generating, Copying, Complete };

inline constexpr std::string_view kCaption = "Tunebelt";
inline constexpr std::string_view kErrorCaption = "Tunebelt - Error";

// A selection of playlist lines: one flag per line.
using Selection = std::vector<bool>;

// The answer to a Yes/No question with a check box.
struct YesNoChoice {
  bool yes = false;
  bool checked = false;  // the check box was ticked
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A message box with an OK button.
  virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // A message box with Yes and No; true for Yes.
  virtual bool askYesNo(std::string_view text, std::string_view caption) = 0;
  // A message box with Yes and No and, under the text, a check box that is
  // not ticked at first.
  virtual YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                           std::string_view checkBoxText) = 0;
  // The open dialog with a filter such as "MP3 Files (*.mp3)|*.mp3", first
  // showing `startFolder`; the chosen path, or an empty string when cancelled.
  virtual std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) = 0;
  // The same dialog taking several files at once: the chosen paths in the
  // order the dialog gives them, none when cancelled.
  virtual std::vector<std::string> chooseOpenFiles(std::string_view filter,
                                                   std::string_view startFolder) = 0;
};

// What a long command shows while it runs: the progress window of a save.
// A window runs such a command on a thread of its own (core/window), so its
// events go on meanwhile; nothing here runs them.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void showProgressWindow() = 0;
  // Generating: GENERATING lit, the other two plain (a save has begun).
  // Copying: GENERATING plain, COPYING lit (COMPLETE untouched).
  // Complete: COPYING plain, COMPLETE lit (GENERATING untouched).
  virtual void setStage(Stage stage) = 0;
  virtual void setScriptText(const std::string& text) = 0;
  virtual void setProgressMaximum(int maximum) = 0;
  virtual void setProgressValue(int value) = 0;
  virtual void setProgressCaption(const std::string& caption) = 0;
};

// How the playlist changed: the lines from `firstChanged` on are new (an
// append) or the whole list is new (firstChanged 0). The selection after the
// change, when the change sets one; nothing keeps the list's own selection.
struct PlaylistChange {
  int firstChanged = 0;
  std::optional<Selection> selection;
  int current = -1;  // the line that becomes current, -1 for none
};

// The state a front end mirrors: the playlist's lines, the mod folder box,
// the remembered folders and the cache label. Every change reaches it here.
class StateObserver {
 public:
  virtual ~StateObserver() = default;
  virtual void playlistChanged(const std::vector<std::string>& lines,
                               const PlaylistChange& change) = 0;
  // The mod folder box's text, written back by the trim.
  virtual void modFolderTextChanged(const std::string& text) = 0;
  // The mod folder box is disabled while a save runs.
  virtual void modFolderEnabledChanged(bool enabled) = 0;
  // A folder appended to the remembered mod folders.
  virtual void modFolderRemembered(const std::string& folder) = 0;
  virtual void cacheLabelChanged(const std::string& text) = 0;
};

// All three roles, for the commands that need more than one.
class Host : public Prompts, public Progress, public StateObserver {};

}  // namespace tunebelt
