#include "core/audio/mpegframe.h"

#include <cstring>

namespace tunebelt::audio {

namespace {

// kb/s by bit rate index (1..14) for: MPEG-1 Layer I, II, III; MPEG-2 and
// 2.5 Layer I; MPEG-2 and 2.5 Layers II and III.
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};

constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};

}  // namespace

int FrameHeader::samplesPerFrame() const {
  if (layer == 1) return 384;
  if (layer == 2 || version == MpegVersion::Mpeg1) return 1152;
  return 576;
}

int FrameHeader::sideInfoBytes() const {
  if (version == MpegVersion::Mpeg1) return channels() == 1 ? 17 : 32;
  return channels() == 1 ? 9 : 17;
}

std::optional<FrameHeader> ParseFrameHeader(const std::uint8_t* p) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
  const int versionBits = (p[1] >> 3) & 3;
  const int layerBits = (p[1] >> 1) & 3;
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
      rateIndex == 3 || (p[3] & 3) == 2) {
    return std::nullopt;
  }
  FrameHeader h;
  h.version = versionBits == 3   ? MpegVersion::Mpeg1
              : versionBits == 2 ? MpegVersion::Mpeg2
                                 : MpegVersion::Mpeg25;
  h.layer = 4 - layerBits;
  h.protectedByCrc = (p[1] & 1) == 0;
  const int table = h.version == MpegVersion::Mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
  h.bitrateKbps = kBitrates[table][bitrateIndex];
  h.sampleRate = kMpeg1Rates[rateIndex] >> (h.version == MpegVersion::Mpeg1   ? 0
                                            : h.version == MpegVersion::Mpeg2 ? 1
                                                                              : 2);
  h.padding = ((p[2] >> 1) & 1) != 0;
  h.channelMode = p[3] >> 6;
  const int bits = h.bitrateKbps * 1000;
  if (h.layer == 1) {
    h.frameBytes = (12 * bits / h.sampleRate + (h.padding ? 1 : 0)) * 4;
  } else {
    // Bytes per frame: samples / 8 per bit/s of rate.
    h.frameBytes = h.samplesPerFrame() / 8 * bits / h.sampleRate + (h.padding ? 1 : 0);
  }
  return h;
}

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

int CountChain(const std::uint8_t* data, std::size_t size, std::size_t pos, int want,
               bool* ranOut) {
  if (ranOut != nullptr) *ranOut = false;
  std::optional<FrameHeader> first;
  int count = 0;
  while (count < want) {
    if (pos + 4 > size) {
      if (ranOut != nullptr) *ranOut = true;
      break;
    }
    const auto h = ParseFrameHeader(data + pos);
    if (!h || (first && !SameStream(*first, *h))) break;
    if (!first) first = h;
    ++count;
    pos += static_cast<std::size_t>(h->frameBytes);
  }
  if (pos > size && ranOut != nullptr) *ranOut = true;
  return count;
}

std::uint64_t Id3v2TagBytes(const std::uint8_t* p, std::size_t available) {
  if (available < 10 || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) return 0;
  std::uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if ((p[i] & 0x80) != 0) return 0;  // a size is stored seven bits per byte
    body = (body << 7) | p[i];
  }
  const bool footer = (p[5] & 0x10) != 0;
  return 10 + body + (footer ? 10 : 0);
}

std::uint16_t FrameCrc(const std::uint8_t* frame, const FrameHeader& header) {
  unsigned crc = 0xFFFF;
  auto feed = [&crc](std::uint8_t byte) {
    for (int i = 7; i >= 0; --i) {
      const bool top = ((crc >> 15) & 1) != ((byte >> i) & 1);
      crc = (crc << 1) & 0xFFFF;
      if (top) crc ^= 0x8005;
    }
  };
  feed(frame[2]);
  feed(frame[3]);
  const std::uint8_t* side = frame + header.sideInfoOffset();
  for (int i = 0; i < header.sideInfoBytes(); ++i) feed(side[i]);
  return static_cast<std::uint16_t>(crc);
}

bool IsInfoFrame(const std::uint8_t* frame, const FrameHeader& header) {
  if (header.layer != 3) return false;
  const int xing = header.sideInfoOffset() + header.sideInfoBytes();
  if (xing + 4 <= header.frameBytes &&
      (std::memcmp(frame + xing, "Xing", 4) == 0 || std::memcmp(frame + xing, "Info", 4) == 0)) {
    return true;
  }
  constexpr int kVbri = 4 + 32;  // always after 32 bytes, whatever the frame's layout
  return kVbri + 4 <= header.frameBytes && std::memcmp(frame + kVbri, "VBRI", 4) == 0;
}

GainFields GlobalGainFields(const FrameHeader& header) {
  // Side information, per granule and channel: part2_3_length (12 bits),
  // big_values (9), global_gain (8), scalefac_compress (4 in MPEG-1, 9
  // otherwise), then 22 bits of block and table choices and 3 (MPEG-1) or 2
  // flags. Before them: main_data_begin and private bits, and in MPEG-1 the
  // scale factor selection (4 bits per channel).
  GainFields fields;
  const bool mono = header.channels() == 1;
  const int channels = header.channels();
  int start = 0;
  int perChannel = 0;
  if (header.version == MpegVersion::Mpeg1) {
    start = 9 + (mono ? 5 : 3) + 4 * channels;
    perChannel = 12 + 9 + 8 + 4 + 1 + 22 + 3;
  } else {
    start = 8 + (mono ? 1 : 2);
    perChannel = 12 + 9 + 8 + 9 + 1 + 22 + 2;
  }
  for (int gr = 0; gr < header.granules(); ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      const int at = start + (gr * channels + ch) * perChannel;
      fields.lengthBits[fields.count] = at;
      fields.bits[fields.count] = at + 12 + 9;
      ++fields.count;
    }
  }
  return fields;
}

unsigned ReadBits(const std::uint8_t* data, int bit, int width) {
  unsigned value = 0;
  for (int i = 0; i < width; ++i, ++bit) {
    value = (value << 1) | ((data[bit / 8] >> (7 - bit % 8)) & 1);
  }
  return value;
}

void WriteBits(std::uint8_t* data, int bit, int width, unsigned value) {
  for (int i = width - 1; i >= 0; --i, ++bit) {
    const auto mask = static_cast<std::uint8_t>(1u << (7 - bit % 8));
    if (((value >> i) & 1) != 0) {
      data[bit / 8] = static_cast<std::uint8_t>(data[bit / 8] | mask);
    } else {
      data[bit / 8] = static_cast<std::uint8_t>(data[bit / 8] & ~mask);
    }
  }
}

}  // namespace tunebelt::audio
