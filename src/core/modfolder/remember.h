// The remembered mod folders.
#pragma once

#include <string>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

// The longest folder path a settings record holds, in bytes.
inline constexpr std::size_t kMaxStoredPathBytes = 126;

// Appends the folder to ModFolders (and tells the observer, so the mod
// folder box's list grows) unless an entry equals it exactly, the list is
// full, or the path is too long to store. True when it was appended.
bool RememberModFolder(ProgramState& state, const std::string& folder, StateObserver& observer);

}  // namespace tunebelt
