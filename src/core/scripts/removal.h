// Taking saves back out of a mod folder: the hook line, the controls
// section, and the scripts and track list a save writes, only where they are
// in the form a save gives them; with the tracks, the mp3s folder too. Like a
// save it is planned (a pure reading of the folder) and then carried out.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "core/scripts/modlayout.h"
#include "core/scripts/saveplan.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kNothingToRemoveMessage =
    "Nothing to remove: no Tunebelt scripts were found in this mod folder.";

struct RemovalPlan {
  ModLayout layout{std::string()};
  // userconfig.cfg without its last hook line; nothing when it has none or
  // when nothing else is left in it (it is then deleted, but for a link: the
  // link stays and the file it points to is emptied).
  std::optional<FileWrite> userConfig;
  bool deleteUserConfig = false;
  std::optional<FileWrite> keyBindings;  // kb_act.lst without the controls section
  // mp3.cfg, the playlist files, the track-list files, in that order.
  std::vector<std::string> scripts;
  // The temporary files a killed save left (mod folder, gfx/shell, mp3s).
  std::vector<std::string> leftovers;
  std::optional<std::string> tracks;  // the mp3s folder, with --tracks
  std::uint64_t trackFiles = 0;       // what is in it
  std::uint64_t trackBytes = 0;

  bool empty() const {
    return !userConfig && !deleteUserConfig && !keyBindings && scripts.empty() &&
           leftovers.empty() && !tracks;
  }
};

// The lines of userconfig.cfg without the last line that is exactly the hook
// line; nothing when no line is.
std::optional<std::vector<std::string>> WithoutHookLine(const std::vector<std::string>& lines);

// Reads the mod folder and plans what to take away. Throws platform::FsError
// naming a file that cannot be read.
RemovalPlan PlanRemoval(const ModLayout& layout, bool tracks);

// Carries the plan out in the order that keeps the game's scripts whole at
// every step: userconfig.cfg first (the game no longer runs mp3.cfg), then
// kb_act.lst, the scripts, the leftover temporary files, the mp3s folder.
// Rewrites are atomic and synced, and reach the file a link points to; each
// step done is noted in the journal (Replaced, Deleted, CleanedUp). Throws
// platform::FsError naming the file that failed; returns false when the
// clean-up of mp3s could not delete everything (it says so itself, and the
// journal has no CleanedUp then).
bool ApplyRemovalPlan(const RemovalPlan& plan, Host& host, Journal* journal);

// The plan as journal entries: what a removal would do.
Journal DescribeRemovalPlan(const RemovalPlan& plan);

struct RemovalOptions {
  bool tracks = false;             // also the mp3s folder
  bool dryRun = false;             // plan and journal only: nothing written, no lock taken
  Journal* journal = nullptr;      // what was removed, or would be on a dry run
  RemovalPlan* planned = nullptr;  // when given, the plan found in the folder
  char decimalSeparator = '.';
  std::chrono::milliseconds lockTimeout = std::chrono::seconds(60);
};

enum class RemovalResult { Done, NothingFound, Refused, Failed, Cancelled };

// Runs the whole command on the mod folder box's text: the box's checks,
// the lock, the plan, the removal, the cache label. When nothing of a save is
// found the host is told so and nothing changes. Nothing throws.
RemovalResult RemoveFromModFolder(const ProgramState& state, std::string& modFolder,
                                  const RemovalOptions& options, Host& host);

inline constexpr std::string_view kRemoveCaption = "Remove from Mod Folder";
inline constexpr std::string_view kRemoveTracksCheckBox =
    "Also delete the mp3s folder with the copied tracks";

// The question the window asks before a removal, naming the folder.
std::string RemovalQuestion(const std::string& modFolder);

// The window's command: the mod folder box's checks, then the question
// (Yes/No, with the check box for the mp3s folder), then the removal. No:
// Cancelled, and nothing changes.
RemovalResult AskAndRemoveFromModFolder(const ProgramState& state, std::string& modFolder,
                                        char decimalSeparator, Host& host);

}  // namespace tunebelt
