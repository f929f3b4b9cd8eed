#include "core/scripts/saveplan.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>

#include "core/playlist/playlist.h"
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

namespace {

// What is at a path, without reading it.
FoundFile LookAt(const std::string& path) {
  FoundFile f;
  const std::optional<std::uint64_t> size = platform::fileSize(path);
  f.present = size.has_value() || platform::entryPresent(path);
  if (!f.present) return f;
  f.link = platform::isSymlink(path);
  f.size = size.value_or(0);
  return f;
}

// A script a save writes, read when it is a regular file no longer than a
// script can be: what the save compares its bytes with and what the removal
// recognises. One that cannot be read is replaced by a save (as the write
// can rename over it) and is no save's to the removal.
FoundFile ReadScript(const std::string& path, bool keep) {
  FoundFile f;
  const std::optional<std::uint64_t> size = platform::fileSize(path);  // a regular file's
  if (!size) {
    f.present = platform::entryPresent(path);
    f.link = f.present && platform::isSymlink(path);
    return f;
  }
  f.present = true;
  f.link = platform::isSymlink(path);
  f.size = *size;
  if (f.size > kMaxPlaylistFileBytes) return f;
  try {
    std::string text = platform::readFileHead(path, kMaxPlaylistFileBytes + 1);
    if (text.size() <= kMaxPlaylistFileBytes) {
      f.digest = ScriptDigest(text);
      if (keep) f.bytes = std::move(text);
    }
  } catch (const platform::FsError&) {
    // Not known: the bytes stay unknown.
  }
  return f;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The number in a name of the form <prefix><number>.cfg (letter case aside;
// "tracklist.cfg" is number 1 of the track list), when it is one a save
// could write; 0 for any other name.
std::size_t ScriptNumber(const std::string& name, std::string_view prefix, bool bareIsOne) {
  std::string lower(name.size(), '\0');
  std::transform(name.begin(), name.end(), lower.begin(), Lower);
  const std::string_view n(lower);
  if (n.size() < prefix.size() + 4 || n.substr(0, prefix.size()) != prefix ||
      n.substr(n.size() - 4) != ".cfg") {
    return 0;
  }
  const std::string_view digits = n.substr(prefix.size(), n.size() - prefix.size() - 4);
  if (digits.empty()) return bareIsOne ? 1 : 0;
  if (digits.size() > 4 || digits[0] == '0' ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return 0;
  }
  const std::size_t number = std::stoul(std::string(digits));
  return number <= static_cast<std::size_t>(kMaxSaveTracks) ? number : 0;
}

// Each numbered script up to the highest number the folder holds, so that a
// file after a gap is known too.
template <typename PathOf>
std::vector<FoundFile> ReadNumbered(std::size_t highest, bool keep, PathOf pathOf) {
  std::vector<FoundFile> files;
  files.reserve(highest);
  for (std::size_t k = 1; k <= highest; ++k) files.push_back(ReadScript(pathOf(k), keep));
  return files;
}

}  // namespace

std::size_t ScriptDigest(std::string_view bytes) {
  return std::hash<std::string_view>{}(bytes);
}

ModFolderFiles ReadModFolder(const ModLayout& layout, const std::string& applicationFolder,
                             bool measureTracks, bool keepScripts) {
  ModFolderFiles found;
  if (FileExists(layout.userConfig())) {
    found.userConfig = LookAt(layout.userConfig());
    found.userConfigLines = platform::readTextLines(layout.userConfig());
  }
  found.gfxExists = FolderExists(layout.gfx());
  found.shellExists = found.gfxExists && FolderExists(layout.shell());
  if (FileExists(layout.keyBindings())) {
    found.keyBindings = LookAt(layout.keyBindings());
    found.keyBindingText = platform::readFile(layout.keyBindings());
  } else if (auto stock = applicationFolder.empty()
                              ? std::nullopt
                              : StockKeyBindingList(layout.folder(), applicationFolder)) {
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
    if (measureTracks) found.tracksSize = platform::treeSize(layout.tracks());
  }
  found.controlScript = ReadScript(layout.controlScript(), keepScripts);
  std::size_t playlists = 0;
  std::size_t trackLists = 0;
  try {
    for (const platform::DirEntry& e : platform::listDir(layout.folder())) {
      playlists = std::max(playlists, ScriptNumber(e.name, "playlist", false));
      trackLists = std::max(trackLists, ScriptNumber(e.name, "tracklist", true));
    }
  } catch (const platform::FsError&) {
    // No folder to list: no script is there, and the first write says why.
  }
  found.playlistFiles =
      ReadNumbered(playlists, keepScripts, [&](std::size_t k) { return layout.playlistFile(k); });
  found.trackListFiles =
      ReadNumbered(trackLists, keepScripts, [&](std::size_t k) { return layout.trackListFile(k); });
  for (const std::string& folder : {layout.folder(), layout.shell(), layout.tracks()}) {
    for (std::string& path : platform::findLeftoverTempFiles(folder)) {
      const auto stamp = platform::fileStamp(path);
      const std::uint64_t size = stamp ? stamp->size : 0;
      if (found.tracksSize && folder == layout.tracks() && found.tracksSize->files > 0 &&
          found.tracksSize->bytes >= size) {
        // Deleted on their own before mp3s is.
        found.tracksSize->files -= 1;
        found.tracksSize->bytes -= size;
      }
      found.leftovers.push_back({std::move(path), size});
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
      c.convert = NeedsConversion(path);
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
  if (!plan.cleansUp) {
    try {
      tracks = platform::FolderHandle::open(plan.layout.tracks(), true);
    } catch (const platform::FsError&) {
      // No mp3s folder (yet): no copy is there.
    }
  }
  bool leftOut = false;
  for (TrackCopy& copy : plan.copies) {
    // A converted copy is never the source's size: the copy records tell
    // whether it is current (trackaudio.h).
    if (tracks && copy.stamp && !copy.convert) {
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
  std::size_t copy = 0;
  for (PlannedStep& s : plan.steps) {
    if (s.subject == Subject::Track && plan.copies[copy++].current) {
      s.step.action = Action::AlreadyThere;
    }
  }
  return plan;
}

namespace {

// A file the save writes: created, replaced or left as it is, by what was
// read there (its bytes, or their digest). A link in the place of one of our
// scripts is replaced.
PlannedStep FileStep(Subject subject, std::string path, std::string bytes, const FoundFile& there,
                     platform::Durability durability, platform::Links links,
                     const std::string* thereBytes = nullptr) {
  PlannedStep s = PlanStep(subject, Action::Create, std::move(path), bytes.size());
  s.durability = durability;
  s.links = links;
  if (there.present) {
    const bool same = thereBytes != nullptr ? *thereBytes == bytes
                                            : there.digest && there.size == bytes.size() &&
                                                  *there.digest == ScriptDigest(bytes);
    const bool linkReplaced = links == platform::Links::Replace && there.link;
    s.step.action = same && !linkReplaced ? Action::Unchanged : Action::Replace;
  }
  if (s.step.action != Action::Unchanged) s.bytes = std::move(bytes);
  return s;
}

PlannedStep FolderStep(Subject subject, std::string path) {
  return PlanStep(subject, Action::MakeFolder, std::move(path));
}

const FoundFile& Numbered(const std::vector<FoundFile>& files, std::size_t number) {
  static const FoundFile kNone;
  return number <= files.size() ? files[number - 1] : kNone;
}

}  // namespace

SavePlan PlanSave(const ProgramState& state, const ModLayout& layout, const ModFolderFiles& found,
                  const PlanOptions& options, const std::vector<SourceFile>* sources) {
  SavePlan plan;
  plan.layout = layout;
  plan.trackCount = state.TrackCount();
  std::vector<PlannedStep>& steps = plan.steps;

  for (const FoundLeftover& leftover : found.leftovers) {
    steps.push_back(PlanStep(Subject::Leftover, Action::Delete, leftover.path, leftover.size));
  }
  plan.cleansUp = options.deleteUnused && found.tracksExist;
  if (plan.cleansUp) {
    PlannedStep s = PlanStep(Subject::CleanUp, Action::CleanUp, layout.tracks());
    if (found.tracksSize) {
      s.step.size = found.tracksSize->bytes;
      s.step.files = found.tracksSize->files;
    }
    steps.push_back(std::move(s));
  } else {
    plan.tracksFolder = found.tracksFolder;
    plan.followTracksLink = found.tracksFolderIsLink;
  }

  // The player's own files are synced before and after their replacement.
  if (auto hooked = HookedUserConfig(found.userConfigLines)) {
    steps.push_back(FileStep(Subject::UserConfig, layout.userConfig(), std::move(*hooked),
                             found.userConfig, platform::Durability::Synced,
                             platform::Links::Follow));
  } else {
    // It holds the hook already and is not written.
    steps.push_back(PlanStep(Subject::UserConfig, Action::Unchanged, layout.userConfig(),
                             found.userConfig.size));
  }

  if (!found.gfxExists) steps.push_back(FolderStep(Subject::KeyBindings, layout.gfx()));
  if (!found.shellExists) steps.push_back(FolderStep(Subject::KeyBindings, layout.shell()));
  steps.push_back(FileStep(Subject::KeyBindings, layout.keyBindings(),
                           KeyBindingsText(found.keyBindingText), found.keyBindings,
                           platform::Durability::Synced, platform::Links::Follow,
                           &found.keyBindingText));

  PlanTracks(state, layout, sources, plan);
  plan.scriptText = BuildControlScript(state.Mp3Volume, state.GameVolume);
  // Our own scripts: a link planted in their place is replaced, never
  // written through.
  const auto script = [&](Subject subject, std::string path, std::string bytes,
                          const FoundFile& there) {
    steps.push_back(FileStep(subject, std::move(path), std::move(bytes), there,
                             platform::Durability::Normal, platform::Links::Replace));
  };
  std::vector<std::string> playlists =
      BuildPlaylistScripts(plan.scriptTracks, options.gamePathSeparator);
  std::vector<std::string> trackList = BuildTrackList(plan.scriptTracks);
  steps.reserve(steps.size() + playlists.size() + trackList.size() + plan.copies.size() +
                plan.leftOut.size() + 2);
  for (std::size_t f = 1; f <= playlists.size(); ++f) {
    // The game reads its scripts in the system's code page (the identity on
    // POSIX). No character takes more bytes there than in UTF-8, so every
    // file stays within its limit (the track list's too).
    script(Subject::Playlist, layout.playlistFile(f),
           platform::toCodePage(std::move(playlists[f - 1])), Numbered(found.playlistFiles, f));
  }
  script(Subject::ControlScript, layout.controlScript(), plan.scriptText + "\r\n",
         found.controlScript);
  for (std::size_t f = 1; f <= trackList.size(); ++f) {
    script(Subject::TrackList, layout.trackListFile(f),
           platform::toCodePage(std::move(trackList[f - 1])), Numbered(found.trackListFiles, f));
  }

  // The clean-up empties mp3s and keeps it, but takes a link in its place.
  if (!found.tracksExist || (plan.cleansUp && found.tracksFolderIsLink)) {
    steps.push_back(FolderStep(Subject::TrackFolder, layout.tracks()));
  }
  for (const TrackCopy& copy : plan.copies) {
    PlannedStep s;
    s.subject = Subject::Track;
    s.step.action = copy.convert ? Action::Convert : Action::Copy;
    s.step.path = copy.target;
    // A conversion's size is known once it is made.
    s.step.size = copy.stamp && !copy.convert ? copy.stamp->size : 0;
    s.step.source = copy.source;
    s.name = copy.name;
    s.stamp = copy.stamp;
    s.tracks = copy.tracks;
    steps.push_back(std::move(s));
  }
  for (const LeftOutTrack& t : plan.leftOut) {
    PlannedStep s;
    s.subject = Subject::LeftOutTrack;
    s.step.action = Action::LeftOut;
    s.step.path = t.source;
    s.step.reason = t.reason;
    steps.push_back(std::move(s));
  }
  plan.showEachSource = state.DebugMode == 1;
  return plan;
}

}  // namespace tunebelt
