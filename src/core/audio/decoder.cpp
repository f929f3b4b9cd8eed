#include "core/audio/decoder.h"

#include <array>
#include <cerrno>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

#include "core/audio/audioerror.h"
#include "platform/filestream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace tunebelt::audio {

namespace {

constexpr int kIoBufferBytes = 64 * 1024;
// Damaged packets in a row after which a track is given up.
constexpr int kMaxErrorsInARow = 200;

// The containers taken, by the names of FFmpeg's demuxers.
constexpr std::array<std::string_view, 5> kFormats = {"mp3", "flac", "ogg",
                                                      "mov,mp4,m4a,3gp,3g2,mj2", "wav"};

struct CodecName {
  AVCodecID id;
  const char* name;
};
constexpr std::array<CodecName, 12> kCodecs = {{
    {AV_CODEC_ID_MP3, "MP3"},
    {AV_CODEC_ID_FLAC, "FLAC"},
    {AV_CODEC_ID_VORBIS, "Vorbis"},
    {AV_CODEC_ID_OPUS, "Opus"},
    {AV_CODEC_ID_AAC, "AAC"},
    {AV_CODEC_ID_ALAC, "ALAC"},
    {AV_CODEC_ID_PCM_U8, "PCM"},
    {AV_CODEC_ID_PCM_S16LE, "PCM"},
    {AV_CODEC_ID_PCM_S24LE, "PCM"},
    {AV_CODEC_ID_PCM_S32LE, "PCM"},
    {AV_CODEC_ID_PCM_F32LE, "PCM"},
    {AV_CODEC_ID_PCM_F64LE, "PCM"},
}};

std::string describe(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

void quietLibraries() {
  // Problems reach the user as AudioError; FFmpeg's own log would only
  // clutter a terminal.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

struct Decoder::Impl {
  explicit Impl(std::string_view p) : path(p), file(p) {}
  ~Impl() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&swr);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    if (io != nullptr) av_freep(&io->buffer);
    avio_context_free(&io);
    av_channel_layout_uninit(&swrLayout);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  [[noreturn]] void fail(const std::string& reason) const { throw AudioError(path, reason); }

  // A read failure inside FFmpeg's calls comes back out here.
  void rethrowIo() {
    if (ioError) std::rethrow_exception(std::exchange(ioError, nullptr));
  }

  static int readPacket(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<Impl*>(opaque);
    try {
      const std::size_t n = self->file.read(buffer, static_cast<std::size_t>(size));
      return n == 0 ? AVERROR_EOF : static_cast<int>(n);
    } catch (...) {
      self->ioError = std::current_exception();
      return AVERROR(EIO);
    }
  }

  static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<Impl*>(opaque);
    const auto size = static_cast<std::int64_t>(self->file.size());
    std::int64_t to = 0;
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE:
        return size;
      case SEEK_SET:
        to = offset;
        break;
      case SEEK_CUR:
        to = static_cast<std::int64_t>(self->file.position()) + offset;
        break;
      case SEEK_END:
        to = size + offset;
        break;
      default:
        return AVERROR(EINVAL);
    }
    if (to < 0) return AVERROR(EINVAL);
    self->file.seek(static_cast<std::uint64_t>(to));
    return to;
  }

