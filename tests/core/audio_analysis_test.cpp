// Measuring many tracks at once, and keeping the measurements between saves.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <set>
#include <thread>

#include "audio_test_util.h"
#include "core/audio/audio.h"
#include "core/audio/parallel.h"

namespace tunebelt::test {
namespace {

using audio::Loudness;
using audio::MeasurementCache;
using platform::FileStamp;

// Tools whose measuring takes a while and reports often; it measures the
// path's length as its loudness.
class SlowTools : public CountingTools {
 public:
  Loudness measure(std::string_view path, const audio::Progress& progress,
                   const std::stop_token& stop) override {
    ++measured;
    for (int i = 1; i <= 10; ++i) {
      if (stop.stop_requested()) throw audio::Cancelled();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      progress(i / 10.0);
    }
    return {-static_cast<double>(path.size()), 0.5};
  }
};

TEST(MeasurementCache, KeepsMeasurementsExactlyAcrossRuns) {
  TempDir dir;
  const std::string file = dir / "loudness.cache";
  const std::string odd = "/music/tab\there/cr\rlf\nper%25cent.flac";
  const Loudness a{-23.456789012345678, 0.123456789},
      silent{-std::numeric_limits<double>::infinity(), 0.0};
  {
    MeasurementCache cache(file);
    EXPECT_EQ(cache.size(), 0u);
    cache.store("/music/a.mp3", {1000, 1700000000123456789}, a);
    cache.store(odd, {5, -3}, silent);
    cache.save();
  }
  MeasurementCache cache(file);
  EXPECT_FALSE(cache.changed());
  EXPECT_EQ(cache.find("/music/a.mp3", {1000, 1700000000123456789}), a);
  EXPECT_EQ(cache.find(odd, {5, -3}), silent);
  // Another size or time: the file changed since, and is measured again.
  EXPECT_EQ(cache.find("/music/a.mp3", {1001, 1700000000123456789}), std::nullopt);
  EXPECT_EQ(cache.find("/music/a.mp3", {1000, 1700000000123456790}), std::nullopt);
  EXPECT_EQ(readFile(file).substr(0, 21), "Tunebelt loudness 1\r\n");
}

TEST(MeasurementCache, ADamagedFileCostsOnlyItsMeasurements) {
  TempDir dir;
  const std::string file = dir / "loudness.cache";
  const std::string good = "10\t20\t-14.5\t0.5\t/m/good.mp3\r\n";
  struct Case {
    std::string content;
    std::size_t kept;
  };
  const Case cases[] = {
      {"Tunebelt loudness 2\r\n" + good, 0},  // another version
      {"\r\n" + good, 0},
      {randomBytes(5000, 1), 0},
      {"Tunebelt loudness 1\r\n" + good + "10\t20\tloud\t0.5\t/m/b.mp3\r\n" +
           "10\t20\t-14\t-0.5\t/m/c.mp3\r\n10\t20\tnan\t0.5\t/m/d.mp3\r\n10\t20\t-14\t0.5\t\r\n" +
           "10\t20\t-14\t0.5\t/m/%41.mp3\r\n10\t-14\t0.5\t/m/e.mp3\r\n",
       1},
      {"Tunebelt loudness 1\r\n" + good + std::string(audio::kMaxCacheFileBytes, 'x'), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content.substr(0, 30));
    writeFile(file, c.content);
    MeasurementCache cache(file);
    EXPECT_EQ(cache.size(), c.kept);
    // It is written anew, whole, when something is stored.
    cache.store("/m/new.mp3", {1, 2}, {-20.0, 0.25});
    cache.save();
    EXPECT_EQ(MeasurementCache(file).size(), c.kept + 1);
  }
  std::filesystem::remove(fsPath(file));
  std::filesystem::create_directory(fsPath(file));
  EXPECT_EQ(MeasurementCache(file).size(), 0u);
}

TEST(MeasurementCache, KeepsTheTracksUsedLastWhenFull) {
  TempDir dir;
  const std::string file = dir / "loudness.cache";
  {
    MeasurementCache cache(file);
    for (std::size_t i = 0; i < audio::kMaxCacheEntries + 10; ++i) {
      cache.store("/music/" + std::to_string(i) + ".mp3", {i, 0}, {-20.0, 0.5});
    }
    cache.save();
  }
  MeasurementCache cache(file);
  EXPECT_EQ(cache.size(), audio::kMaxCacheEntries);
  EXPECT_FALSE(cache.find("/music/0.mp3", {0, 0}));
  EXPECT_TRUE(cache.find("/music/" + std::to_string(audio::kMaxCacheEntries + 9) + ".mp3",
                         {audio::kMaxCacheEntries + 9, 0}));
}

TEST(MeasureTracks, ASecondRunMeasuresOnlyWhatChanged) {
  TempDir dir;
  const std::string file = dir / "loudness.cache";
  std::vector<std::string> paths;
  for (const audioset::Sound& s : playlistSounds()) {
    paths.push_back(dir / s.file);
    std::filesystem::copy_file(fsPath(sound(s.file)), fsPath(paths.back()));
  }
  CountingTools tools;
  audio::Analysis first;
  {
    MeasurementCache cache(file);
    first = audio::MeasureTracks(tools, paths, &cache);
    cache.save();
  }
  EXPECT_EQ(tools.measured, static_cast<int>(paths.size()));
  for (const audio::TrackLoudness& t : first.tracks) {
    ASSERT_TRUE(t.loudness) << t.error;
    EXPECT_FALSE(t.fromCache);
  }

  tools.measured = 0;
  MeasurementCache cache(file);
  const audio::Analysis second = audio::MeasureTracks(tools, paths, &cache);
  EXPECT_EQ(tools.measured, 0);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    EXPECT_TRUE(second.tracks[i].fromCache);
    EXPECT_EQ(second.tracks[i].loudness, first.tracks[i].loudness);
  }

