// The check of an MP3 when it is added: the verdicts on MPEG audio of every
// layout, on other audio named .mp3, and on damaged files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "audio_test_util.h"
#include "core/audio/mpegframe.h"
#include "core/audio/probe.h"
#include "platform/fs.h"

namespace tunebelt::test {
namespace {

using audio::AudioKind;
using audio::MpegVersion;
using audio::ProbeMp3;

TEST(AudioProbe, EveryLayoutOfLayerIIIIsPlayable) {
  for (const audioset::Sound& s : audioset::kSounds) {
    if (!isMp3(s)) continue;
    SCOPED_TRACE(s.file);
    const audio::Mp3Verdict v = ProbeMp3(sound(s.file));
    ASSERT_TRUE(v.playable) << v.reason;
    EXPECT_EQ(v.kind, AudioKind::Mp3);
    EXPECT_EQ(v.firstFrameOffset, 0u);
    EXPECT_EQ(v.first.layer, 3);
    EXPECT_EQ(v.first.sampleRate, s.rate);
    EXPECT_EQ(v.first.channels(), s.channels);
    EXPECT_EQ(v.first.version, s.rate == 44100   ? MpegVersion::Mpeg1
                               : s.rate == 22050 ? MpegVersion::Mpeg2
                                                 : MpegVersion::Mpeg25);
    EXPECT_EQ(v.first.protectedByCrc, s.crc);
  }
  EXPECT_EQ(audio::DescribeVerdict(ProbeMp3(sound("tone-mpeg25-crc.mp3"))),
            "MPEG-2.5 Layer III, 11.025 kHz, 32 kb/s, stereo");
}

TEST(AudioProbe, OtherFilesNamedMp3AreRefusedSayingWhatTheyHold) {
  TempDir dir;
  struct Case {
    std::string content;
    AudioKind kind;
    std::string reason;
  };
  const Case cases[] = {
      {readFile(sound("tone-aac.m4a")), AudioKind::Mp4,
       "an MP4/M4A file (AAC or ALAC), not MPEG audio Layer III"},
      {readFile(sound("tone.aac")), AudioKind::Aac, "AAC audio (ADTS), not MPEG audio Layer III"},
      {readFile(sound("tone.mp2")), AudioKind::OtherMpeg, "MPEG-1 Layer II, not Layer III"},
      {readFile(sound("tone.flac")), AudioKind::Flac, "FLAC audio, not MPEG audio Layer III"},
      {readFile(sound("tone.opus")), AudioKind::Ogg,
       "an Ogg file (Vorbis or Opus), not MPEG audio Layer III"},
      {readFile(sound("tone.wav")), AudioKind::Wav, "a WAV file, not MPEG audio Layer III"},
      {"#EXTM3U\r\n" + std::string(3000, 'x') + "\r\n", AudioKind::Unknown,
       "no MPEG audio frames found"},
      {randomBytes(200000, 7), AudioKind::Unknown, "no MPEG audio frames found"},
      {"", AudioKind::Unknown, "the file is empty"},
      {"ID3\x04" + std::string("\0\0\0\0\0\x10", 6) + std::string(16, 'x'), AudioKind::Unknown,
       "only an ID3 tag, no audio"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    writeFile(dir / "x.mp3", c.content);
    const audio::Mp3Verdict v = ProbeMp3(dir / "x.mp3");
    EXPECT_FALSE(v.playable);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_EQ(v.reason, c.reason);
  }
}

TEST(AudioProbe, TagsAndJunkBeforeTheFirstFrameAreLookedPast) {
  TempDir dir;
  const std::string mp3 = readFile(sound("tone.mp3"));
  // A tag whose picture is full of sync bytes, a second tag, then padding.
  std::string picture = randomBytes(300000, 3);
  for (std::size_t i = 0; i < picture.size(); i += 97) picture[i] = '\xFF';
  auto tag = [](const std::string& body) {
    std::string t = "ID3\x03" + std::string(1, '\0') + std::string(1, '\0');
    const auto n = body.size();
    for (int shift : {21, 14, 7, 0}) t += static_cast<char>((n >> shift) & 0x7F);
    return t + body;
  };
  const std::string front = tag(picture) + tag("TIT2 a title") + std::string(1000, '\0');
  writeFile(dir / "tagged.mp3", front + mp3);
  const audio::Mp3Verdict v = ProbeMp3(dir / "tagged.mp3");
  ASSERT_TRUE(v.playable) << v.reason;
  EXPECT_EQ(v.firstFrameOffset, front.size());

  // Frames further than the search goes are not looked for.
  writeFile(dir / "far.mp3", std::string(audio::kFrameSearchBytes + 10, '\0') + mp3);
  EXPECT_EQ(ProbeMp3(dir / "far.mp3").reason, "no MPEG audio frames found");
}

TEST(AudioProbe, ACutOffFileIsPlayableWhileItsFirstFramesAreThere) {
  TempDir dir;
  const std::string mp3 = readFile(sound("tone.mp3"));
  writeFile(dir / "half.mp3", mp3.substr(0, mp3.size() / 2));
  EXPECT_TRUE(ProbeMp3(dir / "half.mp3").playable);

  const std::vector<MpegFrame> frames = mpegFrames(sound("tone.mp3"));
  writeFile(dir / "start.mp3", mp3.substr(0, frames[2].offset + 100));
  const audio::Mp3Verdict v = ProbeMp3(dir / "start.mp3");
  EXPECT_FALSE(v.playable);
  EXPECT_EQ(v.reason, "the file ends after 3 MPEG audio frames");
}

TEST(AudioProbe, OnlyRegularFilesAreRead) {
  TempDir dir;
  std::filesystem::create_directory(fsPath(dir / "folder.mp3"));
  EXPECT_THROW(ProbeMp3(dir / "folder.mp3"), platform::FsError);
  EXPECT_THROW(ProbeMp3(dir / "missing.mp3"), platform::FsError);
#ifndef _WIN32
  // A FIFO is refused at once, never waited on.
  ASSERT_EQ(::mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
  EXPECT_THROW(ProbeMp3(dir / "fifo.mp3"), platform::FsError);
#endif
}

// The CRC as LAME computed it is the CRC computed here: the side
// information's length and the CRC's definition agree with the encoder.
TEST(MpegFrame, CrcsOfProtectedFramesMatchTheEncoders) {
  for (const char* name : {"tone-crc.mp3", "tone-mpeg25-crc.mp3"}) {
    SCOPED_TRACE(name);
    const std::string bytes = readFile(sound(name));
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    int checked = 0;
    for (const MpegFrame& f : mpegFrames(sound(name))) {
      ASSERT_TRUE(f.header.protectedByCrc);
      if (audio::IsInfoFrame(data + f.offset, f.header)) continue;
      const unsigned stored = (data[f.offset + 4] << 8) | data[f.offset + 5];
      ASSERT_EQ(audio::FrameCrc(data + f.offset, f.header), stored) << "frame at " << f.offset;
      ++checked;
    }
    EXPECT_GT(checked, 90);
  }
}

}  // namespace
}  // namespace tunebelt::test
