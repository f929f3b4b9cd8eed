// Decoding a track into interleaved float stereo, with FFmpeg's libraries
// (libavformat, libavcodec, libswresample). The file is read through the
// platform layer, never opened by FFmpeg itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

namespace tunebelt::audio {

// Receives decoded sound: `frames` pairs of left and right samples, full
// scale at 1.0.
using PcmSink = std::function<void(const float* stereo, std::size_t frames)>;

class Decoder {
 public:
  // Opens the track. The formats taken: MP3, FLAC, Ogg Vorbis, Ogg Opus,
  // AAC and ALAC in MP4/M4A, WAV (PCM); anything else is refused with an
  // AudioError naming what it is. `outputRate` is the rate wanted (0: the
  // track's own). Mono is given as the same sound on both sides, more than
  // two channels are mixed down. Throws AudioError or platform::FsError.
  Decoder(std::string_view path, int outputRate);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  int outputRate() const;
  int sourceRate() const;
  int sourceChannels() const;
  // "FLAC", "Vorbis", "Opus", "AAC", "ALAC", "MP3", "PCM".
  const std::string& codecName() const;

  // Decodes the next part of the track into `sink`; false once the whole
  // track has been given. A damaged packet is skipped (a cut-off end, a
  // broken frame); a track that gives nothing but errors is refused.
  // Throws AudioError, platform::FsError, or Cancelled when `stop` asks.
  bool decode(const PcmSink& sink, const std::stop_token& stop = {});
  // Decodes the whole track, reporting how far through the file it is.
  void decodeAll(const PcmSink& sink, const std::function<void(double)>& progress,
                 const std::stop_token& stop = {});

  // How far through the file the decoding has read, 0 to 1.
  double fractionRead() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tunebelt::audio
