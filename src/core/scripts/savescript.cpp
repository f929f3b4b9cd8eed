#include "core/scripts/savescript.h"

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/cleanup.h"
#include "core/modfolder/remember.h"
#include "platform/folderlock.h"
#include "platform/fs.h"
#include "platform/tree.h"
#include "core/scripts/controlscript.h"
#include "core/scripts/keybindings.h"
#include "core/scripts/tracknames.h"
#include "core/scripts/userconfighook.h"
#include "core/state/exists.h"

namespace tunebelt {

namespace {

using platform::joinPath;

std::string mp3sFolder(const std::string& modFolder) {
  return joinPath(modFolder, "mp3s");
}

std::string keyBindingList(const std::string& modFolder) {
  return joinPath(joinPath(joinPath(modFolder, "gfx"), "shell"), "kb_act.lst");
}

bool refuse(Host& host, std::string_view text, std::string_view caption,
            MessageIcon icon = MessageIcon::None) {
  host.showMessage(text, caption, icon);
  return false;
}

// The checks that run before anything is written. The mod folder text loses
// one trailing separator between the third and the fourth check.
bool validate(const ProgramState& state, std::string& modFolder, Host& host) {
  if (state.TrackCount() == 0) {
    return refuse(host, "No items in playlist", kErrorCaption, MessageIcon::Critical);
  }
  if (state.TrackCount() > kMaxSaveTracks) {
    return refuse(host, "Sorry Half Life can not load scripts of this size", kErrorCaption);
  }
  if (modFolder.empty()) return refuse(host, "Please Enter a Mod Folder", kCaption);
  if (TrimModFolder(modFolder)) host.setModFolderText(modFolder);
  if (!FolderExists(modFolder)) {
    return refuse(host, "Mod Folder can not be found, please check that the path is correct",
                  kCaption);
  }
  if (!FileExists(keyBindingList(modFolder))) {
    return refuse(host,
                  "kb_act.lst could not be found, please check you have entered the correct path",
                  kCaption);
  }
  return true;
}

void beginGenerating(Host& host) {
  host.hideHoverImages();
  host.processEvents();
  host.setModFolderEnabled(false);
  host.setProgressCaption("Tunebelt - Generating...");
  host.setStage(Stage::Generating);
  host.processEvents();
}

void deleteUnusedTracks(const std::string& modFolder, Host& host) {
  std::string mp3s = mp3sFolder(modFolder);
  if (FolderExists(mp3s)) DeleteFolderTree(mp3s, host);
}

// A save killed half-way may have left the temporary files of its atomic
// writes and copies behind; the next save takes them away.
void removeLeftovers(const std::string& modFolder) {
  platform::removeLeftoverTempFiles(modFolder);
  platform::removeLeftoverTempFiles(joinPath(joinPath(modFolder, "gfx"), "shell"));
  platform::removeLeftoverTempFiles(mp3sFolder(modFolder));
}

void createTrackFolder(const std::string& modFolder, Host& host) {
  std::string mp3s = mp3sFolder(modFolder);
  if (FolderExists(mp3s)) return;
  host.processEvents();
  platform::makeDir(mp3s);
}

// One line per track that could not be copied: which, where to, and why.
using CopyFailure = std::string;

constexpr std::size_t kReportedCopyFailures = 10;

// Copies each track under its cleaned name; a target that is there already
// is left as it is, so an unchanged playlist copies nothing the second time.
// A track that cannot be copied does not stop the others.
std::vector<CopyFailure> copyTracks(const ProgramState& state, const std::string& modFolder,
                                    Host& host) {
  std::string mp3s = mp3sFolder(modFolder);
  std::vector<CopyFailure> failures;
  const int count = state.TrackCount();
  for (int i = 0; i < count; ++i) {
    host.processEvents();
    const std::string& source = state.PlaylistPaths[i];
    if (state.DebugMode == 1) host.showMessage(source, kCaption, MessageIcon::None);
    // The target is a plain name, not a pattern: a "?" in it matches nothing else.
    std::string target = joinPath(mp3s, CleanTrackName(state.PlaylistNames[i]));
    try {
      platform::copyFileIfAbsent(source, target);
    } catch (const platform::FsError& e) {
      std::string where = e.path() == source ? e.path() : source + " to " + e.path();
      failures.push_back(where + ": " + e.reason());
    }
    host.setProgressValue(i + 1);
  }
  return failures;
}

std::string copyFailureText(const std::vector<CopyFailure>& failures) {
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
  host.setModFolderEnabled(true);
}

// The scripts are in place but some tracks are missing from mp3s: the folder
// is still remembered, and the window says what is missing instead of "Done".
void finishWithoutSomeTracks(ProgramState& state, const std::string& modFolder,
                             const std::vector<CopyFailure>& failures, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setProgressCaption(std::string(kTracksMissingCaption));
  host.processEvents();
  host.setModFolderEnabled(true);
  host.showMessage(copyFailureText(failures), kErrorCaption, MessageIcon::Exclamation);
}

// One save at a time per mod folder: a second one waits for the first, up to
// the timeout, letting window events run while it waits.
bool lockModFolder(platform::FolderLock& lock, std::chrono::milliseconds timeout, Host& host) {
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

}  // namespace

SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host) {
  if (!validate(state, modFolder, host)) return SaveResult::Refused;
  SaveResult result = SaveResult::Done;
  try {
    platform::FolderLock lock(modFolder);
    if (!lockModFolder(lock, options.lockTimeout, host)) return SaveResult::Refused;
    beginGenerating(host);
    removeLeftovers(modFolder);
    if (options.deleteUnused) deleteUnusedTracks(modFolder, host);
    WriteUserConfigHook(modFolder);
    WriteKeyBindings(modFolder, state.ApplicationFolder);
    WriteControlScript(state, modFolder, host);
    createTrackFolder(modFolder, host);
    std::vector<CopyFailure> failures = copyTracks(state, modFolder, host);
    if (failures.empty()) {
      finish(state, modFolder, host);
    } else {
      finishWithoutSomeTracks(state, modFolder, failures, host);
      result = SaveResult::Failed;
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Save Script stopped: " + e.path() + ": " + e.reason(), kErrorCaption,
                     MessageIcon::Critical);
    host.setModFolderEnabled(true);
    result = SaveResult::Failed;
  }
  // Also after a failure: the copies made before it count.
  RefreshCacheSize(modFolder, state.Language, options.decimalSeparator, host);
  return result;
}

}  // namespace tunebelt
