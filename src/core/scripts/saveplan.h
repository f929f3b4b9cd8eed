// A save, planned: every file it writes with its bytes, every track it
// copies, the folder it cleans. The planner is a pure function of the
// program state, the mod folder's layout, what the mod folder already holds
// and the options; applyplan.h carries a plan out. A preview shows a plan,
// another output format is another plan, taking a save back reads what a
// plan writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/scripts/modlayout.h"
#include "core/state/state.h"
#include "platform/fs.h"

namespace tunebelt {

struct FileWrite {
  std::string path;
  std::string bytes;
  platform::Durability durability = platform::Durability::Normal;
};

struct TrackCopy {
  std::string source;  // the playlist entry's path
  std::string target;  // mp3s and the cleaned name
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
};

struct SavePlan {
  ModLayout layout{std::string()};
  int trackCount = 0;
  std::optional<std::string> cleanUp;      // the mp3s folder, deleted first
  std::optional<FileWrite> userConfig;     // nothing when the hook is there already
  std::vector<std::string> foldersToMake;  // gfx and gfx/shell, when missing
  FileWrite keyBindings;
  // mp3.cfg as the progress window shows it (without its last CR LF); empty
  // when the playlist is longer than the scripts can hold.
  std::string scriptText;
  bool tooManyTracks = false;
  std::vector<FileWrite> playlistFiles;   // playlist1.cfg onward
  FileWrite controlScript;                // mp3.cfg
  std::vector<FileWrite> trackListFiles;  // tracklist.cfg onward
  std::vector<TrackCopy> tracks;          // in playlist order, one per entry
  bool showEachSource = false;            // developer mode: each source before its copy
};

// Reads the player's userconfig.cfg and kb_act.lst (or the shipped list of
// the mod when it has none) and looks at the folders a save makes. Throws
// platform::FsError naming a file that cannot be read.
ModFolderFiles ReadModFolder(const ModLayout& layout, const std::string& applicationFolder);

// The save of the state's playlist into the mod folder, as a plan.
SavePlan PlanSave(const ProgramState& state, const ModLayout& layout, const ModFolderFiles& found,
                  const PlanOptions& options);

// The shipped key-binding list for the mod folder's name, when there is one:
// application folder, "kb_act", the mod's name, "kb_act.lst".
std::optional<std::string> StockKeyBindingList(const std::string& modFolder,
                                               const std::string& applicationFolder);

}  // namespace tunebelt
