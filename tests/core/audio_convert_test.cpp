// Converting every format taken into the MP3 the game plays.
#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

#include "audio_test_util.h"
#include "core/audio/convert.h"
#include "core/audio/probe.h"

namespace tunebelt::test {
namespace {

using audio::ConvertToMp3;

// One MP3 frame of 44.1 kHz sound.
constexpr double kFrameSeconds = 1152.0 / 44100.0;

std::vector<std::string> folderNames(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(utf8(e.path().filename()));
  }
  return names;
}

TEST(AudioConvert, EveryFormatBecomesConstantRateMpeg1LayerIIIAt441kHzStereo) {
  TempDir dir;
  for (const audioset::Sound& s : playlistSounds()) {
    SCOPED_TRACE(s.file);
    const std::string source = sound(s.file);
    const std::string before = readFile(source);
    const std::string target = dir / (std::string(s.file) + ".mp3");
    ConvertToMp3(source, target, {}).commit();

    const audio::Mp3Verdict v = audio::ProbeMp3(target);
    ASSERT_TRUE(v.playable) << v.reason;
    EXPECT_EQ(v.first.version, audio::MpegVersion::Mpeg1);
    EXPECT_EQ(v.first.sampleRate, 44100);
    EXPECT_NE(v.first.channelMode, 3);
    for (const MpegFrame& f : mpegFrames(target)) {
      ASSERT_EQ(f.header.bitrateKbps, 192) << "frame at " << f.offset;
      ASSERT_NE(f.header.channelMode, 3);
    }
    EXPECT_NEAR(decodedSeconds(target), decodedSeconds(source), kFrameSeconds);
    EXPECT_EQ(readFile(source), before);
  }
}

TEST(AudioConvert, TheBitRateIsAParameter) {
  TempDir dir;
  ConvertToMp3(sound("tone.flac"), dir / "a.mp3", {128, 0.0}).commit();
  for (const MpegFrame& f : mpegFrames(dir / "a.mp3")) ASSERT_EQ(f.header.bitrateKbps, 128);
  EXPECT_THROW(ConvertToMp3(sound("tone.flac"), dir / "b.mp3", {100, 0.0}), std::invalid_argument);
  EXPECT_FALSE(audio::ValidMp3Bitrate(384));  // Layer II's, not Layer III's
  EXPECT_EQ(folderNames(dir), std::vector<std::string>{"a.mp3"});
}

TEST(AudioConvert, TheTargetChangesOnlyWhenTheCallerCommits) {
  TempDir dir;
  const std::string target = dir / "t.mp3";
  writeFile(target, "old copy");
  {
    platform::PendingFile pending = ConvertToMp3(sound("tone.wav"), target, {});
    EXPECT_EQ(readFile(target), "old copy");
    EXPECT_EQ(folderNames(dir).size(), 2u);  // the target and the pending copy
  }
  EXPECT_EQ(readFile(target), "old copy");
  EXPECT_EQ(folderNames(dir), std::vector<std::string>{"t.mp3"});

  ConvertToMp3(sound("tone.wav"), target, {}).commit();
  EXPECT_TRUE(audio::ProbeMp3(target).playable);
  EXPECT_EQ(folderNames(dir), std::vector<std::string>{"t.mp3"});
}

TEST(AudioConvert, WhatIsNoSoundTakenIsRefusedAndLeavesNothing) {
  TempDir dir;
  writeFile(dir / "notes.flac", "these are notes, not sound\r\n");
  struct Case {
    std::string source;
    std::string reason;
  };
  const Case cases[] = {
      {dir / "notes.flac", "not a sound file that can be read"},
      {sound("tone.mp2"), "its sound is mp2, which is not taken"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    try {
      ConvertToMp3(c.source, dir / "out.mp3", {});
      ADD_FAILURE() << "converted";
    } catch (const audio::AudioError& e) {
      EXPECT_EQ(e.path(), c.source);
      EXPECT_EQ(e.reason().substr(0, c.reason.size()), c.reason);
    }
  }
  EXPECT_EQ(folderNames(dir), std::vector<std::string>{"notes.flac"});
}

TEST(AudioConvert, ACutOffMp3ConvertsAsFarAsItGoes) {
  TempDir dir;
  const std::string mp3 = readFile(sound("tone.mp3"));
  writeFile(dir / "half.mp3", mp3.substr(0, mp3.size() / 2 + 77));
  ConvertToMp3(dir / "half.mp3", dir / "copy.mp3", {}).commit();
  EXPECT_NEAR(decodedSeconds(dir / "copy.mp3"), audioset::kSeconds / 2, 0.1);
}

TEST(AudioConvert, AStoppedConversionLeavesNothing) {
  TempDir dir;
  std::stop_source stop;
  double last = 0.0;
  EXPECT_THROW(ConvertToMp3(
                   sound("tone-alac.m4a"), dir / "c.mp3", {},
                   [&](double f) {
                     last = f;
                     if (f > 0.3) stop.request_stop();
                   },
                   stop.get_token()),
               audio::Cancelled);
  EXPECT_GT(last, 0.3);
  EXPECT_LT(last, 1.0);
  EXPECT_TRUE(folderNames(dir).empty());
}

}  // namespace
}  // namespace tunebelt::test
