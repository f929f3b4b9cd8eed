// A save, planned: every file it writes with its bytes, every track it
// copies, the folder it cleans. The planner is a pure function of the
// program state, the mod folder's layout, what the mod folder and the
// playlist's files hold and the options; applyplan.h carries a plan out. A
// preview shows a plan, another output format is another plan, taking a save
// back reads what a plan writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/scripts/modlayout.h"
#include "core/scripts/playlistscripts.h"
#include "core/state/state.h"
#include "platform/fs.h"

namespace tunebelt {

struct FileWrite {
  std::string path;
  std::string bytes;
  platform::Durability durability = platform::Durability::Normal;
  // The player's files (kb_act.lst, userconfig.cfg) are written where a
  // link in their place points; our own scripts replace such a link.
  platform::Links links = platform::Links::Follow;
};

// One file copied into mp3s, for every track that plays it.
struct TrackCopy {
  std::string source;                        // the path of the first playlist entry naming the file
  std::size_t entry = 0;                     // that entry's index in the playlist
  std::string name;                          // the copy's name in mp3s
  std::string target;                        // mp3s and the name
  std::vector<int> tracks;                   // the numbers of the tracks that play it, from 1
  std::optional<platform::FileStamp> stamp;  // the source's, when it was looked at
  // mp3s held a copy of this version when the save looked (PlanSaveAsFound):
  // there is nothing to copy.
  bool current = false;
};

// A playlist entry whose file cannot be read: left out of every script.
struct LeftOutTrack {
  std::string source;
  std::string reason;
  bool operator==(const LeftOutTrack&) const = default;
};

struct PlanOptions {
  bool deleteUnused = false;  // the "Delete unused mp3 files" box
  // The separator the game reads in a track's path: mp3s/ on Linux, mp3s\ on
  // Windows.
  char gamePathSeparator = platform::kSep;
};

// What a save finds in the mod folder before it writes anything: the files of
// the player's that it rewrites, and the folders that are there.
struct ModFolderFiles {
  // userconfig.cfg's lines; nothing when there is no such file.
  std::optional<std::vector<std::string>> userConfigLines;
  // kb_act.lst's bytes, or the shipped list of the mod when it has none.
  std::string keyBindingText;
  bool gfxExists = false;
  bool shellExists = false;
  bool tracksExist = false;
  // The mp3s folder that was there (a link followed), and whether it was a
  // link: the player's own link to another place is followed by the copies.
  std::optional<platform::FileId> tracksFolder;
  bool tracksFolderIsLink = false;
};

// What a save finds out about a playlist entry's file before it writes
// anything: what it is, or why it cannot be read.
struct SourceFile {
  std::optional<platform::FileFacts> file;
  std::string problem;
};

struct SavePlan {
  ModLayout layout{std::string()};
  int trackCount = 0;                      // the playlist's entries
  std::optional<std::string> cleanUp;      // the mp3s folder, emptied first
  std::optional<FileWrite> userConfig;     // nothing when the hook is there already
  std::vector<std::string> foldersToMake;  // gfx and gfx/shell, when missing
  FileWrite keyBindings;
  // mp3.cfg as the progress window shows it (without its last CR LF); empty
  // when the playlist is longer than the scripts can hold.
  std::string scriptText;
  bool tooManyTracks = false;
  // The tracks of the scripts, numbered from 1: the entries whose file can be
  // read, in playlist order.
  std::vector<ScriptTrack> scriptTracks;
  std::vector<LeftOutTrack> leftOut;      // the entries that cannot be read
  std::vector<FileWrite> playlistFiles;   // playlist1.cfg onward
  FileWrite controlScript;                // mp3.cfg
  std::vector<FileWrite> trackListFiles;  // tracklist.cfg onward
  std::vector<TrackCopy> copies;          // one per file, in the order of their first track
  // The mp3s folder the copies must go into: the one that was there when
  // the save began, unless the clean-up deletes it; a link in its place is
  // followed only when it was there then.
  std::optional<platform::FileId> tracksFolder;
  bool followTracksLink = false;
  bool showEachSource = false;  // developer mode: each source before its copy
};

// Reads the player's userconfig.cfg and kb_act.lst (or the shipped list of
// the mod when it has none) and looks at the folders a save makes. Throws
// platform::FsError naming a file that cannot be read.
ModFolderFiles ReadModFolder(const ModLayout& layout, const std::string& applicationFolder);

// Looks at each playlist entry's file, one per entry: what it is, or why it
// is not a regular file there. Nothing is opened. Never throws.
std::vector<SourceFile> ReadSources(const ProgramState& state);

// The save of the state's playlist into the mod folder, as a plan. `sources`
// (one per entry, from ReadSources) leaves out the entries that cannot be
// read and tells which entries name the same file; without it every entry is
// taken as readable and entries are the same file when their paths are the
// same.
SavePlan PlanSave(const ProgramState& state, const ModLayout& layout, const ModFolderFiles& found,
                  const PlanOptions& options, const std::vector<SourceFile>* sources = nullptr);

// The save as it will find the tracks: their files looked at (ReadSources)
// and planned; then each copy that mp3s holds in this version already is
// marked current, and the file of every other copy is opened for reading, as
// the copy will open it. A file that does not open is left out like one
// that is missing, and the save planned again without it. Everything is
// found before anything is written; an unchanged playlist opens no file.
SavePlan PlanSaveAsFound(const ProgramState& state, const ModLayout& layout,
                         const ModFolderFiles& found, const PlanOptions& options);

// The shipped key-binding list for the mod folder's name, when there is one:
// application folder, "kb_act", the mod's name, "kb_act.lst".
std::optional<std::string> StockKeyBindingList(const std::string& modFolder,
                                               const std::string& applicationFolder);

}  // namespace tunebelt
