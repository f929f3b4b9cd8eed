// The starting-volume text boxes of the options dialog: the check that keeps
// their text in range while the user types, and the value taken on Apply.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr int kMaxVolume = 100;

// The text with its last character removed until it is in range: empty, or a
// decimal number (digits with at most one ".") from 0 to 100. A lone "." is
// the start of a number like ".5" and stays. Any other text (a letter, a
// "-", a second ".") is shortened like a value out of range: "5000" gives
// "50", "100.5" gives "100.", "abc" gives "".
std::string validvolume(std::string text);

// The volume a box's text stands for, rounded to the nearest whole number
// with a half going to the even neighbour ("0.5" is 0, "1.5" is 2). An empty
// box, a lone "." or any text that is not a volume keeps the previous value.
std::int16_t ApplyVolumeText(std::string_view text, std::int16_t previous);

// Apply in the options dialog: each box's text into its volume (an empty
// or unusable box keeps the volume), then both written to the settings file.
// A failure to write is told, naming the file and the reason.
void ApplyVolumes(ProgramState& state, std::string_view mp3Text, std::string_view gameText,
                  const std::string& settingsPath, Prompts& prompts);

}  // namespace tunebelt
