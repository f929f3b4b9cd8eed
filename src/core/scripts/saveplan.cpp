#include "core/scripts/saveplan.h"

#include <algorithm>
#include <map>
#include <unordered_map>

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
  if (found.tracksExist) {
    found.tracksFolderIsLink = platform::isSymlink(layout.tracks());
    try {
      found.tracksFolder = platform::FolderHandle::open(layout.tracks(), true).id();
    } catch (const platform::FsError&) {
      // Not to be opened now: the copy step says why when it tries.
    }
  }
  return found;
}

std::vector<SourceFile> ReadSources(const ProgramState& state) {
  std::vector<platform::FileLook> looks = platform::regularFilesFacts(state.PlaylistPaths);
  std::vector<SourceFile> sources(looks.size());
  for (std::size_t i = 0; i < looks.size(); ++i) {
    sources[i].file = looks[i].facts;
    sources[i].problem = std::move(looks[i].reason);
  }
  return sources;
}

namespace {

// The tracks of the scripts and the copies that play them: the entries whose
// file can be read, numbered from 1 in order, and one copy per file.
void PlanTracks(const ProgramState& state, const ModLayout& layout,
                const std::vector<SourceFile>* sources, SavePlan& plan) {
  std::map<platform::FileId, std::size_t> byFile;  // -> its copy
  std::unordered_map<std::string, std::size_t> byPath;
  std::vector<CopyNameSource> naming;
  std::vector<std::size_t> copyOf;  // per script track
  const auto entries = static_cast<std::size_t>(state.TrackCount());
  naming.reserve(entries);
  copyOf.reserve(entries);
  plan.copies.reserve(entries);
  plan.scriptTracks.reserve(entries);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::string& path = state.PlaylistPaths[i];
    const SourceFile* source = sources != nullptr && i < sources->size() ? &(*sources)[i] : nullptr;
    if (source != nullptr && !source->file) {
      plan.leftOut.push_back({path, source->problem});
      continue;
    }
    const int number = static_cast<int>(plan.scriptTracks.size()) + 1;
    const std::size_t next = plan.copies.size();
    const std::size_t copy = source != nullptr
                                 ? byFile.emplace(source->file->id, next).first->second
                                 : byPath.emplace(path, next).first->second;
    if (copy == next) {
      TrackCopy c;
      c.source = path;
      c.entry = i;
      if (source != nullptr) c.stamp = source->file->stamp;
      plan.copies.push_back(std::move(c));
      naming.push_back({state.PlaylistNames[i], number});
    }
    plan.copies[copy].tracks.push_back(number);
    plan.scriptTracks.push_back({state.PlaylistNames[i], {}});
    copyOf.push_back(copy);
  }
  const std::vector<std::string> names = CopyNames(naming);
  for (std::size_t c = 0; c < plan.copies.size(); ++c) {
    plan.copies[c].name = names[c];
    plan.copies[c].target = layout.track(names[c]);
  }
  for (std::size_t t = 0; t < plan.scriptTracks.size(); ++t) {
    plan.scriptTracks[t].copyName = names[copyOf[t]];
  }
}

// Marks the copies mp3s holds in this version already, and opens the file of
// every other one; true when one did not open: every entry naming that file
// is then marked as not readable in `sources`.
bool CheckCopies(SavePlan& plan, std::vector<SourceFile>& sources) {
  // The clean-up deletes every copy before the copies are made.
  std::optional<platform::FolderHandle> tracks;
  if (!plan.cleanUp) {
    try {
      tracks = platform::FolderHandle::open(plan.layout.tracks(), true);
    } catch (const platform::FsError&) {
      // No mp3s folder (yet): no copy is there.
    }
  }
  bool leftOut = false;
  for (TrackCopy& copy : plan.copies) {
    if (tracks && copy.stamp) {
      const std::optional<platform::FileStamp> there = platform::fileStampIn(*tracks, copy.name);
      if (there && platform::sameVersion(*there, *copy.stamp)) {
        copy.current = true;
        continue;
      }
    }
    try {
      platform::checkOpensForReading(copy.source);
    } catch (const platform::FsError& e) {
      const platform::FileId file = sources[copy.entry].file->id;
      for (SourceFile& source : sources) {
        if (source.file && source.file->id == file) {
          source.file.reset();
          source.problem = e.reason();
        }
      }
      leftOut = true;
    }
  }
  return leftOut;
}

}  // namespace

SavePlan PlanSaveAsFound(const ProgramState& state, const ModLayout& layout,
                         const ModFolderFiles& found, const PlanOptions& options) {
  std::vector<SourceFile> sources = ReadSources(state);
  SavePlan plan = PlanSave(state, layout, found, options, &sources);
  // Each round leaves out at least one more file, so this ends.
  while (CheckCopies(plan, sources)) plan = PlanSave(state, layout, found, options, &sources);
  return plan;
}

SavePlan PlanSave(const ProgramState& state, const ModLayout& layout, const ModFolderFiles& found,
                  const PlanOptions& options, const std::vector<SourceFile>* sources) {
  SavePlan plan;
  plan.layout = layout;
  plan.trackCount = state.TrackCount();

  if (options.deleteUnused && found.tracksExist) plan.cleanUp = layout.tracks();
  if (!plan.cleanUp) {
    plan.tracksFolder = found.tracksFolder;
    plan.followTracksLink = found.tracksFolderIsLink;
  }

  // The player's own files are synced before and after their replacement.
  if (auto hooked = HookedUserConfig(found.userConfigLines)) {
    plan.userConfig = FileWrite{layout.userConfig(), *hooked, platform::Durability::Synced};
  }

  if (!found.gfxExists) plan.foldersToMake.push_back(layout.gfx());
  if (!found.shellExists) plan.foldersToMake.push_back(layout.shell());
  plan.keyBindings = {layout.keyBindings(), KeyBindingsText(found.keyBindingText),
                      platform::Durability::Synced};

  PlanTracks(state, layout, sources, plan);
  plan.tooManyTracks = state.TrackCount() >= kMaxTracks;
  if (!plan.tooManyTracks) plan.scriptText = BuildControlScript(state.Mp3Volume, state.GameVolume);
  // Our own scripts: a link planted in their place is replaced, never
  // written through.
  const auto script = [](std::string path, std::string bytes) {
    return FileWrite{std::move(path), std::move(bytes), platform::Durability::Normal,
                     platform::Links::Replace};
  };
  std::vector<std::string> playlists =
      BuildPlaylistScripts(plan.scriptTracks, options.gamePathSeparator);
  for (std::size_t f = 0; f < playlists.size(); ++f) {
    // The game reads its scripts in the system's code page (the identity on
    // POSIX). No character takes more bytes there than in UTF-8, so every
    // file stays within its limit (the track list's too).
    plan.playlistFiles.push_back(
        script(layout.playlistFile(f + 1), platform::toCodePage(std::move(playlists[f]))));
  }
  plan.controlScript = script(layout.controlScript(), plan.scriptText + "\r\n");
  std::vector<std::string> trackList = BuildTrackList(plan.scriptTracks);
  for (std::size_t f = 0; f < trackList.size(); ++f) {
    plan.trackListFiles.push_back(
        script(layout.trackListFile(f + 1), platform::toCodePage(std::move(trackList[f]))));
  }
  plan.showEachSource = state.DebugMode == 1;
  return plan;
}

}  // namespace tunebelt
