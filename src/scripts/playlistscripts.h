// playlist1.cfg onward: six aliases per track, chained file to file.
#pragma once

#include <string>
#include <vector>

#include "state/host.h"
#include "state/state.h"

namespace tunebelt {

// The text of every playlist file, entry k-1 for playlist<k>.cfg, exactly
// as written (each file's lines, the exec line of all but the last, CR LF).
std::vector<std::string> BuildPlaylistScripts(const ProgramState& state);

// Shows the progress window and writes playlist1.cfg onward into the mod
// folder. Throws platform::FsError naming the file that failed.
void WritePlaylistScripts(const ProgramState& state, const std::string& modFolder, Host& host);

}  // namespace tunebelt
