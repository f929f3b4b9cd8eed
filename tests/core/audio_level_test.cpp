// Measuring loudness and levelling the copies: converted ones before they
// are encoded, MP3s by their frames' global gain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio_test_util.h"
#include "core/audio/loudness.h"
#include "core/audio/mp3gain.h"

namespace tunebelt::test {
namespace {

using audio::kGainStepDb;
using audio::kTargetLufs;
using audio::LevelGainDb;
using audio::LevelGainSteps;
using audio::Loudness;
using audio::MeasureLoudness;

double dbOf(double amplitude) {
  return 20.0 * std::log10(amplitude);
}

TEST(AudioLoudness, TonesMeasureAtTheirLevel) {
  for (const audioset::Sound& s : audioset::kSounds) {
    if (s.signal != audioset::Signal::Tone || std::string(s.encoder) == "mp2" ||
        std::string(s.container) == "adts") {
      continue;
    }
    SCOPED_TRACE(s.file);
    // Lossy encoders lose a little of a pure tone (LAME's MP3s up to
    // 0.44 dB here).
    const Loudness l = MeasureLoudness(sound(s.file));
    EXPECT_NEAR(l.lufs, s.levelDb, 0.5);
    EXPECT_NEAR(dbOf(l.peak), s.levelDb, 0.5);
  }
  const Loudness silence = MeasureLoudness(sound("silence.wav"));
  EXPECT_EQ(silence.lufs, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(silence.peak, 0.0);
  EXPECT_EQ(LevelGainDb(silence), 0.0);
  EXPECT_EQ(LevelGainSteps(silence), 0);
}

TEST(AudioLevel, TheGainReachesTheTargetUnlessAPeakWouldClip) {
  // Far below full scale: the whole way, to the nearest step for MP3s.
  EXPECT_DOUBLE_EQ(LevelGainDb({-30.0, 0.05}), 12.0);
  EXPECT_EQ(LevelGainSteps({-30.0, 0.05}), 8);         // 12.04 dB
  EXPECT_EQ(LevelGainSteps({-18.75, 0.05}), 0);        // 0.75 dB: less than half a step
  EXPECT_EQ(LevelGainSteps({-18.0 - 0.76, 0.05}), 1);  // more than half a step
  EXPECT_EQ(LevelGainSteps({-6.0, 0.9}), -8);          // -12 dB
  // A peak at -3 dBFS leaves room for 3 dB: two steps, not eight.
  const double peak = std::pow(10.0, -3.0 / 20.0);
  EXPECT_DOUBLE_EQ(LevelGainDb({-30.0, peak}), 3.0);
  EXPECT_EQ(LevelGainSteps({-30.0, peak}), 1);
  EXPECT_EQ(LevelGainSteps({-30.0, std::pow(10.0, -3.02 / 20.0)}), 2);
  // At or above full scale: quieter, never louder.
  EXPECT_EQ(LevelGainDb({-30.0, 1.0}), 0.0);
  EXPECT_EQ(LevelGainSteps({-30.0, 1.2}), 0);
  EXPECT_DOUBLE_EQ(LevelGainDb({-8.0, 1.2}), -10.0);
  EXPECT_EQ(LevelGainSteps({-8.0, 1.2}), -7);
}

// Which bytes of two files of the same length differ.
std::vector<std::size_t> differingBytes(const std::string& a, const std::string& b) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) out.push_back(i);
  }
  return out;
}

