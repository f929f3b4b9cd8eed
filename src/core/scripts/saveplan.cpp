#include "core/scripts/saveplan.h"

#include <algorithm>

#include "core/scripts/controlscript.h"
#include "core/scripts/keybindings.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/tracklist.h"
#include "core/scripts/tracknames.h"
#include "core/scripts/userconfighook.h"
#include "core/state/exists.h"
#include "platform/codepage.h"

namespace tunebelt {

std::optional<std::string> StockKeyBindingList(const std::string& modFolder,
                                               const std::string& applicationFolder) {
  const std::string mod = ModFolderName(modFolder);
  const auto& stock = StockListMods();
  if (std::find(stock.begin(), stock.end(), mod) == stock.end()) return std::nullopt;
  using platform::joinPath;
  return joinPath(joinPath(joinPath(applicationFolder, "kb_act"), mod), kKeyBindingsName);
}

ModFolderFiles ReadModFolder(const ModLayout& layout, const std::string& applicationFolder) {
  ModFolderFiles found;
  if (FileExists(layout.userConfig())) {
    found.userConfigLines = platform::readTextLines(layout.userConfig());
  }
  found.gfxExists = FolderExists(layout.gfx());
  found.shellExists = found.gfxExists && FolderExists(layout.shell());
  if (FileExists(layout.keyBindings())) {
    found.keyBindingText = platform::readFile(layout.keyBindings());
  } else if (auto stock = StockKeyBindingList(layout.folder(), applicationFolder)) {
    // A mod without a list of its own gets the shipped copy of the game's.
    found.keyBindingText = platform::readFile(*stock);
  }
  found.tracksExist = FolderExists(layout.tracks());
  return found;
}

SavePlan PlanSave(const ProgramState& state, const ModLayout& layout, const ModFolderFiles& found,
                  const PlanOptions& options) {
  SavePlan plan;
  plan.layout = layout;
  plan.trackCount = state.TrackCount();

  if (options.deleteUnused && found.tracksExist) plan.cleanUp = layout.tracks();

  // The player's own files are synced before and after their replacement.
  if (auto hooked = HookedUserConfig(found.userConfigLines)) {
    plan.userConfig = FileWrite{layout.userConfig(), *hooked, platform::Durability::Synced};
  }

  if (!found.gfxExists) plan.foldersToMake.push_back(layout.gfx());
  if (!found.shellExists) plan.foldersToMake.push_back(layout.shell());
  plan.keyBindings = {layout.keyBindings(), KeyBindingsText(found.keyBindingText),
                      platform::Durability::Synced};

  plan.tooManyTracks = state.TrackCount() >= kMaxTracks;
  if (!plan.tooManyTracks) plan.scriptText = BuildControlScript(state.Mp3Volume, state.GameVolume);
  const std::vector<std::string> playlists = BuildPlaylistScripts(state, options.gamePathSeparator);
  for (std::size_t f = 0; f < playlists.size(); ++f) {
    // The game reads its scripts in the system's code page (the identity on
    // POSIX). No character takes more bytes there than in UTF-8, so every
    // file stays within its limit (the track list's too).
    plan.playlistFiles.push_back({layout.playlistFile(f + 1), platform::toCodePage(playlists[f])});
  }
  plan.controlScript = {layout.controlScript(), plan.scriptText + "\r\n"};
  const std::vector<std::string> trackList = BuildTrackList(state);
  for (std::size_t f = 0; f < trackList.size(); ++f) {
    plan.trackListFiles.push_back(
        {layout.trackListFile(f + 1), platform::toCodePage(trackList[f])});
  }

  for (int i = 0; i < state.TrackCount(); ++i) {
    plan.tracks.push_back(
        {state.PlaylistPaths[i], layout.track(CleanTrackName(state.PlaylistNames[i]))});
  }
  plan.showEachSource = state.DebugMode == 1;
  return plan;
}

}  // namespace tunebelt
