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

  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;
  void processEvents() override;
  std::string chooseOpenFile(std::string_view filter) override;

  void hideHoverImages() override;
  void setModFolderText(const std::string& text) override;
  void setModFolderEnabled(bool enabled) override;
  void playlistAppended(const std::string& name) override;
  void playlistReloaded(const std::vector<std::string>& lines) override;
  void modFolderRemembered(const std::string& folder) override;
  void setCacheLabel(const std::string& text) override;

  void showProgressWindow() override;
  void setStage(Stage stage) override;
  void setScriptText(const std::string& text) override;
  void setProgressMaximum(int maximum) override;
  void setProgressValue(int value) override;
  void setProgressCaption(const std::string& caption) override;

 private:
  MainWindow& window_;
};

}  // namespace tunebelt::ui
