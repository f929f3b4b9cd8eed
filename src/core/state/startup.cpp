#include "core/state/startup.h"

#include <string>

#include "core/modfolder/discovery.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "core/state/settings.h"
#include "platform/fs.h"
#include "platform/userfolders.h"

namespace tunebelt {

namespace {

std::string lookUp(int id, ProgramState& state, Prompts& prompts) {
  platform::FolderLookup folder = platform::getSpecialFolder(id);
  state.FolderResult = folder.result;
  if (folder.result == platform::kFolderFound) return folder.path;
  if (folder.result == platform::kFolderMissing) {
    prompts.showMessage(kFolderMissingMessage, kCaption, MessageIcon::None);
  } else if (folder.result == platform::kFolderInvalidId) {
    prompts.showMessage(kInvalidFolderIdMessage, kCaption, MessageIcon::None);
  }
  return {};
}

// Copies a file; a failure is told to the user, naming the files and why.
void copyOrReport(const std::string& source, const std::string& target, Prompts& prompts) {
  try {
    platform::copyFileAtomic(source, target);
  } catch (const platform::FsError& e) {
    prompts.showMessage("Could not copy " + PrintableName(source) + " to " + PrintableName(target) +
                            ":\n" + PrintableName(e.path()) + ": " + e.reason(),
                        kErrorCaption, MessageIcon::Critical);
  }
}

// Makes the folder and every missing folder above it.
void makeFolders(const std::string& path) {
  if (path.empty() || platform::isDirectory(path)) return;
  std::size_t sep = path.size();
  while (sep > 0 && !platform::isSep(path[sep - 1])) --sep;
  // The parent, unless the folder sits at a root ("/a", "C:\a").
  if (sep > 1 && path[sep - 2] != ':') makeFolders(path.substr(0, sep - 1));
  platform::makeDir(path);
}

}  // namespace

void GetSpecialFolders(ProgramState& state, Prompts& prompts) {
  state.DocumentsFolder = lookUp(platform::kFolderDocuments, state, prompts);
  state.SystemFolder = lookUp(platform::kFolderSystem, state, prompts);
  state.MusicFolder = lookUp(platform::kFolderMusic, state, prompts);
  state.FontsFolder = lookUp(platform::kFolderFonts, state, prompts);
}

void NormalizeLanguage(ProgramState& state) {
  if (state.Language != kEnglish && state.Language != kGerman) state.Language = kEnglish;
}

std::optional<int> ShortenedHeight(int screenHeightTwips) {
  if (screenHeightTwips < kSmallScreenHeight) return kShortenedWindowHeight;
  return std::nullopt;
}

bool PutSampleTrack(ProgramState& state, Host& host) {
  std::string track = platform::joinPath(state.ApplicationFolder, kSampleTrackFile);
  if (state.SampleTrackOffered != 0 || !FileExists(track)) return false;

  state.PlaylistPaths.assign(1, track);
  state.PlaylistNames.assign(1, std::string(kSampleTrackFile));
  host.playlistChanged(state.PlaylistNames, {0, Selection(1, false), -1});
  state.SampleTrackOffered = 1;
  return true;
}

void OfferSampleTrackCopy(ProgramState& state, SettingsFile& settings, Host& host) {
  std::string track = platform::joinPath(state.ApplicationFolder, kSampleTrackFile);
  // Without a music folder there is nowhere to copy to, so nothing is asked.
  if (state.MusicFolder.empty() || !FileExists(track)) return;
  const bool yes = host.askYesNo(kCopyTrackQuestion, kCopyTrackCaption);
  settings.use([&](const std::string& path) { SaveSampleTrackOffered(path, state); }, host);
  if (!yes) return;
  std::string target = platform::joinPath(state.MusicFolder, kSampleTrackFile);
  try {
    makeFolders(state.MusicFolder);
  } catch (const platform::FsError& e) {
    host.showMessage("Could not make the folder " + e.path() + ":\n" + e.reason(), kErrorCaption,
                     MessageIcon::Critical);
    return;
  }
  copyOrReport(track, target, host);
}

void SettingsFile::tellFailure(const std::exception& error, Prompts& prompts) {
  if (told_) return;
  told_ = true;
  std::string text;
  if (const auto* fs = dynamic_cast<const platform::FsError*>(&error)) {
    text = "The settings file " + fs->path() + " could not be used: " + fs->reason();
  } else {
    text = "The settings file " + path_ + " could not be used: " + error.what();
  }
  prompts.showMessage(text, kErrorCaption, MessageIcon::Critical);
}

bool RunStartUp(ProgramState& state, SettingsFile& settings, Host& host, StartUpWindow& window) {
  state.DebugMode = 0;
  window.turnOffDeveloperMenu();
  window.placeHoverImages();
  if (auto height = ShortenedHeight(window.screenHeightTwips())) window.shortenTo(*height);
  // The open dialog starts in the music folder: the commands pass it.
  GetSpecialFolders(state, host);
  settings.use([](const std::string& path) { EnsureSettingsDefaults(path); }, host);
  // No components to install here: the window system has the file dialog
  // and the progress bar.
  int deleteUnused = 0;
  bool volumesStored = false;
  settings.use(
      [&](const std::string& path) {
        deleteUnused = LoadSettings(path, state);
        volumesStored = SettingsHoldVolumes(path);
      },
      host);
  NormalizeVolumes(state, volumesStored);
  window.showSettings(state.ModFolders, deleteUnused == 1);
  window.offerModFolders(DiscoverGames().mods);
  NormalizeLanguage(state);
  window.applyLanguage(state.Language);
  return PutSampleTrack(state, host);
}

std::string StartModFolderText(const ProgramState& state,
                               const std::vector<ModFolderEntry>& entries) {
  if (!state.LastSaveFolder.empty()) return state.LastSaveFolder;
  if (!state.ModFolders.empty()) return state.ModFolders.front();
  if (!entries.empty()) return entries.front().folder;
  return {};
}

void RunShutDown(const ProgramState& state, SettingsFile& settings, bool deleteUnused,
                 Prompts& prompts) {
  settings.tellNextFailure();
  settings.use(
      [&](const std::string& path) { SaveSettingsOnExit(path, state, deleteUnused ? 1 : 0); },
      prompts);
}

}  // namespace tunebelt
