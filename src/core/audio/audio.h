// The audio work of a save behind one interface: probing MP3s, measuring
// loudness, converting into MP3, changing an MP3's gain. The library one
// (FFmpeg, LAME, libebur128) is what the program runs; a test or another
// system can put its own in its place.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/audio/audioerror.h"
#include "core/audio/convert.h"
#include "core/audio/loudness.h"
#include "core/audio/measurecache.h"
#include "core/audio/mp3gain.h"
#include "core/audio/probe.h"

namespace tunebelt::audio {

class AudioTools {
 public:
  virtual ~AudioTools() = default;
  // Each as the free function of the same work (probe.h, loudness.h,
  // convert.h, mp3gain.h), with the same errors.
  virtual Mp3Verdict probe(std::string_view path) = 0;
  virtual Loudness measure(std::string_view path, const Progress& progress,
                           const std::stop_token& stop) = 0;
  virtual platform::PendingFile convert(std::string_view source, std::string_view target,
                                        const ConvertOptions& options, const Progress& progress,
                                        const std::stop_token& stop) = 0;
  virtual Mp3GainResult levelMp3(std::string_view source, std::string_view target, int steps,
                                 const Progress& progress, const std::stop_token& stop) = 0;
};

// FFmpeg's libraries, LAME and libebur128.
class LibraryAudioTools final : public AudioTools {
 public:
  Mp3Verdict probe(std::string_view path) override;
  Loudness measure(std::string_view path, const Progress& progress,
                   const std::stop_token& stop) override;
  platform::PendingFile convert(std::string_view source, std::string_view target,
                                const ConvertOptions& options, const Progress& progress,
                                const std::stop_token& stop) override;
  Mp3GainResult levelMp3(std::string_view source, std::string_view target, int steps,
                         const Progress& progress, const std::stop_token& stop) override;
};

// How far the work on one track of many has come, 0 to 1. Called from the
// worker threads, one call at a time.
using TrackProgress = std::function<void(std::size_t track, double fraction)>;

struct TrackLoudness {
  std::optional<Loudness> loudness;  // none: it failed, or the work stopped first
  bool fromCache = false;
  std::string error;  // why it could not be measured
};

struct Analysis {
  std::vector<TrackLoudness> tracks;  // one per path, in the same order
  bool cancelled = false;
};

// Measures every track, several at once (`threads` workers, 0: one per
// core). A track the cache knows at its present size and time is not
// measured; each measured one is stored in the cache (when given). A track
// that fails gets its reason and the others go on. When `stop` asks, the
// tracks not done stay without a measurement.
Analysis MeasureTracks(AudioTools& tools, const std::vector<std::string>& paths,
                       MeasurementCache* cache, const TrackProgress& progress = {},
                       const std::stop_token& stop = {}, unsigned threads = 0);

}  // namespace tunebelt::audio
