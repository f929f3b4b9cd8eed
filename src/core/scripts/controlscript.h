// mp3.cfg: current-track aliases, the two volume ladders, the starting
// volumes, the announcement aliases and the start of the playlist chain.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tunebelt {

// The steps of the volume ladders, lowest first: the volumes the game's
// volume keys step through.
std::span<const int> VolumeSteps();

// The step of the volume ladders (0, 2, 5, 9, 13, 15, then every 5 up to
// 100) nearest to a starting volume; halfway between two steps (1, 7, 11,
// 14) the higher one. Below 0 is 0, above 100 is 100.
int NearestVolumeStep(int volume);

// The 62 lines of mp3.cfg joined by CR LF, without the final CR LF. The
// starting volumes run the ladder alias of their nearest step, so the volume
// keys are defined from the start whatever volumes were chosen.
std::string BuildControlScript(std::int16_t mp3Volume, std::int16_t gameVolume);

// Whether `text` is an mp3.cfg as BuildControlScript writes it, for any pair
// of starting volumes: a player's own file of that name is not.
bool IsControlScript(std::string_view text);

}  // namespace tunebelt
