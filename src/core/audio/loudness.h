// How loud a track is (integrated loudness after EBU R128, measured with
// libebur128, and its sample peak), and the gain that brings it to the
// loudness every levelled track plays at.
#pragma once

#include <stop_token>
#include <string_view>

#include "core/audio/audioerror.h"

namespace tunebelt::audio {

// The loudness levelled tracks play at: ReplayGain 2.0's reference.
inline constexpr double kTargetLufs = -18.0;
// One step of an MP3 frame's global gain: a factor of 2^(1/4) in amplitude.
inline constexpr double kGainStepDb = 1.5051499783199060;  // 20 log10(2^(1/4))

struct Loudness {
  // Integrated loudness in LUFS; minus infinity for a track that is silent
  // (or shorter than one 400 ms block).
  double lufs = 0.0;
  // The largest sample value, 1.0 being full scale (it may lie above).
  double peak = 0.0;
  bool operator==(const Loudness&) const = default;
};

// Decodes the track at its own rate (mono as the same sound on both sides)
// and measures it. Throws AudioError, platform::FsError, or Cancelled.
Loudness MeasureLoudness(std::string_view path, const Progress& progress = {},
                         const std::stop_token& stop = {});

// The gain in dB that brings a track of this loudness to kTargetLufs, but no
// more than keeps a peak at or below full scale there (a track whose peak
// lies above full scale already is never made louder). 0 for silence.
double LevelGainDb(const Loudness& loudness);

// The same in steps of kGainStepDb, for changing an MP3's frames: the
// nearest step, less as long as a louder one would put the peak above full
// scale.
int LevelGainSteps(const Loudness& loudness);

}  // namespace tunebelt::audio
