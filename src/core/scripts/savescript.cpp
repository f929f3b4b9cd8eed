#include "core/scripts/savescript.h"

#include <chrono>
#include <thread>
#include <vector>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/remember.h"
#include "core/scripts/applyplan.h"
#include "core/scripts/modlayout.h"
#include "core/scripts/saveplan.h"
#include "core/scripts/tracknames.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/folderlock.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

bool refuse(Prompts& prompts, std::string_view text, std::string_view caption,
            MessageIcon icon = MessageIcon::None) {
  prompts.showMessage(text, caption, icon);
  return false;
}

}  // namespace

bool ValidateSave(const ProgramState& state, std::string& modFolder, Host& host) {
  if (state.TrackCount() == 0) {
    return refuse(host, "No items in playlist", kErrorCaption, MessageIcon::Critical);
  }
  if (state.TrackCount() > kMaxSaveTracks) {
    return refuse(host, "Sorry Half Life can not load scripts of this size", kErrorCaption);
  }
  if (!ValidateModFolder(modFolder, host)) return false;
  if (!FileExists(ModLayout(modFolder).keyBindings())) {
    return refuse(host,
                  "kb_act.lst could not be found, please check you have entered the correct path",
                  kCaption);
  }
  return true;
}

namespace {

// The window is painted, the mod folder box is disabled and the progress
// window shows the generating stage (the window hides its hover images then).
void beginGenerating(Host& host) {
  host.processEvents();
  host.modFolderEnabledChanged(false);
  host.setProgressCaption("Tunebelt - Generating...");
  host.setStage(Stage::Generating);
  host.processEvents();
}

constexpr std::size_t kReportedCopyFailures = 10;

std::string copyFailureText(const std::vector<std::string>& failures) {
  std::string text = failures.size() == 1
                         ? std::string("1 track could not be copied:")
                         : std::to_string(failures.size()) + " tracks could not be copied:";
  for (std::size_t i = 0; i < failures.size() && i < kReportedCopyFailures; ++i) {
    text += "\n" + failures[i];
  }
  if (failures.size() > kReportedCopyFailures) {
    text += "\n... and " + std::to_string(failures.size() - kReportedCopyFailures) + " more";
  }
  return text;
}

void finish(ProgramState& state, const std::string& modFolder, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setStage(Stage::Complete);
  host.setProgressCaption("Done");
  host.processEvents();
  host.modFolderEnabledChanged(true);
}

// The scripts are in place but not all of the save could be done (tracks
// missing from mp3s, old files left in it): the folder is still remembered,
// and the window says what went wrong instead of "Done".
void finishWithProblems(ProgramState& state, const std::string& modFolder,
                        const SaveApplied& applied, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setProgressCaption(std::string(applied.copyFailures.empty() ? kCleanUpIncompleteCaption
                                                                   : kTracksMissingCaption));
  host.processEvents();
  host.modFolderEnabledChanged(true);
  if (!applied.copyFailures.empty()) {
    host.showMessage(copyFailureText(applied.copyFailures), kErrorCaption,
                     MessageIcon::Exclamation);
  }
}

}  // namespace

std::vector<std::string> RemoveLeftoverTempFiles(const ModLayout& layout) {
  std::vector<std::string> removed;
  for (const std::string& folder : {layout.folder(), layout.shell(), layout.tracks()}) {
    for (std::string& path : platform::removeLeftoverTempFiles(folder)) {
      removed.push_back(std::move(path));
    }
  }
  return removed;
}

bool ValidateModFolder(std::string& modFolder, Host& host) {
  if (modFolder.empty()) return refuse(host, "Please Enter a Mod Folder", kCaption);
  if (TrimModFolder(modFolder)) host.modFolderTextChanged(modFolder);
  if (!FolderExists(modFolder)) {
    return refuse(host, "Mod Folder can not be found, please check that the path is correct",
                  kCaption);
  }
  return true;
}

bool LockModFolder(platform::FolderLock& lock, std::chrono::milliseconds timeout, Host& host) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  while (!lock.tryLock()) {
    if (Clock::now() >= deadline) {
      host.showMessage(kModFolderBusyMessage, kErrorCaption, MessageIcon::Exclamation);
      return false;
    }
    host.processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host) {
  if (!ValidateSave(state, modFolder, host)) return SaveResult::Refused;
  const ModLayout layout(modFolder);
  SaveResult result = SaveResult::Done;
  try {
    platform::FolderLock lock(modFolder);
    if (!LockModFolder(lock, options.lockTimeout, host)) return SaveResult::Refused;
    beginGenerating(host);
    RemoveLeftoverTempFiles(layout);
    const ModFolderFiles found = ReadModFolder(layout, state.ApplicationFolder);
    const SavePlan plan = PlanSave(state, layout, found, options.plan);
    const SaveApplied applied = ApplySavePlan(plan, host, options.journal);
    if (applied.complete()) {
      finish(state, modFolder, host);
    } else {
      finishWithProblems(state, modFolder, applied, host);
      result = SaveResult::Failed;
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Save Script stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    host.modFolderEnabledChanged(true);
    result = SaveResult::Failed;
  }
  // Also after a failure: the copies made before it count.
  RefreshCacheSize(modFolder, state.Language, options.decimalSeparator, host);
  return result;
}

}  // namespace tunebelt
