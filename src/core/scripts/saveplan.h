// A save, planned: every step it takes with what the step needs (the bytes
// of each file, the source of each copy), in the order the executor
// (applyplan.h) takes them. The mod folder is read first (ReadModFolder, and
// the tracks' files by PlanSaveAsFound); PlanSave is a pure function of what
// was read, the program state, the mod folder's layout and the options. A
// dry run prints a plan; taking a save back (removal.h) reads what a plan
// writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/scripts/modlayout.h"
#include "core/scripts/plan.h"
#include "core/scripts/playlistscripts.h"
#include "core/state/state.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

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
  // The file is of a format the save converts into an MP3 (NeedsConversion).
  bool convert = false;
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

// What the mod folder held at one path when it was read.
struct FoundFile {
  bool present = false;    // anything there, a dangling link too
  bool link = false;       // a symbolic link
  std::uint64_t size = 0;  // a regular file's length, links followed
  // A script's, when it is a regular file of a script's size (links
  // followed): a digest of its bytes, and the bytes when they were kept.
  std::optional<std::size_t> digest;
  std::optional<std::string> bytes;
};

// A temporary file a killed save left, and its length.
struct FoundLeftover {
  std::string path;
  std::uint64_t size = 0;
};

// What a save or a removal finds in the mod folder before it writes
// anything: the player's files, the scripts a save writes, the folders.
struct ModFolderFiles {
  // userconfig.cfg's lines; nothing when there is no such file.
  std::optional<std::vector<std::string>> userConfigLines;
  FoundFile userConfig;
  // kb_act.lst's bytes, or the shipped list of the mod when it has none.
  std::string keyBindingText;
  FoundFile keyBindings;  // the mod's own list (its bytes are keyBindingText)
  bool gfxExists = false;
  bool shellExists = false;
  bool tracksExist = false;
  // The mp3s folder that was there (a link followed), and whether it was a
  // link: the player's own link to another place is followed by the copies.
  std::optional<platform::FileId> tracksFolder;
  bool tracksFolderIsLink = false;
  // What is in mp3s but the leftovers, when it was asked for (the clean-up,
  // the removal's).
  std::optional<platform::TreeSize> tracksSize;
  FoundFile controlScript;                // mp3.cfg
  std::vector<FoundFile> playlistFiles;   // playlist1.cfg up to the highest number there
  std::vector<FoundFile> trackListFiles;  // tracklist.cfg onward, the same way
  std::vector<FoundLeftover> leftovers;   // in the mod folder, gfx/shell and mp3s
};

// What a save finds out about a playlist entry's file before it writes
// anything: what it is, or why it cannot be read.
struct SourceFile {
  std::optional<platform::FileFacts> file;
  std::string problem;
};

struct SavePlan : Plan {
  int trackCount = 0;     // the playlist's entries
  bool cleansUp = false;  // mp3s emptied first
  // The tracks of the scripts, numbered from 1: the entries whose file can be
  // read, in playlist order.
  std::vector<ScriptTrack> scriptTracks;
  std::vector<LeftOutTrack> leftOut;  // the entries that cannot be read
  std::vector<TrackCopy> copies;      // one per file, in the order of their first track
};

// Reads the player's userconfig.cfg and kb_act.lst (or the shipped list of
// the mod when it has none and `applicationFolder` is given), the scripts a
// save writes, the leftovers of a killed save, and looks at the folders a
// save makes; with `measureTracks`, what mp3s holds; with `keepScripts`, the
// scripts' bytes (a save needs only their digests). Throws platform::FsError
// naming a file that cannot be read.
ModFolderFiles ReadModFolder(const ModLayout& layout, const std::string& applicationFolder,
                             bool measureTracks = false, bool keepScripts = false);

// The digest a FoundFile holds of a script's bytes.
std::size_t ScriptDigest(std::string_view bytes);

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