  // A track written anew is measured again, alone.
  writeFile(paths[5], readFile(sound("silence.wav")));
  const audio::Analysis third = audio::MeasureTracks(tools, paths, &cache);
  EXPECT_EQ(tools.measured, 1);
  EXPECT_EQ(third.tracks[5].loudness->lufs, -std::numeric_limits<double>::infinity());
}

TEST(MeasureTracks, AFailingTrackDoesNotStopTheOthers) {
  TempDir dir;
  writeFile(dir / "text.flac", "not sound");
  const std::vector<std::string> paths = {sound("tone.flac"), dir / "text.flac", dir / "gone.ogg",
                                          sound("tone.mp3")};
  CountingTools tools;
  const audio::Analysis a = audio::MeasureTracks(tools, paths, nullptr);
  EXPECT_TRUE(a.tracks[0].loudness);
  EXPECT_EQ(a.tracks[1].error.substr(0, 33), "not a sound file that can be read");
  EXPECT_FALSE(a.tracks[2].error.empty());  // missing: the system's reason
  EXPECT_FALSE(a.tracks[2].loudness);
  EXPECT_TRUE(a.tracks[3].loudness);
  EXPECT_FALSE(a.cancelled);
}

TEST(MeasureTracks, ProgressComesOneCallAtATimeAndEndsEveryTrack) {
  TempDir dir;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i <= 12; ++i) {
    paths.push_back(dir / std::string(i, 'x'));
    writeFile(paths.back(), "x");
  }
  SlowTools tools;
  std::atomic<bool> inside{false};
  std::atomic<int> overlaps{0};
  std::vector<double> last(paths.size(), 0.0);
  std::set<std::thread::id> threads;
  const audio::Analysis a = audio::MeasureTracks(
      tools, paths, nullptr,
      [&](std::size_t track, double fraction) {
        if (inside.exchange(true)) ++overlaps;
        EXPECT_GE(fraction, last[track]);
        last[track] = fraction;
        threads.insert(std::this_thread::get_id());
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        inside = false;
      },
      {}, 3);
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(threads.size(), 3u);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(last[i], 1.0);
    EXPECT_EQ(a.tracks[i].loudness->lufs, -static_cast<double>(paths[i].size()));
  }
}

TEST(MeasureTracks, AStopLeavesTheTracksNotDoneWithoutAMeasurement) {
  TempDir dir;
  writeFile(dir / "x", "x");
  const std::vector<std::string> paths(40, dir / "x");
  SlowTools tools;
  std::stop_source stop;
  const audio::Analysis a = audio::MeasureTracks(
      tools, paths, nullptr,
      [&](std::size_t track, double) {
        if (track == 3) stop.request_stop();
      },
      stop.get_token(), 2);
  EXPECT_TRUE(a.cancelled);
  EXPECT_LT(tools.measured, 10);
  int measured = 0;
  for (const audio::TrackLoudness& t : a.tracks) {
    measured += t.loudness ? 1 : 0;
    EXPECT_TRUE(t.error.empty());
  }
  EXPECT_LT(measured, tools.measured.load());
}

