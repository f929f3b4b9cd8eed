// Writes the sounds the audio tests use (tests/core/audio_testset.h) into a
// folder: tones, noise and silence of known level, encoded with FFmpeg's
// encoders and muxers, the MP3s with LAME. The same input gives the same
// files, byte for byte.
//   make_test_audio FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../audio_testset.h"

extern "C" {
#include <lame/lame.h>
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace {

using tunebelt::test::audioset::Signal;
using tunebelt::test::audioset::Sound;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what);
}

void check(int r, const std::string& what) {
  if (r < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(r, text, sizeof text);
    fail(what + ": " + text);
  }
}

// The sound, one table of samples per channel.
std::vector<std::vector<float>> samples(const Sound& s) {
  using tunebelt::test::audioset::kSeconds;
  using tunebelt::test::audioset::kToneHz;
  const auto n = static_cast<std::size_t>(kSeconds * s.rate);
  const double amplitude = std::pow(10.0, s.levelDb / 20.0);
  std::vector<std::vector<float>> out(static_cast<std::size_t>(s.channels),
                                      std::vector<float>(n, 0.0f));
  std::mt19937 rng(26);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double tone = std::sin(2.0 * std::numbers::pi * kToneHz * t);
    for (std::size_t ch = 0; ch < out.size(); ++ch) {
      double v = 0.0;
      switch (s.signal) {
        case Signal::Tone:
          v = amplitude * tone;
          break;
        case Signal::Noise:
          // Uniform between -a and a has an RMS of a / sqrt(3).
          v = amplitude * std::sqrt(3.0) *
              (2.0 * (static_cast<double>(rng()) / 4294967296.0) - 1.0);
          break;
        case Signal::Silence:
          break;
        case Signal::Burst:
          v = (t >= 2.0 && t < 2.005 ? std::pow(10.0, -1.0 / 20.0) : amplitude) * tone;
          break;
      }
      out[ch][i] = static_cast<float>(v);
    }
  }
  return out;
}

// One frame of `count` samples from `at` on, in the encoder's format.
void fill(AVFrame* frame, const std::vector<std::vector<float>>& pcm, std::size_t at, int count) {
  const auto fmt = static_cast<AVSampleFormat>(frame->format);
  const int channels = frame->ch_layout.nb_channels;
  for (int ch = 0; ch < channels; ++ch) {
    for (int i = 0; i < frame->nb_samples; ++i) {
      const float v =
          i < count ? pcm[static_cast<std::size_t>(ch)][at + static_cast<std::size_t>(i)] : 0.0f;
      const auto s16 = static_cast<std::int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
      const auto s32 =
          static_cast<std::int32_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 2147483392.0));
      switch (fmt) {
        case AV_SAMPLE_FMT_S16:
          reinterpret_cast<std::int16_t*>(frame->data[0])[i * channels + ch] = s16;
          break;
        case AV_SAMPLE_FMT_S16P:
          reinterpret_cast<std::int16_t*>(frame->data[ch])[i] = s16;
          break;
        case AV_SAMPLE_FMT_S32P:
          reinterpret_cast<std::int32_t*>(frame->data[ch])[i] = s32;
          break;
        case AV_SAMPLE_FMT_FLT:
          reinterpret_cast<float*>(frame->data[0])[i * channels + ch] = v;
          break;
        case AV_SAMPLE_FMT_FLTP:
          reinterpret_cast<float*>(frame->data[ch])[i] = v;
          break;
        default:
          fail("sample format not handled");
      }
    }
  }
}

