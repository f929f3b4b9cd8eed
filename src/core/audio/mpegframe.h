// MPEG audio frames as they lie in a file: the four-byte frame header, the
// side information of Layer III with each granule's global gain, the CRC
// that protects it, and the tags that stand before the frames.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tunebelt::audio {

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

struct FrameHeader {
  MpegVersion version = MpegVersion::Mpeg1;
  int layer = 3;                // 1, 2 or 3
  bool protectedByCrc = false;  // a 16-bit CRC follows the header
  int bitrateKbps = 0;
  int sampleRate = 0;
  bool padding = false;
  int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  int frameBytes = 0;   // the whole frame, header included

  int channels() const { return channelMode == 3 ? 1 : 2; }
  int samplesPerFrame() const;
  // Layer III: granules per frame (2 for MPEG-1, 1 for MPEG-2 and 2.5) and
  // the length of the side information.
  int granules() const { return version == MpegVersion::Mpeg1 ? 2 : 1; }
  int sideInfoBytes() const;
  // Where the side information starts: after the header and the CRC.
  int sideInfoOffset() const { return protectedByCrc ? 6 : 4; }
};

// The header in the four bytes at `p`, or nothing when they are none: no
// sync, a reserved version, layer, rate or emphasis, a bad bit rate index,
// or the free-format rate (index 0), which gives no frame length.
std::optional<FrameHeader> ParseFrameHeader(const std::uint8_t* p);

// Whether two frames belong to one stream: same version, layer and rate.
bool SameStream(const FrameHeader& a, const FrameHeader& b);

// How many consecutive frames of the stream of the frame at `pos` lie in
// data[0, size), counting at most `want`. `ranOut` tells whether the count
// stopped because the data ended (the next header, or the last frame
// counted, lay beyond `size`).
int CountChain(const std::uint8_t* data, std::size_t size, std::size_t pos, int want,
               bool* ranOut = nullptr);

// The length of an ID3v2 tag (header, body and footer) that starts at `p`,
// or 0 when none starts there; `available` bytes can be looked at.
std::uint64_t Id3v2TagBytes(const std::uint8_t* p, std::size_t available);

// The CRC-16 of a Layer III frame (polynomial 0x8005, start 0xFFFF) over the
// last two bytes of its header and its side information; the frame holds it
// in bytes 4 and 5 when it is protected.
std::uint16_t FrameCrc(const std::uint8_t* frame, const FrameHeader& header);

// True for a Layer III frame that carries a Xing, Info or VBRI header (the
// stream's length and seek table) instead of sound.
bool IsInfoFrame(const std::uint8_t* frame, const FrameHeader& header);

// The positions of the global_gain fields of a Layer III frame, in bits from
// the start of its side information: one per granule and channel.
struct GainFields {
  std::array<int, 4> bits{};
  // The same granule's part2_3_length (0: the granule holds no sound).
  std::array<int, 4> lengthBits{};
  int count = 0;
};
GainFields GlobalGainFields(const FrameHeader& header);

// Reads and writes a field of `width` bits at bit `bit` of `data` (most
// significant bit first).
unsigned ReadBits(const std::uint8_t* data, int bit, int width);
void WriteBits(std::uint8_t* data, int bit, int width, unsigned value);

// The longest frame a header can give (Layer II at 160 kb/s and 8 kHz).
inline constexpr int kMaxFrameBytes = 2881;

}  // namespace tunebelt::audio