  void open(int wantedRate) {
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
    io = avio_alloc_context(buffer, kIoBufferBytes, 0, this, &Impl::readPacket, nullptr,
                            &Impl::seek);
    if (io == nullptr) {
      av_free(buffer);
      throw std::bad_alloc();
    }
    format = avformat_alloc_context();
    if (format == nullptr) throw std::bad_alloc();
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    int r = avformat_open_input(&format, "", nullptr, nullptr);  // frees `format` on failure
    rethrowIo();
    if (r < 0) fail("not a sound file that can be read (" + describe(r) + ")");
    const std::string_view demuxer = format->iformat->name;
    bool taken = false;
    for (std::string_view f : kFormats) taken = taken || f == demuxer;
    if (!taken) fail("a " + std::string(format->iformat->long_name) + " file is not taken");

    r = avformat_find_stream_info(format, nullptr);
    rethrowIo();
    if (r < 0) fail("its streams cannot be read (" + describe(r) + ")");
    stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0) fail("it holds no sound");
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      if (static_cast<int>(i) != stream) format->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVCodecParameters* par = format->streams[stream]->codecpar;
    for (const CodecName& c : kCodecs) {
      if (c.id == par->codec_id) codecName = c.name;
    }
    if (codecName.empty()) {
      fail("its sound is " + std::string(avcodec_get_name(par->codec_id)) + ", which is not taken");
    }
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (decoder == nullptr) fail("no decoder for " + codecName);
    codec = avcodec_alloc_context3(decoder);
    if (codec == nullptr) throw std::bad_alloc();
    if (avcodec_parameters_to_context(codec, par) < 0) fail("its " + codecName + " is damaged");
    codec->thread_count = 1;  // tracks are decoded side by side instead
    r = avcodec_open2(codec, decoder, nullptr);
    if (r < 0) fail("its " + codecName + " cannot be decoded (" + describe(r) + ")");
    sourceRate = codec->sample_rate;
    sourceChannels = codec->ch_layout.nb_channels;
    if (sourceRate <= 0 || sourceChannels <= 0) fail("its " + codecName + " is damaged");
    outputRate = wantedRate > 0 ? wantedRate : sourceRate;
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (packet == nullptr || frame == nullptr) throw std::bad_alloc();
  }

  // Sets the resampler up for the frame's layout, format and rate, unless
  // it is set up for them already (a chained Ogg stream may change them).
  void prepareResampler(const AVFrame* f) {
    AVChannelLayout layout{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&layout, f->ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&layout, &f->ch_layout) < 0) {
      throw std::bad_alloc();
    }
    if (swr != nullptr && f->format == swrFormat && f->sample_rate == swrRate &&
        av_channel_layout_compare(&layout, &swrLayout) == 0) {
      av_channel_layout_uninit(&layout);
      return;
    }
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    swrLayout = layout;
    swrFormat = f->format;
    swrRate = f->sample_rate;
    // Mono stays one channel here and is doubled afterwards: the mixer
    // would put it on both sides 3 dB lower, and the game plays it at full
    // level on both.
    outChannels = layout.nb_channels == 1 ? 1 : 2;
    AVChannelLayout out{};
    av_channel_layout_default(&out, outChannels);
    int r = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, outputRate, &swrLayout,
                                static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    if (r < 0 || (r = swr_init(swr)) < 0)
      fail("its sound cannot be converted (" + describe(r) + ")");
  }

  // Runs `count` input samples (none: what the resampler still holds)
  // through the resampler into the sink; the frames given.
  int convert(const std::uint8_t** input, int count, const PcmSink& sink) {
    const int room = swr_get_out_samples(swr, count);
    if (room <= 0) return 0;
    converted.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(outChannels));
    auto* outPtr = reinterpret_cast<std::uint8_t*>(converted.data());
    const int got = swr_convert(swr, &outPtr, room, input, count);
    if (got < 0) fail("its sound cannot be converted (" + describe(got) + ")");
    const auto frames = static_cast<std::size_t>(got);
    if (frames == 0) return 0;
    if (outChannels == 2) {
      sink(converted.data(), frames);
      return got;
    }
    stereo.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) stereo[2 * i] = stereo[2 * i + 1] = converted[i];
    sink(stereo.data(), frames);
    return got;
  }

  void flushResampler(const PcmSink& sink) {
    if (swr == nullptr) return;
    while (convert(nullptr, 0, sink) > 0) {
    }
  }

  std::string path;
  platform::InputFile file;
  std::exception_ptr ioError;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  int sourceRate = 0;
  int sourceChannels = 0;
  int outputRate = 0;
  std::string codecName;

  int swrFormat = -1;
  int swrRate = 0;
  AVChannelLayout swrLayout{};
  int outChannels = 2;
  std::vector<float> converted;
  std::vector<float> stereo;

  bool inputDone = false;
  bool finished = false;
  int errorsInARow = 0;
  std::uint64_t framesDecoded = 0;
};

Decoder::Decoder(std::string_view path, int outputRate) : impl_(std::make_unique<Impl>(path)) {
  quietLibraries();
  impl_->open(outputRate);
}

Decoder::~Decoder() = default;

int Decoder::outputRate() const {
  return impl_->outputRate;
}
int Decoder::sourceRate() const {
  return impl_->sourceRate;
}
int Decoder::sourceChannels() const {
  return impl_->sourceChannels;
}
const std::string& Decoder::codecName() const {
  return impl_->codecName;
}

double Decoder::fractionRead() const {
  const std::uint64_t size = impl_->file.size();
  if (size == 0) return 1.0;
  return std::min(1.0, static_cast<double>(impl_->file.position()) / static_cast<double>(size));
}

bool Decoder::decode(const PcmSink& sink, const std::stop_token& stop) {
  Impl& d = *impl_;
  while (!d.finished) {
    if (stop.stop_requested()) throw Cancelled();
    int r = avcodec_receive_frame(d.codec, d.frame);
    if (r == 0) {
      d.errorsInARow = 0;
      ++d.framesDecoded;
      d.prepareResampler(d.frame);
      d.convert(const_cast<const std::uint8_t**>(d.frame->extended_data), d.frame->nb_samples,
                sink);
      av_frame_unref(d.frame);
      return true;
    }
    if (r == AVERROR_EOF) {
      d.finished = true;
      if (d.framesDecoded == 0) d.fail("no sound could be decoded from it");
      d.flushResampler(sink);
      return false;
    }
    if (r != AVERROR(EAGAIN)) {
      // A frame the decoder could not make sense of: skipped.
      if (++d.errorsInARow > kMaxErrorsInARow) d.fail("its " + d.codecName + " is damaged");
      continue;
    }
    if (d.inputDone) {
      d.fail("its " + d.codecName + " decoder stopped early");
    }
    r = av_read_frame(d.format, d.packet);
    d.rethrowIo();
    if (r < 0) {
      // The end, or data past which nothing can be read: what came so far
      // is the track.
      d.inputDone = true;
      avcodec_send_packet(d.codec, nullptr);
      continue;
    }
    if (d.packet->stream_index == d.stream) {
      r = avcodec_send_packet(d.codec, d.packet);
      if (r < 0 && r != AVERROR(EAGAIN) && ++d.errorsInARow > kMaxErrorsInARow) {
        av_packet_unref(d.packet);
        d.fail("its " + d.codecName + " is damaged");
      }
    }
    av_packet_unref(d.packet);
  }
  return false;
}

void Decoder::decodeAll(const PcmSink& sink, const std::function<void(double)>& progress,
                        const std::stop_token& stop) {
  double reported = 0.0;
  while (decode(sink, stop)) {
    if (!progress) continue;
    const double now = fractionRead();
    if (now - reported >= 0.01) {
      reported = now;
      progress(now);
    }
  }
  if (progress) progress(1.0);
}

}  // namespace tunebelt::audio
