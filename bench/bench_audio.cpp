// The audio work of a save, in process: the check of 950 MP3s when they are
// added, converting into MP3, measuring loudness, and changing an MP3's
// gain. The sound is made here: three minutes of chords, a bass line and
// noise with a changing envelope, as a WAV and (converted by the code under
// test) as an MP3. "x real time" is seconds of sound per second of work.
// Also the second save's share: 950 measurements found in the cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "core/audio/audio.h"
#include "core/audio/convert.h"
#include "core/audio/loudness.h"
#include "core/audio/mp3gain.h"
#include "core/audio/parallel.h"
#include "core/audio/probe.h"
#include "core/playlist/playlist.h"
#include "core/scripts/savescript.h"
#include "platform/filestream.h"
#include "platform/fs.h"
#include "recording_host.h"

namespace {

namespace audio = tunebelt::audio;

constexpr int kRate = 44100;
constexpr double kSeconds = 180.0;
constexpr int kProbeFiles = 950;

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Music-like sound as 16-bit stereo PCM in a WAV file.
std::string musicWav() {
  const auto frames = static_cast<std::size_t>(kSeconds * kRate);
  std::string pcm;
  pcm.reserve(frames * 4);
  std::mt19937 rng(950);
  const double chords[4][3] = {
      {220.0, 277.2, 329.6}, {196.0, 246.9, 293.7}, {174.6, 220.0, 261.6}, {196.0, 246.9, 311.1}};
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const auto bar = static_cast<std::size_t>(t / 2.0) % 4;
    const double beat = std::fmod(t, 0.5);
    double left = 0.0;
    double right = 0.0;
    for (int n = 0; n < 3; ++n) {
      const double v = 0.12 * std::sin(2 * std::numbers::pi * chords[bar][n] * t);
      left += v * (n == 0 ? 1.0 : 0.7);
      right += v * (n == 2 ? 1.0 : 0.7);
    }
    const double bass = 0.25 * std::exp(-6.0 * beat) * std::sin(2 * std::numbers::pi * 55.0 * t);
    const double noise =
        0.08 * std::exp(-30.0 * beat) * (2.0 * static_cast<double>(rng()) / 4294967296.0 - 1.0);
    const double swell = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * t / 30.0);
    put16(pcm, static_cast<std::uint16_t>(
                   static_cast<std::int16_t>(std::lrint(32767.0 * swell * (left + bass + noise)))));
    put16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(
                   std::lrint(32767.0 * swell * (right + bass - noise)))));
  }
  std::string wav = "RIFF";
  put32(wav, static_cast<std::uint32_t>(36 + pcm.size()));
  wav += "WAVEfmt ";
  put32(wav, 16);
  put16(wav, 1);  // PCM
  put16(wav, 2);
  put32(wav, kRate);
  put32(wav, kRate * 4);
  put16(wav, 4);
  put16(wav, 16);
  wav += "data";
  put32(wav, static_cast<std::uint32_t>(pcm.size()));
  return wav + pcm;
}

// The bench's files, made once: music.wav, music.mp3, and 950 MP3s for the
// check (each an ID3 tag of its own length and the first 64 KiB of the
// MP3), under $TMPDIR, removed at the end unless BENCH_KEEP_FILES is set.
class Files {
 public:
  static const Files& get() {
    static const Files files;
    return files;
  }
  std::string wav, mp3, out;
  std::vector<std::string> probed;

 private:
  Files() {
    folder_ = (std::filesystem::temp_directory_path() / "tunebelt-bench-audio-XXXXXX").string();
    if (::mkdtemp(folder_.data()) == nullptr) std::abort();
    wav = folder_ + "/music.wav";
    mp3 = folder_ + "/music.mp3";
    out = folder_ + "/out.mp3";
    tunebelt::platform::writeFileAtomic(wav, musicWav());
    audio::ConvertToMp3(wav, mp3, {}).commit();
    const std::string head = tunebelt::platform::readFileHead(mp3, 64 * 1024);
    std::filesystem::create_directory(folder_ + "/probe");
    for (int i = 1; i <= kProbeFiles; ++i) {
      const std::size_t body = static_cast<std::size_t>(i) * 37 % 8192;
      std::string tag = "ID3\x03";
      tag += std::string(2, '\0');
      for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((body >> shift) & 0x7F);
      tag += std::string(body, 'x');
      probed.push_back(folder_ + "/probe/Track " + std::to_string(i) + ".mp3");
      tunebelt::platform::writeFileAtomic(probed.back(), tag + head);
    }
  }
  ~Files() {
    if (std::getenv("BENCH_KEEP_FILES") == nullptr) std::filesystem::remove_all(folder_);
  }
  std::string folder_;
};

// Seconds of sound per second of work, and on how many threads.
void realTime(benchmark::State& st, double seconds, unsigned threads = 1) {
  st.counters["x_real_time"] = benchmark::Counter(seconds * static_cast<double>(st.iterations()),
                                                  benchmark::Counter::kIsRate);
  st.counters["threads"] = threads;
}