TEST(RunParallel, RunsEachJobOnceAndPassesTheFirstFailureOn) {
  std::vector<std::atomic<int>> runs(100);
  audio::RunParallel(runs.size(), 4, [&](std::size_t i, const std::stop_token&) { ++runs[i]; });
  for (const auto& r : runs) EXPECT_EQ(r, 1);

  // Job 5 fails; the later ones wait for the stop that failure asks for,
  // so no job after them is begun.
  std::atomic<int> started{0};
  EXPECT_THROW(audio::RunParallel(1000, 2,
                                  [&](std::size_t i, const std::stop_token& stop) {
                                    ++started;
                                    if (i == 5) throw std::runtime_error("job 5");
                                    for (int wait = 0; i > 5 && !stop.stop_requested(); ++wait) {
                                      ASSERT_LT(wait, 5000);
                                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                    }
                                  }),
               std::runtime_error);
  EXPECT_LE(started, 8);
  EXPECT_EQ(audio::WorkerCount(3, 8), 3u);
  EXPECT_EQ(audio::WorkerCount(0, 8), 1u);
}

// The playlist of one track per format and the MP3s of every layout,
// measured and levelled as a save would: the gain each copy gets and the
// copy's loudness, printed so that the run on Linux and the run under Wine
// can be laid side by side. Converted copies play within 1 LU of the
// target, MP3s within half a step, unless their peak stopped them.
TEST(AudioPlaylist, TheMadePlaylistLevelled) {
  TempDir dir;
  std::vector<audioset::Sound> sounds;
  std::vector<std::string> paths;
  std::vector<std::string> before;
  for (const audioset::Sound& s : audioset::kSounds) {
    if (std::string(s.encoder) == "mp2" || std::string(s.container) == "adts") continue;
    sounds.push_back(s);
    paths.push_back(sound(s.file));
    before.push_back(readFile(paths.back()));
  }
  CountingTools tools;
  const audio::Analysis a = audio::MeasureTracks(tools, paths, nullptr);
  std::printf("%-20s %9s %9s %9s %6s %9s\n", "track", "LUFS", "peak dB", "gain dB", "steps",
              "copy LUFS");
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    const audioset::Sound& s = sounds[i];
    SCOPED_TRACE(s.file);
    ASSERT_TRUE(a.tracks[i].loudness) << a.tracks[i].error;
    const Loudness l = *a.tracks[i].loudness;
    const std::string copy = dir / (std::string(s.file) + ".mp3");
    const int steps = audio::LevelGainSteps(l);
    double gain = audio::LevelGainDb(l);
    if (isMp3(s)) {
      gain = steps * audio::kGainStepDb;
      audio::Mp3GainResult levelled = tools.levelMp3(paths[i], copy, steps, {}, {});
      EXPECT_EQ(levelled.steps, steps);
      levelled.file.commit();
    } else {
      tools.convert(paths[i], copy, {192, gain}, {}, {}).commit();
    }
    const Loudness after = audio::MeasureLoudness(copy);
    std::printf("%-20s %9.3f %9.3f %9.3f %6s %9.3f\n", s.file, l.lufs, 20 * std::log10(l.peak),
                gain, isMp3(s) ? std::to_string(steps).c_str() : "-", after.lufs);
    EXPECT_EQ(readFile(paths[i]), before[i]);
    if (s.signal == audioset::Signal::Silence) continue;
    const bool limited = gain < audio::kTargetLufs - l.lufs - audio::kGainStepDb / 2;
    if (limited) {
      EXPECT_LE(after.peak, 1.0);
    } else {
      EXPECT_NEAR(after.lufs, audio::kTargetLufs, isMp3(s) ? audio::kGainStepDb / 2 : 1.0);
    }
    if (s.signal == audioset::Signal::Tone) {
      // The gain follows from the level the sound was made at.
      const double wanted = audio::kTargetLufs - s.levelDb;
      if (isMp3(s)) {
        EXPECT_EQ(steps, std::lround(wanted / audio::kGainStepDb));
      } else {
        EXPECT_NEAR(gain, wanted, 0.3);
      }
    }
  }
}

}  // namespace
}  // namespace tunebelt::test
