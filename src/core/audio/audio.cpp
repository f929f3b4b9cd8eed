#include "core/audio/audio.h"

#include <mutex>
#include <optional>

#include "core/audio/parallel.h"
#include "platform/fs.h"

namespace tunebelt::audio {

Mp3Verdict LibraryAudioTools::probe(std::string_view path) {
  return ProbeMp3(path);
}

Loudness LibraryAudioTools::measure(std::string_view path, const Progress& progress,
                                    const std::stop_token& stop) {
  return MeasureLoudness(path, progress, stop);
}

platform::PendingFile LibraryAudioTools::convert(std::string_view source, std::string_view target,
                                                 const ConvertOptions& options,
                                                 const Progress& progress,
                                                 const std::stop_token& stop) {
  return ConvertToMp3(source, target, options, progress, stop);
}

Mp3GainResult LibraryAudioTools::levelMp3(std::string_view source, std::string_view target,
                                          int steps, const Progress& progress,
                                          const std::stop_token& stop) {
  return ApplyMp3Gain(source, target, steps, progress, stop);
}

Analysis MeasureTracks(AudioTools& tools, const std::vector<std::string>& paths,
                       MeasurementCache* cache, const TrackProgress& progress,
                       const std::stop_token& stop, unsigned threads) {
  Analysis analysis;
  analysis.tracks.resize(paths.size());
  std::mutex progressMutex;
  auto report = [&](std::size_t track, double fraction) {
    if (!progress) return;
    std::lock_guard lock(progressMutex);
    progress(track, fraction);
  };

  RunParallel(
      paths.size(), threads,
      [&](std::size_t i, const std::stop_token& token) {
        TrackLoudness& track = analysis.tracks[i];
        const std::string& path = paths[i];
        std::optional<platform::FileStamp> stamp;
        try {
          stamp = platform::regularFileFacts(path).stamp;
        } catch (const platform::FsError& e) {
          track.error = e.reason();
          report(i, 1.0);
          return;
        }
        if (cache != nullptr) {
          if (auto known = cache->find(path, *stamp)) {
            track.loudness = known;
            track.fromCache = true;
            report(i, 1.0);
            return;
          }
        }
        try {
          track.loudness = tools.measure(
              path, [&](double fraction) { report(i, fraction); }, token);
        } catch (const Cancelled&) {
          return;
        } catch (const AudioError& e) {
          track.error = e.reason();
        } catch (const platform::FsError& e) {
          track.error = e.reason();
        }
        if (track.loudness && cache != nullptr) cache->store(path, *stamp, *track.loudness);
        report(i, 1.0);
      },
      stop);
  analysis.cancelled = stop.stop_requested();
  return analysis;
}

}  // namespace tunebelt::audio
