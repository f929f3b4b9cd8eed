#include "core/audio/probe.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/filestream.h"

namespace tunebelt::audio {

namespace {

constexpr std::size_t kFirstRead = std::size_t{16} * 1024;
// ID3v2 tags one after another (a tagger that prepends without looking):
// past this many the file is not looked at further.
constexpr int kMaxTags = 16;

// The bytes of a file from `base` on, read as far as the search needs them.
class Window {
 public:
  Window(platform::InputFile& file, std::uint64_t base) : file_(file), base_(base) {}

  // Makes bytes [0, end) past the base available, as far as the file goes.
  void need(std::size_t end) {
    if (end <= bytes_.size() || complete()) return;
    const std::size_t want = std::max({end, bytes_.size() * 2, kFirstRead});
    const std::size_t had = bytes_.size();
    bytes_.resize(want);
    bytes_.resize(had + file_.readAt(base_ + had, bytes_.data() + had, want - had));
    ended_ = bytes_.size() < want;
  }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  // True when the window reaches the end of the file.
  bool complete() const { return ended_ || base_ + bytes_.size() >= file_.size(); }

 private:
  platform::InputFile& file_;
  std::uint64_t base_;
  std::vector<std::uint8_t> bytes_;
  bool ended_ = false;
};

bool startsWith(const Window& w, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  return w.size() >= at + n && std::memcmp(w.data() + at, text, n) == 0;
}

// Containers and streams told by their first bytes.
AudioKind signatureKind(const Window& w) {
  if (startsWith(w, 0, "fLaC")) return AudioKind::Flac;
  if (startsWith(w, 0, "OggS")) return AudioKind::Ogg;
  if (startsWith(w, 0, "RIFF") && startsWith(w, 8, "WAVE")) return AudioKind::Wav;
  if (startsWith(w, 4, "ftyp")) return AudioKind::Mp4;
  return AudioKind::Unknown;
}

// Whether ADTS frames (AAC) start at `pos`: three frames in a row, or as
// many as there are before the data ends.
bool adtsAt(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  for (int frame = 0; frame < 3; ++frame) {
    if (pos + 7 > size) return frame > 0;
    const std::uint8_t* p = data + pos;
    if (p[0] != 0xFF || (p[1] & 0xF6) != 0xF0) return false;
    const std::size_t length = (static_cast<std::size_t>(p[3] & 3) << 11) |
                               (static_cast<std::size_t>(p[4]) << 3) | (p[5] >> 5);
    if (length < 7) return false;
    pos += length;
  }
  return true;
}

const char* versionName(MpegVersion v) {
  switch (v) {
    case MpegVersion::Mpeg1:
      return "MPEG-1";
    case MpegVersion::Mpeg2:
      return "MPEG-2";
    case MpegVersion::Mpeg25:
      return "MPEG-2.5";
  }
  return "MPEG";
}

std::string notLayer3(const char* what) {
  return std::string(what) + ", not MPEG audio Layer III";
}

Mp3Verdict refused(AudioKind kind, std::string reason) {
  Mp3Verdict v;
  v.kind = kind;
  v.reason = std::move(reason);
  return v;
}

}  // namespace

Mp3Verdict ProbeMp3(std::string_view path) {
  platform::InputFile file(path);
  if (file.size() == 0) return refused(AudioKind::Unknown, "the file is empty");

  std::uint64_t base = 0;
  for (int i = 0; i < kMaxTags; ++i) {
    std::uint8_t tag[10];
    const std::uint64_t length = Id3v2TagBytes(tag, file.readAt(base, tag, sizeof tag));
    if (length == 0) break;
    base += length;
  }
  if (base >= file.size()) return refused(AudioKind::Unknown, "only an ID3 tag, no audio");

  Window w(file, base);
  w.need(kFirstRead);
  if (AudioKind kind = signatureKind(w); kind != AudioKind::Unknown) {
    switch (kind) {
      case AudioKind::Flac:
        return refused(kind, notLayer3("FLAC audio"));
      case AudioKind::Ogg:
        return refused(kind, notLayer3("an Ogg file (Vorbis or Opus)"));
      case AudioKind::Wav:
        return refused(kind, notLayer3("a WAV file"));
      default:
        return refused(kind, notLayer3("an MP4/M4A file (AAC or ALAC)"));
    }
  }

  constexpr std::size_t kChainBytes = kChainFrames * static_cast<std::size_t>(kMaxFrameBytes) + 4;
  int shortChain = 0;
  for (std::size_t pos = 0; pos < kFrameSearchBytes; ++pos) {
    w.need(pos + kChainBytes);
    if (pos + 4 > w.size()) break;
    // Straight to the next byte that can begin a header.
    const void* sync = std::memchr(w.data() + pos, 0xFF, w.size() - pos);
    if (sync == nullptr) {
      pos = w.size() - 1;  // on from the first byte not read yet
      continue;
    }
    pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - w.data());
    if (pos >= kFrameSearchBytes || pos + 4 > w.size()) break;
    w.need(pos + kChainBytes);

    if (adtsAt(w.data(), w.size(), pos))
      return refused(AudioKind::Aac, notLayer3("AAC audio (ADTS)"));
    bool ranOut = false;
    const int frames = CountChain(w.data(), w.size(), pos, kChainFrames, &ranOut);
    if (frames >= kChainFrames) {
      const FrameHeader first = *ParseFrameHeader(w.data() + pos);
      if (first.layer != 3) {
        const std::string what =
            std::string(versionName(first.version)) + " Layer " + (first.layer == 1 ? "I" : "II");
        return refused(AudioKind::OtherMpeg, what + ", not Layer III");
      }
      Mp3Verdict v;
      v.playable = true;
      v.kind = AudioKind::Mp3;
      v.first = first;
      v.firstFrameOffset = base + pos;
      return v;
    }
    if (frames > 0 && ranOut && w.complete() && shortChain == 0) shortChain = frames;
  }
  if (shortChain > 0) {
    return refused(AudioKind::Unknown, "the file ends after " + std::to_string(shortChain) +
                                           " MPEG audio frame" + (shortChain == 1 ? "" : "s"));
  }
  return refused(AudioKind::Unknown, "no MPEG audio frames found");
}

std::string DescribeVerdict(const Mp3Verdict& verdict) {
  if (!verdict.playable) return verdict.reason;
  const FrameHeader& h = verdict.first;
  std::string rate = std::to_string(h.sampleRate / 1000);
  if (h.sampleRate % 1000 != 0) {
    std::string decimals = std::to_string(1000 + h.sampleRate % 1000).substr(1);
    rate += "." + decimals.substr(0, decimals.find_last_not_of('0') + 1);
  }
  return std::string(versionName(h.version)) + " Layer III, " + rate + " kHz, " +
         std::to_string(h.bitrateKbps) + " kb/s, " + (h.channels() == 1 ? "mono" : "stereo");
}

}  // namespace tunebelt::audio
