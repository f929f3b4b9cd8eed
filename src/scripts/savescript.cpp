#include "scripts/savescript.h"

#include "modfolder/cachesize.h"
#include "modfolder/cleanup.h"
#include "modfolder/remember.h"
#include "platform/fs.h"
#include "scripts/controlscript.h"
#include "scripts/keybindings.h"
#include "scripts/tracknames.h"
#include "scripts/userconfighook.h"
#include "state/exists.h"

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

// Copies each track under its cleaned name; a target that is there already
// is left as it is, so an unchanged playlist copies nothing the second time.
void copyTracks(const ProgramState& state, const std::string& modFolder, Host& host) {
  std::string mp3s = mp3sFolder(modFolder);
  const int count = state.TrackCount();
  for (int i = 0; i < count; ++i) {
    host.processEvents();
    const std::string& source = state.PlaylistPaths[i];
    if (state.DebugMode == 1) host.showMessage(source, kCaption, MessageIcon::None);
    // The target is a plain name, not a pattern: a "?" in it matches nothing else.
    std::string target = joinPath(mp3s, CleanTrackName(state.PlaylistNames[i]));
    if (!platform::pathExists(target)) platform::copyFileAtomic(source, target);
    host.setProgressValue(i + 1);
  }
}

void finish(ProgramState& state, const std::string& modFolder, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setStage(Stage::Complete);
  host.setProgressCaption("Done");
  host.processEvents();
  host.setModFolderEnabled(true);
}

}  // namespace

SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host) {
  if (!validate(state, modFolder, host)) return SaveResult::Refused;
  SaveResult result = SaveResult::Done;
  try {
    beginGenerating(host);
    removeLeftovers(modFolder);
    if (options.deleteUnused) deleteUnusedTracks(modFolder, host);
    WriteUserConfigHook(modFolder);
    WriteKeyBindings(modFolder, state.ApplicationFolder);
    WriteControlScript(state, modFolder, host);
    createTrackFolder(modFolder, host);
    copyTracks(state, modFolder, host);
    finish(state, modFolder, host);
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
