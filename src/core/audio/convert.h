// Converting a track into the MP3 the game plays: MPEG-1 Layer III,
// 44.1 kHz, stereo, constant bit rate, encoded with LAME (libmp3lame).
#pragma once

#include <stop_token>
#include <string_view>

#include "core/audio/audioerror.h"
#include "platform/filestream.h"

namespace tunebelt::audio {

inline constexpr int kMp3Rate = 44100;
inline constexpr int kDefaultBitrateKbps = 192;

struct ConvertOptions {
  // One of MPEG-1 Layer III's rates: 32, 40, 48, 56, 64, 80, 96, 112, 128,
  // 160, 192, 224, 256 or 320.
  int bitrateKbps = kDefaultBitrateKbps;
  // Applied to the sound before it is encoded (levelling).
  double gainDb = 0.0;
};

// Whether LAME can encode MPEG-1 Layer III at this rate.
bool ValidMp3Bitrate(int kbps);

// Decodes `source` (any format Decoder takes) and encodes it into a new
// version of `target`, written beside it under a temporary name: the
// caller commits it (renames it into place) or drops it. The source is only
// read. The copy starts with an Info frame that tells decoders the encoder's
// delay and padding, so it decodes to the source's length. Throws
// AudioError, platform::FsError, std::invalid_argument for a bit rate LAME
// does not take, or Cancelled when `stop` asks.
platform::PendingFile ConvertToMp3(std::string_view source, std::string_view target,
                                   const ConvertOptions& options, const Progress& progress = {},
                                   const std::stop_token& stop = {});

}  // namespace tunebelt::audio
