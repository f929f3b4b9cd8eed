#include "core/audio/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "core/audio/decoder.h"

extern "C" {
#include <ebur128.h>
}

namespace tunebelt::audio {

namespace {

class Meter {
 public:
  Meter(int rate)
      : state_(ebur128_init(2, static_cast<unsigned long>(rate),
                            EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK)) {
    if (state_ == nullptr) throw std::bad_alloc();
  }
  ~Meter() { ebur128_destroy(&state_); }
  Meter(const Meter&) = delete;
  Meter& operator=(const Meter&) = delete;

  void add(const float* stereo, std::size_t frames) {
    if (ebur128_add_frames_float(state_, stereo, frames) != EBUR128_SUCCESS) throw std::bad_alloc();
  }
  Loudness result() {
    Loudness l;
    if (ebur128_loudness_global(state_, &l.lufs) != EBUR128_SUCCESS) throw std::bad_alloc();
    // libebur128 answers -HUGE_VAL when no block passes its gates.
    if (!std::isfinite(l.lufs)) l.lufs = -std::numeric_limits<double>::infinity();
    for (unsigned ch = 0; ch < 2; ++ch) {
      double peak = 0.0;
      if (ebur128_sample_peak(state_, ch, &peak) == EBUR128_SUCCESS)
        l.peak = std::max(l.peak, peak);
    }
    return l;
  }

 private:
  ebur128_state* state_;
};

// The most a track with this peak may be raised, in dB.
double headroomDb(double peak) {
  if (peak <= 0.0) return std::numeric_limits<double>::infinity();
  return peak > 1.0 ? 0.0 : -20.0 * std::log10(peak);
}

}  // namespace

Loudness MeasureLoudness(std::string_view path, const Progress& progress,
                         const std::stop_token& stop) {
  Decoder decoder(path, 0);
  Meter meter(decoder.outputRate());
  decoder.decodeAll([&](const float* stereo, std::size_t frames) { meter.add(stereo, frames); },
                    progress, stop);
  return meter.result();
}

double LevelGainDb(const Loudness& loudness) {
  if (!std::isfinite(loudness.lufs)) return 0.0;
  return std::min(kTargetLufs - loudness.lufs, headroomDb(loudness.peak));
}

int LevelGainSteps(const Loudness& loudness) {
  if (!std::isfinite(loudness.lufs)) return 0;
  int steps = static_cast<int>(std::lround((kTargetLufs - loudness.lufs) / kGainStepDb));
  const double room = headroomDb(loudness.peak);
  while (steps > 0 && steps * kGainStepDb > room) --steps;
  return steps;
}

}  // namespace tunebelt::audio