void BM_Probe950Mp3s(benchmark::State& st) {
  const Files& f = Files::get();
  for (auto _ : st) {
    int playable = 0;
    for (const std::string& p : f.probed) playable += audio::ProbeMp3(p).playable ? 1 : 0;
    if (playable != kProbeFiles) st.SkipWithError("an MP3 was refused");
  }
}
BENCHMARK(BM_Probe950Mp3s)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 950 files dropped on the window: each probed as it is added.
void BM_Drop950Mp3s(benchmark::State& st) {
  const Files& f = Files::get();
  for (auto _ : st) {
    tunebelt::ProgramState state;
    tunebelt::test::RecordingHost host;
    tunebelt::DropCommand(state, f.probed, host);
    if (state.TrackCount() != kProbeFiles) st.SkipWithError("an MP3 was refused");
  }
}
BENCHMARK(BM_Drop950Mp3s)->Unit(benchmark::kMillisecond)->UseRealTime();

// The second save of an unchanged playlist of the 950 MP3s (the first one
// is made before the timing): levelled (level:1, every loudness from the
// cache, every levelled copy known to the copy records) against not.
void BM_SecondSave(benchmark::State& st) {
  const Files& f = Files::get();
  const bool level = st.range(0) == 1;
  const std::string root = f.out + (level ? ".levelled" : ".plain");
  const std::string mod = root + "/cstrike";
  std::filesystem::create_directories(mod + "/gfx/shell");
  std::filesystem::create_directories(root + "/settings");
  tunebelt::platform::writeFileAtomic(mod + "/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
  tunebelt::ProgramState state;
  state.SettingsFolder = root + "/settings";
  state.Mp3Volume = state.GameVolume = 80;
  for (const std::string& p : f.probed) {
    state.PlaylistPaths.push_back(p);
    state.PlaylistNames.push_back(tunebelt::GetFileName(p));
  }
  tunebelt::SaveOptions options;
  options.audio.level = level;
  tunebelt::test::RecordingHost host;
  std::string folder = mod;
  if (tunebelt::SaveScript(state, folder, options, host) != tunebelt::SaveResult::Done) {
    st.SkipWithError("the first save failed");
  }
  for (auto _ : st) {
    tunebelt::Journal journal;
    options.journal = &journal;
    if (tunebelt::SaveScript(state, folder, options, host) != tunebelt::SaveResult::Done) {
      st.SkipWithError("the save failed");
    }
    const std::size_t made = static_cast<std::size_t>(
        std::count_if(journal.begin(), journal.end(), [](const tunebelt::Step& s) {
          return s.action == tunebelt::Action::Copy || s.action == tunebelt::Action::Level;
        }));
    if (made != 0) st.SkipWithError("a copy was made again");
  }
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_SecondSave)
    ->ArgName("level")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Convert(benchmark::State& st) {
  const Files& f = Files::get();
  const std::string& source = st.range(0) == 0 ? f.wav : f.mp3;
  for (auto _ : st) audio::ConvertToMp3(source, f.out, {192, -3.0}).commit();
  realTime(st, kSeconds);
}
BENCHMARK(BM_Convert)
    ->ArgName("from_mp3")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Measure(benchmark::State& st) {
  const Files& f = Files::get();
  const std::string& source = st.range(0) == 0 ? f.wav : f.mp3;
  for (auto _ : st) benchmark::DoNotOptimize(audio::MeasureLoudness(source));
  realTime(st, kSeconds);
}
BENCHMARK(BM_Measure)->ArgName("mp3")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Eight tracks on every core, as a save measures them.
void BM_MeasureTracksOnEveryCore(benchmark::State& st) {
  const Files& f = Files::get();
  const std::vector<std::string> paths(8, f.mp3);
  audio::LibraryAudioTools tools;
  for (auto _ : st) benchmark::DoNotOptimize(audio::MeasureTracks(tools, paths, nullptr));
  realTime(st, kSeconds * static_cast<double>(paths.size()), audio::WorkerCount(paths.size()));
}
BENCHMARK(BM_MeasureTracksOnEveryCore)->Unit(benchmark::kMillisecond)->UseRealTime();

// A second save of 950 levelled tracks: every measurement from the cache
// (a look at each file's size and time).
void BM_MeasureTracksCached950(benchmark::State& st) {
  const Files& f = Files::get();
  audio::MeasurementCache cache(f.out + ".cache");
  for (const std::string& p : f.probed)
    cache.store(p, *tunebelt::platform::fileStamp(p), {-14.0, 0.9});
  audio::LibraryAudioTools tools;
  for (auto _ : st) {
    const audio::Analysis a = audio::MeasureTracks(tools, f.probed, &cache);
    if (!a.tracks.back().fromCache) st.SkipWithError("measured again");
  }
  realTime(st, 0.0, audio::WorkerCount(f.probed.size()));
}
BENCHMARK(BM_MeasureTracksCached950)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mp3Gain(benchmark::State& st) {
  const Files& f = Files::get();
  for (auto _ : st) audio::ApplyMp3Gain(f.mp3, f.out, -3).file.commit();
  realTime(st, kSeconds);
}
BENCHMARK(BM_Mp3Gain)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
