#include "core/audio/convert.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/audio/decoder.h"

extern "C" {
#include <lame/lame.h>
}

namespace tunebelt::audio {

namespace {

// LAME's choice of algorithms, 0 (slowest) to 9: 5 is its "good quality,
// fast"; at 192 kb/s its lower settings cost time without a difference
// one hears in the game.
constexpr int kLameQuality = 5;
// Stereo frames handed to LAME at a time.
constexpr std::size_t kChunkFrames = 8192;

// LAME set up for MPEG-1 Layer III, 44.1 kHz, joint stereo, constant rate.
class Encoder {
 public:
  Encoder(std::string target, int kbps) : target_(std::move(target)), lame_(lame_init()) {
    if (lame_ == nullptr) throw std::bad_alloc();
    lame_set_in_samplerate(lame_, kMp3Rate);
    lame_set_out_samplerate(lame_, kMp3Rate);
    lame_set_num_channels(lame_, 2);
    lame_set_mode(lame_, JOINT_STEREO);
    lame_set_VBR(lame_, vbr_off);
    lame_set_brate(lame_, kbps);
    lame_set_quality(lame_, kLameQuality);
    // An Info frame first: the delay and padding, for exact length.
    lame_set_bWriteVbrTag(lame_, 1);
    lame_set_write_id3tag_automatic(lame_, 0);
    {
      // Setting an encoder up fills tables all LAME encoders share (with the
      // same values every time): one set-up at a time.
      static std::mutex tables;
      std::lock_guard lock(tables);
      if (lame_init_params(lame_) < 0) fail("LAME refused its settings");
    }
    // LAME's own bound for a buffer of output: 1.25 times the samples and
    // 7200 bytes.
    buffer_.resize(kChunkFrames * 5 / 4 + 7200);
  }
  ~Encoder() { lame_close(lame_); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  void encode(const float* stereo, std::size_t frames, platform::PendingFile& out) {
    while (frames > 0) {
      const std::size_t n = std::min(frames, kChunkFrames);
      const int bytes = lame_encode_buffer_interleaved_ieee_float(
          lame_, stereo, static_cast<int>(n), buffer_.data(), static_cast<int>(buffer_.size()));
      if (bytes < 0) fail("LAME could not encode (error " + std::to_string(bytes) + ")");
      out.write(buffer_.data(), static_cast<std::size_t>(bytes));
      stereo += 2 * n;
      frames -= n;
    }
  }

  void finish(platform::PendingFile& out) {
    const int bytes = lame_encode_flush(lame_, buffer_.data(), static_cast<int>(buffer_.size()));
    if (bytes < 0) fail("LAME could not finish (error " + std::to_string(bytes) + ")");
    out.write(buffer_.data(), static_cast<std::size_t>(bytes));
    // The Info frame takes the place of the empty frame LAME began with.
    const std::size_t tag = lame_get_lametag_frame(lame_, buffer_.data(), buffer_.size());
    if (tag > 0 && tag <= buffer_.size()) out.writeAt(0, buffer_.data(), tag);
  }

 private:
  [[noreturn]] void fail(const std::string& reason) const { throw AudioError(target_, reason); }

  std::string target_;
  lame_global_flags* lame_;
  std::vector<unsigned char> buffer_;
};

}  // namespace

bool ValidMp3Bitrate(int kbps) {
  for (int rate : {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}) {
    if (rate == kbps) return true;
  }
  return false;
}

platform::PendingFile ConvertToMp3(std::string_view source, std::string_view target,
                                   const ConvertOptions& options, const Progress& progress,
                                   const std::stop_token& stop) {
  if (!ValidMp3Bitrate(options.bitrateKbps)) {
    throw std::invalid_argument(
        "no MPEG-1 Layer III bit rate: " + std::to_string(options.bitrateKbps) + " kb/s");
  }
  Decoder decoder(source, kMp3Rate);
  platform::PendingFile out(target);
  Encoder encoder(std::string(target), options.bitrateKbps);
  const auto gain = static_cast<float>(std::pow(10.0, options.gainDb / 20.0));
  std::vector<float> scaled;
  decoder.decodeAll(
      [&](const float* stereo, std::size_t frames) {
        if (gain != 1.0f) {
          scaled.assign(stereo, stereo + 2 * frames);
          for (float& s : scaled) s *= gain;
          stereo = scaled.data();
        }
        encoder.encode(stereo, frames, out);
      },
      progress, stop);
  encoder.finish(out);
  return out;
}

}  // namespace tunebelt::audio
