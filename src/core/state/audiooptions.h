// The audio options of the options dialog: whether a save levels every copy
// to one loudness, and the bit rate of the copies it converts. The values,
// their captions in both languages and Apply; a view only shows them.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/state/host.h"
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

// Apply in the options dialog: the volume boxes' texts (as ApplyVolumes
// takes them), the check box and the bit rate into the state, then all of
// them into the settings file. A bit rate that is none of kBitrateChoices is
// told and keeps the one before; a failure to write is told once, naming the
// file and the reason.
void ApplyOptions(ProgramState& state, std::string_view mp3Text, std::string_view gameText,
                  bool levelLoudness, int bitrateKbps, const std::string& settingsPath,
                  Prompts& prompts);

}  // namespace tunebelt
