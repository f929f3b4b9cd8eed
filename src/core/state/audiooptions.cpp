#include "core/state/audiooptions.h"

#include <algorithm>

#include "core/state/printable.h"
#include "core/state/settings.h"
#include "core/state/volume.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr AudioOptionTexts kEnglishAudioTexts = {"Level loudness of the copies", "MP3 bit rate:"};
constexpr AudioOptionTexts kGermanAudioTexts = {"Lautst\u00e4rke der Kopien angleichen",
                                                "MP3 Bitrate:"};

}  // namespace

const AudioOptionTexts& AudioOptionTextsOf(int language) {
  return language == kGerman ? kGermanAudioTexts : kEnglishAudioTexts;
}

std::string BitrateText(int kbps) {
  return std::to_string(kbps) + " kb/s";
}

void ApplyOptions(ProgramState& state, std::string_view mp3Text, std::string_view gameText,
                  bool levelLoudness, int bitrateKbps, const std::string& settingsPath,
                  Prompts& prompts) {
  state.Mp3Volume = ApplyVolumeText(mp3Text, state.Mp3Volume);
  state.GameVolume = ApplyVolumeText(gameText, state.GameVolume);
  state.LevelLoudness = levelLoudness;
  const bool offered = std::find(kBitrateChoices.begin(), kBitrateChoices.end(), bitrateKbps) !=
                       kBitrateChoices.end();
  if (offered) state.BitrateKbps = bitrateKbps;
  try {
    SaveVolumes(settingsPath, state);
    SaveAudioOptions(settingsPath, state);
  } catch (const platform::FsError& e) {
    prompts.showMessage(
        "Could not save the options to " + PrintableName(e.path()) + ":\n" + e.reason(),
        kErrorCaption, MessageIcon::Critical);
  }
  if (!offered) {
    prompts.showMessage("No such MP3 bit rate: " + std::to_string(bitrateKbps) + " kb/s",
                        kErrorCaption, MessageIcon::Critical);
  }
}

}  // namespace tunebelt