TEST(AudioLevel, Mp3CopiesMoveByWholeStepsAndChangeNothingButTheirGains) {
  TempDir dir;
  for (const char* name : {"tone.mp3", "tone-mpeg2.mp3", "tone-mpeg25-crc.mp3", "tone-crc.mp3"}) {
    SCOPED_TRACE(name);
    const std::string source = sound(name);
    const std::string before = readFile(source);
    const Loudness measured = MeasureLoudness(source);
    const int steps = LevelGainSteps(measured);
    ASSERT_NE(steps, 0);
    const std::string copy = dir / name;
    audio::Mp3GainResult result = audio::ApplyMp3Gain(source, copy, steps);
    result.file.commit();
    EXPECT_EQ(result.steps, steps);
    EXPECT_GT(result.frames, 90);

    const Loudness after = MeasureLoudness(copy);
    EXPECT_NEAR(after.lufs, kTargetLufs, kGainStepDb / 2);
    EXPECT_NEAR(after.lufs - measured.lufs, steps * kGainStepDb, 0.05);
    EXPECT_NEAR(after.peak / measured.peak, std::pow(2.0, steps / 4.0), 0.01);
    EXPECT_EQ(readFile(source), before);

    // Only side information and CRCs of sounding frames differ, and every
    // protected frame's CRC holds.
    const std::string bytes = readFile(copy);
    ASSERT_EQ(bytes.size(), before.size());
    const std::vector<MpegFrame> frames = mpegFrames(copy);
    std::size_t f = 0;
    for (std::size_t at : differingBytes(before, bytes)) {
      while (f + 1 < frames.size() && frames[f + 1].offset <= at) ++f;
      const audio::FrameHeader& h = frames[f].header;
      ASSERT_GE(at, frames[f].offset + 4);  // the CRC, if any, and the side information
      ASSERT_LT(at, frames[f].offset + h.sideInfoOffset() + h.sideInfoBytes());
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (const MpegFrame& frame : frames) {
      if (!frame.header.protectedByCrc) continue;
      const unsigned stored = (data[frame.offset + 4] << 8) | data[frame.offset + 5];
      ASSERT_EQ(audio::FrameCrc(data + frame.offset, frame.header), stored);
    }
  }
}

TEST(AudioLevel, RaisingAnMp3StopsBeforeItsPeakWouldClip) {
  TempDir dir;
  const Loudness measured = MeasureLoudness(sound("burst.mp3"));
  const int wanted = static_cast<int>(std::lround((kTargetLufs - measured.lufs) / kGainStepDb));
  const int steps = LevelGainSteps(measured);
  ASSERT_GT(wanted, 3);
  EXPECT_LT(steps, wanted);
  audio::ApplyMp3Gain(sound("burst.mp3"), dir / "b.mp3", steps).file.commit();
  const Loudness after = MeasureLoudness(dir / "b.mp3");
  EXPECT_LE(after.peak, 1.0);
  // One step more would have clipped.
  EXPECT_GT(after.peak * std::pow(2.0, 0.25), 1.0);
}

// The global gains of the granules that hold sound, frame by frame.
std::vector<int> soundingGains(const std::string& path) {
  const std::string bytes = readFile(path);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::vector<int> out;
  for (const MpegFrame& f : mpegFrames(path)) {
    if (audio::IsInfoFrame(data + f.offset, f.header)) continue;
    const std::uint8_t* side = data + f.offset + f.header.sideInfoOffset();
    const audio::GainFields fields = audio::GlobalGainFields(f.header);
    for (int i = 0; i < fields.count; ++i) {
      if (audio::ReadBits(side, fields.lengthBits[i], 12) == 0) continue;
      out.push_back(static_cast<int>(audio::ReadBits(side, fields.bits[i], 8)));
    }
  }
  return out;
}

TEST(AudioLevel, AGainThatWouldLeaveTheRangeIsCutToIt) {
  TempDir dir;
  const std::vector<int> before = soundingGains(sound("tone-crc.mp3"));
  ASSERT_GT(before.size(), 100u);
  for (int asked : {300, -300}) {
    SCOPED_TRACE(asked);
    audio::Mp3GainResult r = audio::ApplyMp3Gain(sound("tone-crc.mp3"), dir / "r.mp3", asked);
    r.file.commit();
    const std::vector<int> after = soundingGains(dir / "r.mp3");
    ASSERT_EQ(after.size(), before.size());
    // Every granule moves by the same steps, and one of them to the edge.
    for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(after[i], before[i] + r.steps);
    EXPECT_EQ(asked > 0 ? *std::max_element(after.begin(), after.end())
                        : *std::min_element(after.begin(), after.end()),
              asked > 0 ? 255 : 0);
  }
}

TEST(AudioLevel, OnlyMp3sAreLevelledWithoutDecoding) {
  TempDir dir;
  try {
    audio::ApplyMp3Gain(sound("tone.aac"), dir / "x.mp3", 2);
    ADD_FAILURE() << "levelled";
  } catch (const audio::AudioError& e) {
    EXPECT_EQ(e.reason(), "AAC audio (ADTS), not MPEG audio Layer III");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace tunebelt::test
