// Whether a file holds MPEG audio Layer III that the game's player can
// play, told cheaply from its first frames.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/audio/mpegframe.h"

namespace tunebelt::audio {

// Consecutive frames of one stream that make a file MPEG audio: a chance
// sync pattern in other data is followed by a second header at the right
// distance rarely, by three more almost never.
inline constexpr int kChainFrames = 4;
// How far past its ID3v2 tags a file's first frame is looked for.
inline constexpr std::uint64_t kFrameSearchBytes = std::uint64_t{64} * 1024;

// What the file was found to hold.
enum class AudioKind {
  Mp3,        // MPEG audio Layer III: the game plays it
  OtherMpeg,  // MPEG audio Layer I or II
  Aac,        // AAC in ADTS frames
  Mp4,        // an MP4/M4A container (AAC, ALAC)
  Flac,       // FLAC
  Ogg,        // an Ogg container (Vorbis, Opus)
  Wav,        // a RIFF WAVE file
  Unknown,    // nothing recognised
};

struct Mp3Verdict {
  bool playable = false;
  AudioKind kind = AudioKind::Unknown;
  // Why the game cannot play it, for a message that names the file; empty
  // when it can.
  std::string reason;
  // The first frame of the stream and where it starts, when one was found.
  FrameHeader first;
  std::uint64_t firstFrameOffset = 0;
};

// Reads the start of the file (past any ID3v2 tags, at most
// kFrameSearchBytes further) and looks for kChainFrames consecutive frames
// of MPEG-1, 2 or 2.5 Layer III. Throws platform::FsError when the file
// cannot be read (missing, not a regular file).
Mp3Verdict ProbeMp3(std::string_view path);

// A verdict in words for a message: "MPEG-1 Layer III, 44.1 kHz, 192 kb/s,
// stereo" for a playable file, its reason otherwise.
std::string DescribeVerdict(const Mp3Verdict& verdict);

}  // namespace tunebelt::audio
