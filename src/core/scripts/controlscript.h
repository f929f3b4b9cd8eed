// mp3.cfg: current-track aliases, the two volume ladders, the starting
// volumes, the announcement aliases and the start of the playlist chain.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tunebelt {

// The 62 lines of mp3.cfg joined by CR LF, without the final CR LF.
std::string BuildControlScript(std::int16_t mp3Volume, std::int16_t gameVolume);

// Whether `text` is an mp3.cfg as BuildControlScript writes it, for any pair
// of starting volumes: a player's own file of that name is not.
bool IsControlScript(std::string_view text);

}  // namespace tunebelt
