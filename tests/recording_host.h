// A host for tests: records every call in order, and answers questions and
// the open dialog from queues the test fills beforehand.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/state/host.h"

namespace tunebelt::test {

struct Message {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class RecordingHost : public Host {
 public:
  std::vector<Message> messages;
  std::vector<std::string> events;      // every call, in order, as a short text
  std::deque<bool> answers;             // next answers to askYesNo (default No)
  std::deque<bool> checks;              // next check boxes ticked (default not)
  std::vector<std::string> checkBoxes;  // the check box of each question that had one
  std::deque<std::string> openFiles;    // next files the open dialog returns
  // What the several-files dialog returns next, one choice each (cancelled
  // once empty).
  std::deque<std::vector<std::string>> openFileLists;
  std::vector<std::string> lastFilters;
  std::vector<std::string> startFolders;  // where each open dialog started
  std::string modFolderText;
  bool modFolderEnabled = true;
  std::string cacheLabel;
  std::string scriptText;
  std::string progressCaption;
  int progressMaximum = 0;
  int progressValue = 0;
  std::vector<std::string> listLines;
  PlaylistChange lastChange;
  std::vector<std::string> rememberedFolders;

  void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
    messages.push_back({std::string(text), std::string(caption), icon});
    events.push_back("message:" + std::string(text));
  }
  bool askYesNo(std::string_view text, std::string_view caption) override {
    messages.push_back({std::string(text), std::string(caption), MessageIcon::Question});
    events.push_back("ask:" + std::string(text));
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view checkBoxText) override {
    checkBoxes.emplace_back(checkBoxText);
    YesNoChoice choice;
    choice.yes = askYesNo(text, caption);
    if (!checks.empty()) {
      choice.checked = checks.front();
      checks.pop_front();
    }
    return choice;
  }
  std::string chooseOpenFile(std::string_view filter, std::string_view startFolder) override {
    lastFilters.emplace_back(filter);
    startFolders.emplace_back(startFolder);
    events.push_back("open-dialog");
    if (openFiles.empty()) return {};
    std::string f = openFiles.front();
    openFiles.pop_front();
    return f;
  }
  std::vector<std::string> chooseOpenFiles(std::string_view filter,
                                           std::string_view startFolder) override {
    lastFilters.emplace_back(filter);
    startFolders.emplace_back(startFolder);
    events.push_back("open-files-dialog");
    if (openFileLists.empty()) return {};
    std::vector<std::string> f = openFileLists.front();
    openFileLists.pop_front();
    return f;
  }

  void showProgressWindow() override { events.push_back("show-progress"); }
  void setStage(Stage stage) override {
    events.push_back(stage == Stage::Generating ? "stage:generating"
                     : stage == Stage::Copying  ? "stage:copying"
                                                : "stage:complete");
  }
  void setScriptText(const std::string& text) override { scriptText = text; }
  void setProgressMaximum(int maximum) override {
    progressMaximum = maximum;
    events.push_back("progress-max:" + std::to_string(maximum));
  }
  void setProgressValue(int value) override { progressValue = value; }
  void setProgressCaption(const std::string& caption) override {
    progressCaption = caption;
    events.push_back("caption:" + caption);
  }

  void playlistChanged(const std::vector<std::string>& lines,
                       const PlaylistChange& change) override {
    listLines = lines;
    lastChange = change;
    // A change that sets the selection rebuilds the list box; an append
    // only adds lines.
    if (change.selection) events.push_back("playlist-reloaded");
  }
  void modFolderTextChanged(const std::string& text) override {
    modFolderText = text;
    events.push_back("mod-folder-text:" + text);
  }
  void modFolderEnabledChanged(bool enabled) override {
    modFolderEnabled = enabled;
    events.push_back(enabled ? "mod-folder-enabled" : "mod-folder-disabled");
  }
  void modFolderRemembered(const std::string& folder) override {
    rememberedFolders.push_back(folder);
    events.push_back("remembered:" + folder);
  }
  void cacheLabelChanged(const std::string& text) override {
    cacheLabel = text;
    events.push_back("cache-label:" + text);
  }
};

}  // namespace tunebelt::test
