// The system's boxes and dialogs: message boxes, Yes/No questions (with a
// check box: a task dialog), the open dialog (IFileOpenDialog) and the
// folder picker. A test turns on test mode and answers them from queues
// instead, so no test ever waits for a modal box.
#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/state/host.h"

namespace tunebelt::win32 {

class Dialogs {
 public:
  static void showMessage(HWND owner, std::string_view text, std::string_view caption,
                          MessageIcon icon);
  static bool askYesNo(HWND owner, std::string_view text, std::string_view caption);
  static YesNoChoice askYesNoWithCheckBox(HWND owner, std::string_view text,
                                          std::string_view caption, std::string_view checkBoxText);
  // `filter` as "Name (*.a)|*.a|Other (*.b; *.c)|*.b; *.c"; the chosen
  // paths (several when `several`), none when cancelled.
  static std::vector<std::string> chooseOpenFiles(HWND owner, std::string_view filter,
                                                  std::string_view startFolder, bool several);
  static std::optional<std::string> chooseFolder(HWND owner, std::string_view startFolder);
  // The open dialog's file types from such a filter: (name, patterns) with
  // the patterns as the dialog takes them ("*.b;*.c").
  static std::vector<std::pair<std::wstring, std::wstring>> fileTypes(std::string_view filter);

  // ---- for tests ----
  struct Shown {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool question;
    std::string checkBox;
  };
  struct Opened {
    std::string filter;
    std::string startFolder;
    bool several;
  };
  static void setTestMode(bool on);
  static void queueAnswer(bool yes);
  static void queueCheckBox(bool checked);
  // The next open dialog returns these paths (none: cancelled).
  static void queueFiles(std::vector<std::string> paths);
  static void queueFolder(std::optional<std::string> folder);
  static const std::vector<Shown>& shown() { return shown_; }
  static const std::vector<Opened>& opened() { return opened_; }
  static void clearShown();

 private:
  static bool testMode_;
  static std::deque<bool> answers_;
  static std::deque<bool> checks_;
  static std::deque<std::vector<std::string>> files_;
  static std::deque<std::optional<std::string>> folders_;
  static std::vector<Shown> shown_;
  static std::vector<Opened> opened_;
};

}  // namespace tunebelt::win32
