// What the audio tests share: the made sounds (audio_testset.h) and a few
// facts read back from what the code under test wrote.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "audio_testset.h"
#include "core/audio/audio.h"
#include "core/audio/decoder.h"
#include "core/audio/mpegframe.h"
#include "core/audio/probe.h"
#include "test_util.h"

namespace tunebelt::test {

// A made sound, by its name in audio_testset.h.
inline std::string sound(const std::string& name) {
  return std::string(TUNEBELT_AUDIO_TESTDATA) + "/" + name;
}

// The sounds of the playlist of one track per format.
inline std::vector<audioset::Sound> playlistSounds() {
  return {std::begin(audioset::kSounds), std::begin(audioset::kSounds) + audioset::kPlaylistSounds};
}

inline bool isMp3(const audioset::Sound& s) {
  return std::string(s.encoder) == "lame";
}

// How long a track plays, decoded at its own rate.
inline double decodedSeconds(const std::string& path) {
  audio::Decoder d(path, 0);
  std::uint64_t frames = 0;
  d.decodeAll([&](const float*, std::size_t n) { frames += n; }, {});
  return static_cast<double>(frames) / d.outputRate();
}

struct MpegFrame {
  std::size_t offset;
  audio::FrameHeader header;
};

// The frames of an MP3's bytes, from its first frame on, one after another
// as their headers say.
inline std::vector<MpegFrame> mpegFrames(const std::string& path) {
  const std::string bytes = readFile(path);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::vector<MpegFrame> out;
  std::size_t at = static_cast<std::size_t>(audio::ProbeMp3(path).firstFrameOffset);
  while (at + 4 <= bytes.size()) {
    auto h = audio::ParseFrameHeader(data + at);
    if (!h || at + static_cast<std::size_t>(h->frameBytes) > bytes.size()) break;
    out.push_back({at, *h});
    at += static_cast<std::size_t>(h->frameBytes);
  }
  return out;
}

// The library's tools, counting the work they do.
class CountingTools : public audio::AudioTools {
 public:
  audio::Mp3Verdict probe(std::string_view path) override { return real_.probe(path); }
  audio::Loudness measure(std::string_view path, const audio::Progress& progress,
                          const std::stop_token& stop) override {
    ++measured;
    return real_.measure(path, progress, stop);
  }
  platform::PendingFile convert(std::string_view source, std::string_view target,
                                const audio::ConvertOptions& options,
                                const audio::Progress& progress,
                                const std::stop_token& stop) override {
    ++converted;
    return real_.convert(source, target, options, progress, stop);
  }
  audio::Mp3GainResult levelMp3(std::string_view source, std::string_view target, int steps,
                                const audio::Progress& progress,
                                const std::stop_token& stop) override {
    ++levelled;
    return real_.levelMp3(source, target, steps, progress, stop);
  }
  std::atomic<int> measured{0}, converted{0}, levelled{0};

 private:
  audio::LibraryAudioTools real_;
};

}  // namespace tunebelt::test
