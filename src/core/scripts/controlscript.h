// mp3.cfg: current-track aliases, the two volume ladders, the starting
// volumes, the announcement aliases and the start of the playlist chain.
#pragma once

#include <cstdint>
#include <string>

namespace tunebelt {

// The 62 lines of mp3.cfg joined by CR LF, without the final CR LF.
std::string BuildControlScript(std::int16_t mp3Volume, std::int16_t gameVolume);

}  // namespace tunebelt
