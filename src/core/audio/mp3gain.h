// Changing an MP3's loudness without decoding it: each granule's
// global_gain in the side information of every frame moves by the same
// number of steps (1.5 dB each), the rest of the file stays byte for byte.
#pragma once

#include <stop_token>
#include <string_view>

#include "core/audio/audioerror.h"
#include "platform/filestream.h"

namespace tunebelt::audio {

struct Mp3GainResult {
  // The new version of the target, for the caller to commit.
  platform::PendingFile file;
  // The steps applied: those asked for, or fewer where a granule's gain
  // would leave its range (0 to 255).
  int steps = 0;
  // Frames whose gains were changed.
  long frames = 0;
};

// Writes `source` into a new version of `target` (under a temporary name
// beside it; the caller commits it) with every sounding granule's gain moved
// by `steps`. Frames of MPEG-1, 2 and 2.5 Layer III are changed; a Xing,
// Info or VBRI frame, tags and anything between frames are copied as they
// are; a frame protected by a CRC gets its CRC computed anew. The source is
// only read. Throws AudioError for a file that is no playable MP3,
// platform::FsError, or Cancelled.
Mp3GainResult ApplyMp3Gain(std::string_view source, std::string_view target, int steps,
                           const Progress& progress = {}, const std::stop_token& stop = {});

}  // namespace tunebelt::audio
