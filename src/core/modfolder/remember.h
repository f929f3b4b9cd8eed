// The remembered mod folders.
#pragma once

#include <string>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

// The longest folder path a settings record holds, in bytes.
inline constexpr std::size_t kMaxStoredPathBytes = 126;

// Appends the folder to ModFolders (and, through the host, to the mod folder
// box's list) unless an entry equals it exactly, the list is full, or the
// path is too long to store. True when it was appended.
bool RememberModFolder(ProgramState& state, const std::string& folder, Host& host);

}  // namespace tunebelt
