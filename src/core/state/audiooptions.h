// The audio options of the options dialog: whether a save levels every copy
// to one loudness, and the bit rate of the copies it converts: the choices
// and their captions in both languages (the options form holds and applies
// the values).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/state/state.h"

namespace tunebelt {

// The bit rates offered for converted copies, in kb/s.
inline constexpr std::array<int, 6> kBitrateChoices = {128, 160, 192, 224, 256, 320};

struct AudioOptionTexts {
  std::string_view levelLoudness;  // the check box
  std::string_view bitrate;        // the label before the bit rate choice
};

// The captions of each language (1 English, 2 German).
const AudioOptionTexts& AudioOptionTextsOf(int language);

// A bit rate choice as the dialog lists it: "192 kb/s".
std::string BitrateText(int kbps);

}  // namespace tunebelt
