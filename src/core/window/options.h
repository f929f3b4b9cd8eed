// The options dialog without a toolkit: the values it shows, the choices
// each offers, and what Apply, Ok and Cancel do with them. A view draws one
// control per value, hands each change here and reads the values back.
// Adding an option is a field in OptionValues, its choices, and a line each
// in load and store.
#pragma once

#include <span>
#include <string>

#include "core/audio/convert.h"
#include "core/state/audiooptions.h"
#include "core/state/host.h"
#include "core/state/startup.h"
#include "core/state/state.h"

namespace tunebelt {

struct OptionValues {
  int mp3Volume = kDefaultVolume;   // always one of VolumeChoices()
  int gameVolume = kDefaultVolume;  // always one of VolumeChoices()
  bool levelLoudness = false;
  int bitrateKbps = audio::kDefaultBitrateKbps;  // always one of kBitrateChoices

  bool operator==(const OptionValues&) const = default;
};

class OptionsForm {
 public:
  OptionsForm(ProgramState& state, SettingsFile& settings, Prompts& prompts);

  // The volumes a volume control offers, lowest first: the steps the
  // game's volume keys take.
  static std::span<const int> VolumeChoices();
  // The place of a volume among VolumeChoices(): its nearest step's.
  static int VolumeChoiceIndex(int volume);

  // What the dialog shows.
  const OptionValues& values() const { return values_; }
  // A volume the player chose or typed: it becomes its nearest step, which
  // the control shows at once.
  void setMp3Volume(int volume);
  void setGameVolume(int volume);
  void setLevelLoudness(bool on);
  // A bit rate the list does not offer keeps the one before.
  void setBitrate(int kbps);
  // The captions of the audio options in the window's language.
  const AudioOptionTexts& audioTexts() const { return AudioOptionTextsOf(state_.Language); }

  // Apply (and Ok before it hides the dialog): the values into the program
  // state and the settings file; a failure to write is told.
  void apply();
  // Every opening of the dialog, and Cancel: the values as the state holds
  // them, a stored volume between two steps shown at its nearest one.
  void reload();

 private:
  ProgramState& state_;
  SettingsFile& settings_;
  Prompts& prompts_;
  OptionValues values_;
};

}  // namespace tunebelt
