// Taking saves back out of a mod folder: the hook line, the controls
// section, and the scripts and track list a save writes, only where they are
// in the form a save gives them; with the tracks, the mp3s folder too. Like a
// save: the folder read, the steps planned from what was read, the plan
// carried out by the same executor.
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

// The lines of userconfig.cfg without the last line that is exactly the hook
// line; nothing when no line is.
std::optional<std::vector<std::string>> WithoutHookLine(const std::vector<std::string>& lines);

// What to take away, from what ReadModFolder found (with the size of mp3s
// when `tracks`), in the order that keeps the game's scripts whole at every
// step: userconfig.cfg first (the game no longer runs mp3.cfg; a file left
// with nothing else goes, but a link stays a link and the file it points to
// is emptied), then kb_act.lst, the scripts, the leftover temporary files,
// with `tracks` the mp3s folder. Rewrites are synced and reach the file a
// link points to. Pure.
Plan PlanRemoval(const ModLayout& layout, const ModFolderFiles& found, bool tracks);

struct RemovalOptions {
  bool tracks = false;         // also the mp3s folder
  bool dryRun = false;         // plan and journal only: nothing written, no lock taken
  Journal* journal = nullptr;  // what was removed, or would be on a dry run
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
