#include "core/audio/mp3gain.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/audio/mpegframe.h"
#include "core/audio/probe.h"

namespace tunebelt::audio {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{256} * 1024;
// Frames in a row that mark where the stream goes on after bytes that are
// not part of it.
constexpr int kResyncFrames = 3;
constexpr std::size_t kLookahead = kResyncFrames * static_cast<std::size_t>(kMaxFrameBytes) + 4;

// One piece of the file: a frame of the stream, or bytes that are not one
// (tags, junk, a frame cut off at the end).
struct Piece {
  std::uint64_t offset = 0;
  std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool isFrame = false;
  FrameHeader header;
};

// The file cut into pieces, front to back, through a window of it.
class FrameWalker {
 public:
  FrameWalker(platform::InputFile& file, const Mp3Verdict& verdict)
      : file_(file), stream_(verdict.first), firstFrame_(verdict.firstFrameOffset) {}

  // The next piece; false at the end. The piece's bytes stay valid, and
  // may be changed, until the next call.
  bool next(Piece& piece) {
    const std::uint64_t end = file_.size();
    if (pos_ >= end) return false;
    window(kLookahead);
    const std::uint8_t* here = at(pos_);
    const std::size_t ahead = available();
    piece = Piece{};
    piece.offset = pos_;
    piece.data = const_cast<std::uint8_t*>(here);

    if (pos_ < firstFrame_) {  // the tags before the first frame
      piece.size = static_cast<std::size_t>(std::min<std::uint64_t>(firstFrame_ - pos_, ahead));
    } else if (auto h = frameAt(here, ahead, locked_ ? 1 : kResyncFrames)) {
      piece.isFrame = true;
      piece.header = *h;
      piece.size = static_cast<std::size_t>(h->frameBytes);
    } else {
      piece.size = skipLength(here, ahead);
    }
    locked_ = piece.isFrame;
    pos_ += piece.size;
    return true;
  }

  std::uint64_t position() const { return pos_; }

 private:
  // A frame of the stream at `p` that lies wholly in the file, followed by
  // `chain` - 1 more, or by the end of the file.
  std::optional<FrameHeader> frameAt(const std::uint8_t* p, std::size_t ahead, int chain) const {
    if (ahead < 4) return std::nullopt;
    auto h = ParseFrameHeader(p);
    if (!h || !SameStream(*h, stream_) || static_cast<std::size_t>(h->frameBytes) > ahead) {
      return std::nullopt;
    }
    if (chain <= 1) return h;
    bool ranOut = false;
    const int frames = CountChain(p, ahead, 0, chain, &ranOut);
    if (frames >= chain || (ranOut && remainingIsWindow())) return h;
    return std::nullopt;
  }

  // Bytes up to where the stream goes on, or up to the end of the window.
  std::size_t skipLength(const std::uint8_t* p, std::size_t ahead) const {
    const std::size_t limit = remainingIsWindow() ? ahead : ahead - std::min(ahead, kLookahead);
    for (std::size_t i = 1; i < limit; ++i) {
      if (p[i] == 0xFF && frameAt(p + i, ahead - i, kResyncFrames)) return i;
    }
    return std::max<std::size_t>(limit, 1);
  }

  // Makes the window hold at least `want` bytes from the position on (as
  // far as the file goes).
  void window(std::size_t want) {
    if (pos_ >= bufStart_ && pos_ + want <= bufStart_ + buf_.size()) return;
    if (pos_ >= bufStart_ && bufStart_ + buf_.size() >= file_.size()) return;
    buf_.resize(std::max(kBufferBytes, want));
    bufStart_ = pos_;
    buf_.resize(file_.readAt(pos_, buf_.data(), buf_.size()));
  }
  std::uint8_t* at(std::uint64_t offset) { return buf_.data() + (offset - bufStart_); }
  std::size_t available() const { return static_cast<std::size_t>(bufStart_ + buf_.size() - pos_); }
  bool remainingIsWindow() const { return bufStart_ + buf_.size() >= file_.size(); }

  platform::InputFile& file_;
  FrameHeader stream_;
  std::uint64_t firstFrame_;
  std::vector<std::uint8_t> buf_;
  std::uint64_t bufStart_ = 0;
  std::uint64_t pos_ = 0;
  bool locked_ = true;
};

// Gains that can be moved: audio frames (not an Info frame).
bool carriesSound(const Piece& piece) {
  return piece.isFrame && !IsInfoFrame(piece.data, piece.header);
}

template <typename Each>
void eachGain(const Piece& piece, Each each) {
  const GainFields fields = GlobalGainFields(piece.header);
  std::uint8_t* side = piece.data + piece.header.sideInfoOffset();
  for (int i = 0; i < fields.count; ++i) {
    each(side, fields.bits[i], ReadBits(side, fields.lengthBits[i], 12) != 0);
  }
}

void checkStop(const std::stop_token& stop) {
  if (stop.stop_requested()) throw Cancelled();
}

}  // namespace

Mp3GainResult ApplyMp3Gain(std::string_view source, std::string_view target, int steps,
                           const Progress& progress, const std::stop_token& stop) {
  const Mp3Verdict verdict = ProbeMp3(source);
  if (!verdict.playable) throw AudioError(std::string(source), verdict.reason);
  platform::InputFile file(source);
  const double size = std::max<double>(1.0, static_cast<double>(file.size()));
  double reported = 0.0;
  auto report = [&](double fraction) {
    if (progress && fraction - reported >= 0.01) {
      reported = fraction;
      progress(fraction);
    }
  };

  // First pass: how far the gains can move. Granules without sound (their
  // gain means nothing) do not limit it.
  int lowest = 255;
  int highest = 0;
  {
    FrameWalker walker(file, verdict);
    Piece piece;
    while (walker.next(piece)) {
      if (!carriesSound(piece)) continue;
      eachGain(piece, [&](const std::uint8_t* side, int bit, bool sounding) {
        if (!sounding) return;
        const int gain = static_cast<int>(ReadBits(side, bit, 8));
        lowest = std::min(lowest, gain);
        highest = std::max(highest, gain);
      });
      checkStop(stop);
      report(0.5 * static_cast<double>(walker.position()) / size);
    }
  }
  if (lowest > highest) steps = 0;  // no sounding granule at all
  steps = std::clamp(steps, -lowest, 255 - highest);

  // Second pass: the copy.
  Mp3GainResult result{platform::PendingFile(target), steps, 0};
  FrameWalker walker(file, verdict);
  Piece piece;
  while (walker.next(piece)) {
    if (steps != 0 && carriesSound(piece)) {
      eachGain(piece, [&](std::uint8_t* side, int bit, bool) {
        const int gain = static_cast<int>(ReadBits(side, bit, 8)) + steps;
        WriteBits(side, bit, 8, static_cast<unsigned>(std::clamp(gain, 0, 255)));
      });
      if (piece.header.protectedByCrc) {
        const std::uint16_t crc = FrameCrc(piece.data, piece.header);
        piece.data[4] = static_cast<std::uint8_t>(crc >> 8);
        piece.data[5] = static_cast<std::uint8_t>(crc & 0xFF);
      }
      ++result.frames;
    }
    result.file.write(piece.data, piece.size);
    checkStop(stop);
    report(0.5 + 0.5 * static_cast<double>(walker.position()) / size);
  }
  if (progress) progress(1.0);
  return result;
}

}  // namespace tunebelt::audio
