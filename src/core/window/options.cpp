#include "core/window/options.h"

#include <algorithm>

#include "core/scripts/controlscript.h"
#include "core/state/settings.h"

namespace tunebelt {

OptionsForm::OptionsForm(ProgramState& state, SettingsFile& settings, Prompts& prompts)
    : state_(state), settings_(settings), prompts_(prompts) {
  reload();
}

std::span<const int> OptionsForm::VolumeChoices() {
  return VolumeSteps();
}

int OptionsForm::VolumeChoiceIndex(int volume) {
  const std::span<const int> steps = VolumeChoices();
  const auto at = std::find(steps.begin(), steps.end(), NearestVolumeStep(volume));
  return static_cast<int>(at - steps.begin());
}

void OptionsForm::setMp3Volume(int volume) {
  values_.mp3Volume = NearestVolumeStep(volume);
}

void OptionsForm::setGameVolume(int volume) {
  values_.gameVolume = NearestVolumeStep(volume);
}

void OptionsForm::setLevelLoudness(bool on) {
  values_.levelLoudness = on;
}

void OptionsForm::setBitrate(int kbps) {
  if (std::find(kBitrateChoices.begin(), kBitrateChoices.end(), kbps) != kBitrateChoices.end()) {
    values_.bitrateKbps = kbps;
  }
}

void OptionsForm::apply() {
  state_.Mp3Volume = static_cast<std::int16_t>(values_.mp3Volume);
  state_.GameVolume = static_cast<std::int16_t>(values_.gameVolume);
  state_.LevelLoudness = values_.levelLoudness;
  state_.BitrateKbps = values_.bitrateKbps;
  settings_.tellNextFailure();
  settings_.use(
      [this](const std::string& path) {
        SaveVolumes(path, state_);
        SaveAudioOptions(path, state_);
      },
      prompts_);
}

void OptionsForm::reload() {
  values_.mp3Volume = NearestVolumeStep(state_.Mp3Volume);
  values_.gameVolume = NearestVolumeStep(state_.GameVolume);
  values_.levelLoudness = state_.LevelLoudness;
  values_.bitrateKbps = audio::kDefaultBitrateKbps;
  setBitrate(state_.BitrateKbps);
}

}  // namespace tunebelt
