// How the core reaches the user and the window around it. The window, the
// terminal front end and the tests each implement this; every member has a
// harmless default so an implementation overrides only what it shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tunebelt {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

// The three stage indicators of the progress window.
enum class Stage { Generating, Copying, Complete };

inline constexpr std::string_view kCaption = "Tunebelt";
inline constexpr std::string_view kErrorCaption = "Tunebelt - Error";

class Host {
 public:
  virtual ~Host() = default;

  // ---- messages -----------------------------------------------------------
  // A message box with an OK button.
  virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    (void)text, (void)caption, (void)icon;
  }
  // A message box with Yes and No; true for Yes.
  virtual bool askYesNo(std::string_view text, std::string_view caption) {
    (void)text, (void)caption;
    return false;
  }

  // Lets pending window events run, so the windows repaint during long work.
  virtual void processEvents() {}

  // ---- the open-file dialog ----------------------------------------------
  // Shows the open dialog with a filter such as "MP3 Files (*.mp3)|*.mp3";
  // returns the chosen path, or an empty string when cancelled.
  virtual std::string chooseOpenFile(std::string_view filter) {
    (void)filter;
    return {};
  }

  // ---- the main window ---------------------------------------------------
  virtual void hideHoverImages() {}
  // The mod folder box: its text, written back by the trim; enabled state.
  virtual void setModFolderText(const std::string& text) { (void)text; }
  virtual void setModFolderEnabled(bool enabled) { (void)enabled; }
  // A line appended to the playlist list box (the selection is untouched).
  virtual void playlistAppended(const std::string& name) { (void)name; }
  // The playlist list box rebuilt from these lines (nothing selected).
  virtual void playlistReloaded(const std::vector<std::string>& lines) { (void)lines; }
  // A folder appended to the mod folder box's item list.
  virtual void modFolderRemembered(const std::string& folder) { (void)folder; }
  virtual void setCacheLabel(const std::string& text) { (void)text; }

  // ---- the progress window -----------------------------------------------
  virtual void showProgressWindow() {}
  // Generating: GENERATING lit, the other two plain.
  // Copying: GENERATING plain, COPYING lit (COMPLETE untouched).
  // Complete: COPYING plain, COMPLETE lit (GENERATING untouched).
  virtual void setStage(Stage stage) { (void)stage; }
  virtual void setScriptText(const std::string& text) { (void)text; }
  virtual void setProgressMaximum(int maximum) { (void)maximum; }
  virtual void setProgressValue(int value) { (void)value; }
  virtual void setProgressCaption(const std::string& caption) { (void)caption; }
};

}  // namespace tunebelt
