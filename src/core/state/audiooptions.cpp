#include "core/state/audiooptions.h"

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

}  // namespace tunebelt
