// How the core reaches the user through the main window: message boxes,
// the open dialog, the window's controls and the progress window.
#pragma once

#include "core/state/host.h"

namespace tunebelt::ui {

class MainWindow;

// The user's decimal separator as one character ('.' when the locale's is
// not a single ASCII character).
char decimalSeparator();

class UiHost : public Host {
 public:
  explicit UiHost(MainWindow& window) : window_(window) {}

  // Prompts
  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view checkBoxText) override;
  std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) override;

  // Progress
  void processEvents() override;
  void showProgressWindow() override;
  void setStage(Stage stage) override;
  void setScriptText(const std::string& text) override;
  void setProgressMaximum(int maximum) override;
  void setProgressValue(int value) override;
  void setProgressCaption(const std::string& caption) override;

  // StateObserver
  void playlistChanged(const std::vector<std::string>& lines,
                       const PlaylistChange& change) override;
  void modFolderTextChanged(const std::string& text) override;
  void modFolderEnabledChanged(bool enabled) override;
  void modFolderRemembered(const std::string& folder) override;
  void cacheLabelChanged(const std::string& text) override;

 private:
  MainWindow& window_;
};

}  // namespace tunebelt::ui
