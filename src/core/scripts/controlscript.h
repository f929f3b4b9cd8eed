// mp3.cfg: current-track aliases, the two volume ladders, the starting
// volumes, the announcement aliases and the start of the playlist chain.
#pragma once

#include <cstdint>
#include <string>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

// The 62 lines of mp3.cfg joined by CR LF, without the final CR LF.
std::string BuildControlScript(std::int16_t mp3Volume, std::int16_t gameVolume);

// Builds the script into the progress window's text, writes the playlist
// files, switches the stages to copying, writes mp3.cfg and sets the progress
// maximum. Throws platform::FsError naming the file that failed.
void WriteControlScript(const ProgramState& state, const std::string& modFolder, Host& host);

}  // namespace tunebelt