void withFfmpeg(const Sound& s, const std::string& path) {
  AVFormatContext* oc = nullptr;
  check(avformat_alloc_output_context2(&oc, nullptr, s.container, path.c_str()), s.container);
  const AVCodec* codec = avcodec_find_encoder_by_name(s.encoder);
  if (codec == nullptr) fail(std::string("no encoder ") + s.encoder);
  AVStream* st = avformat_new_stream(oc, nullptr);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  c->sample_rate = s.rate;
  av_channel_layout_default(&c->ch_layout, s.channels);
  c->sample_fmt = codec->sample_fmts[0];
  if (s.bitrateKbps > 0) c->bit_rate = s.bitrateKbps * 1000;
  c->time_base = AVRational{1, s.rate};
  if ((oc->oformat->flags & AVFMT_GLOBALHEADER) != 0) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // The same bytes on every run: no encoder version or time in the file.
  c->flags |= AV_CODEC_FLAG_BITEXACT;
  oc->flags |= AVFMT_FLAG_BITEXACT;
  check(avcodec_open2(c, codec, nullptr), s.encoder);
  check(avcodec_parameters_from_context(st->codecpar, c), "parameters");
  st->time_base = c->time_base;
  check(avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE), path);
  check(avformat_write_header(oc, nullptr), "header");

  const auto pcm = samples(s);
  const std::size_t total = pcm[0].size();
  const int frameSize = c->frame_size > 0 ? c->frame_size : 4096;
  const bool shortLast =
      (codec->capabilities & (AV_CODEC_CAP_VARIABLE_FRAME_SIZE | AV_CODEC_CAP_SMALL_LAST_FRAME)) !=
          0 ||
      c->frame_size == 0;
  AVFrame* frame = av_frame_alloc();
  AVPacket* pkt = av_packet_alloc();
  auto drain = [&] {
    for (;;) {
      int r = avcodec_receive_packet(c, pkt);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
      check(r, "encode");
      av_packet_rescale_ts(pkt, c->time_base, st->time_base);
      pkt->stream_index = st->index;
      check(av_interleaved_write_frame(oc, pkt), "write");
    }
  };
  for (std::size_t at = 0; at < total; at += static_cast<std::size_t>(frameSize)) {
    const int count = static_cast<int>(std::min<std::size_t>(frameSize, total - at));
    frame->nb_samples = shortLast ? count : frameSize;
    frame->format = c->sample_fmt;
    frame->sample_rate = s.rate;
    check(av_channel_layout_copy(&frame->ch_layout, &c->ch_layout), "layout");
    check(av_frame_get_buffer(frame, 0), "frame");
    fill(frame, pcm, at, count);
    frame->pts = static_cast<std::int64_t>(at);
    check(avcodec_send_frame(c, frame), "send");
    av_frame_unref(frame);
    drain();
  }
  check(avcodec_send_frame(c, nullptr), "flush");
  drain();
  check(av_write_trailer(oc), "trailer");
  avio_closep(&oc->pb);
  av_packet_free(&pkt);
  av_frame_free(&frame);
  avcodec_free_context(&c);
  avformat_free_context(oc);
}

void withLame(const Sound& s, const std::string& path) {
  lame_global_flags* gf = lame_init();
  lame_set_in_samplerate(gf, s.rate);
  lame_set_out_samplerate(gf, s.rate);
  lame_set_num_channels(gf, s.channels);
  lame_set_mode(gf, s.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, s.bitrateKbps);
  lame_set_error_protection(gf, s.crc ? 1 : 0);
  lame_set_quality(gf, 5);
  lame_set_bWriteVbrTag(gf, 1);
  if (lame_init_params(gf) < 0) fail("LAME settings");
  const auto pcm = samples(s);
  const std::size_t total = pcm[0].size();
  std::vector<unsigned char> out(total * 5 / 4 + 7200);
  const float* right = s.channels == 1 ? pcm[0].data() : pcm[1].data();
  int bytes = lame_encode_buffer_ieee_float(gf, pcm[0].data(), right, static_cast<int>(total),
                                            out.data(), static_cast<int>(out.size()));
  if (bytes < 0) fail("LAME encode");
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(out.data()), bytes);
  bytes = lame_encode_flush(gf, out.data(), static_cast<int>(out.size()));
  f.write(reinterpret_cast<const char*>(out.data()), bytes);
  const std::size_t tag = lame_get_lametag_frame(gf, out.data(), out.size());
  f.seekp(0);
  f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(tag));
  if (!f) fail("cannot write " + path);
  lame_close(gf);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_audio FOLDER\n");
    return 2;
  }
  av_log_set_level(AV_LOG_ERROR);
  const std::string folder = argv[1];
  try {
    for (const Sound& s : tunebelt::test::audioset::kSounds) {
      const std::string path = folder + "/" + s.file;
      if (std::string(s.encoder) == "lame") {
        withLame(s, path);
      } else {
        withFfmpeg(s, path);
      }
    }
    std::ofstream(folder + "/made.txt") << "tunebelt test sounds\n";
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_test_audio: %s\n", e.what());
    return 1;
  }
  return 0;
}
