#include "core/state/startup.h"

#include <string>

#include "platform/fs.h"
#include "platform/userfolders.h"
#include "core/state/exists.h"

namespace tunebelt {

namespace {

std::string lookUp(int id, ProgramState& state, Host& host) {
  platform::FolderLookup folder = platform::getSpecialFolder(id);
  state.FolderResult = folder.result;
  if (folder.result == platform::kFolderFound) return folder.path;
  if (folder.result == platform::kFolderMissing) {
    host.showMessage(kFolderMissingMessage, kCaption, MessageIcon::None);
  } else if (folder.result == platform::kFolderInvalidId) {
    host.showMessage(kInvalidFolderIdMessage, kCaption, MessageIcon::None);
  }
  return {};
}

// Copies a file; a failure is told to the user, naming the files and why.
void copyOrReport(const std::string& source, const std::string& target, Host& host) {
  try {
    platform::copyFileAtomic(source, target);
  } catch (const platform::FsError& e) {
    host.showMessage("Could not copy " + source + " to " + target + ":\n" + e.what(), kErrorCaption,
                     MessageIcon::Critical);
  }
}

}  // namespace

void GetSpecialFolders(ProgramState& state, Host& host) {
  state.DocumentsFolder = lookUp(platform::kFolderDocuments, state, host);
  state.SystemFolder = lookUp(platform::kFolderSystem, state, host);
  state.MusicFolder = lookUp(platform::kFolderMusic, state, host);
  state.FontsFolder = lookUp(platform::kFolderFonts, state, host);
}

void NormalizeLanguage(ProgramState& state) {
  if (state.Language != kEnglish && state.Language != kGerman) state.Language = kEnglish;
}

std::optional<int> ShortenedHeight(int screenHeightTwips) {
  if (screenHeightTwips < kSmallScreenHeight) return kShortenedWindowHeight;
  return std::nullopt;
}

bool OfferSampleTrack(ProgramState& state, Host& host) {
  std::string track = platform::joinPath(state.ApplicationFolder, kSampleTrackFile);
  if (state.SampleTrackOffered != 0 || !FileExists(track)) return false;

  state.PlaylistPaths.assign(1, track);
  state.PlaylistNames.assign(1, std::string(kSampleTrackFile));
  host.playlistReloaded(state.PlaylistNames);
  state.SampleTrackOffered = 1;

  // Without a music folder there is nowhere to copy to, so nothing is asked.
  if (state.MusicFolder.empty() || !FileExists(track)) return true;
  if (host.askYesNo(kCopyTrackQuestion, kCopyTrackCaption)) {
    copyOrReport(track, platform::joinPath(state.MusicFolder, kSampleTrackFile), host);
  }
  return true;
}

void InstallFont(ProgramState& state, Host& host) {
  if (state.FontsFolder.empty()) return;
  std::string target = platform::joinPath(state.FontsFolder, kFontFile);
  if (FileExists(target)) return;
  copyOrReport(platform::joinPath(state.ApplicationFolder, kFontFile), target, host);
}

}  // namespace tunebelt
