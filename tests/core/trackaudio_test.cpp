// A save of one track per format: converted and levelled copies, the gains a
// dry run shows, and a second save that measures and makes nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "audio_test_util.h"
#include "core/audio/loudness.h"
#include "core/playlist/playlist.h"
#include "core/scripts/savepreview.h"
#include "core/scripts/savescript.h"
#include "core/scripts/trackaudio.h"
#include "recording_host.h"

namespace tunebelt::test {
namespace {

class FormatPlaylist : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(mod + "/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
    state.SettingsFolder = dir / "settings";
    std::filesystem::create_directories(fsPath(state.SettingsFolder));
    state.Mp3Volume = state.GameVolume = 80;
    for (const audioset::Sound& s : playlistSounds()) {
      const std::string path = dir / (std::string("music/") + s.file);
      std::filesystem::create_directories(fsPath(dir / "music"));
      std::filesystem::copy_file(fsPath(sound(s.file)), fsPath(path));
      sources[path] = readFile(path);
      ASSERT_EQ(AddTrack(state, path, host), AppendResult::Added) << s.file;
    }
    options.audioTools = &tools;
    options.audio.level = true;
  }

  SaveResult save(Journal& journal) {
    std::string folder = mod;
    options.journal = &journal;
    return SaveScript(state, folder, options, host);
  }

  // The copy each source went to, from a journal.
  static std::map<std::string, const Step*> copiesOf(const Journal& journal) {
    std::map<std::string, const Step*> out;
    for (const Step& s : journal) {
      if (!s.source.empty()) out[s.source] = &s;
    }
    return out;
  }

  TempDir dir;
  std::string mod = dir / "hl/cstrike";
  ProgramState state;
  RecordingHost host;
  CountingTools tools;
  SaveOptions options;
  std::map<std::string, std::string> sources;  // path -> bytes
};

TEST_F(FormatPlaylist, EveryCopyIsALevelledMp3AndTheSourcesStayAsTheyWere) {
  Journal journal;
  ASSERT_EQ(save(journal), SaveResult::Done)
      << (host.messages.empty() ? "" : host.messages[0].text);
  const auto copies = copiesOf(journal);
  ASSERT_EQ(copies.size(), sources.size());
  for (const auto& [source, step] : copies) {
    SCOPED_TRACE(source);
    const bool mp3 = HasMp3Extension(source);
    EXPECT_EQ(step->action, mp3 ? Action::Level : Action::Convert);
    EXPECT_TRUE(step->path.ends_with(".mp3"));
    const audio::Mp3Verdict verdict = audio::ProbeMp3(step->path);
    ASSERT_TRUE(verdict.playable) << verdict.reason;
    EXPECT_EQ(verdict.first.sampleRate, 44100);
    EXPECT_EQ(verdict.first.channels(), 2);
    if (!mp3) {
      EXPECT_EQ(verdict.first.bitrateKbps, 192);
    }
    // Within 1 LU of the target; an MP3 within half a step of its gain.
    const audio::Loudness copy = audio::MeasureLoudness(step->path);
    EXPECT_NEAR(copy.lufs, audio::kTargetLufs, mp3 ? 0.75 : 1.0);
    ASSERT_TRUE(step->gainDb.has_value());
    EXPECT_NEAR(copy.lufs - audio::MeasureLoudness(source).lufs, *step->gainDb, 0.5);
    EXPECT_EQ(readFile(source), sources.at(source));
  }
  EXPECT_EQ(tools.measured, 7);
  EXPECT_EQ(tools.converted, 6);
  EXPECT_EQ(tools.levelled, 1);
  // The progress caption named the tracks as they were worked on.
  EXPECT_TRUE(std::any_of(host.events.begin(), host.events.end(), [](const std::string& e) {
    return e.starts_with("caption:Converting tone.flac (");
  }));
  EXPECT_TRUE(std::any_of(host.events.begin(), host.events.end(), [](const std::string& e) {
    return e.starts_with("caption:Measuring loudness ") && e.find("tone.wav") != std::string::npos;
  }));
}

TEST_F(FormatPlaylist, ASecondSaveMeasuresAndMakesNothingUntilASourceOrTheBitRateChanges) {
  Journal first, second;
  ASSERT_EQ(save(first), SaveResult::Done);
  const int measured = tools.measured;
  ASSERT_EQ(save(second), SaveResult::Done);
  EXPECT_EQ(tools.measured, measured);
  EXPECT_EQ(tools.converted, 6);
  EXPECT_EQ(tools.levelled, 1);
  for (const auto& [source, step] : copiesOf(second)) {
    EXPECT_EQ(step->action, Action::AlreadyThere) << source;
    EXPECT_EQ(step->size, copiesOf(first).at(source)->size) << source;
  }

  // A new version of one source, a copy the player changed, and another bit
  // rate: each of those copies is made again, nothing else.
  const std::string flac = dir / "music/tone.flac";
  std::filesystem::last_write_time(
      fsPath(flac), std::filesystem::last_write_time(fsPath(flac)) + std::chrono::hours(1));
  writeFile(copiesOf(first).at(dir / "music/tone.mp3")->path, "changed");
  Journal third;
  ASSERT_EQ(save(third), SaveResult::Done);
  EXPECT_EQ(tools.measured, measured + 1);
  EXPECT_EQ(tools.converted, 7);
  EXPECT_EQ(tools.levelled, 2);
  options.audio.bitrateKbps = 128;
  Journal fourth;
  ASSERT_EQ(save(fourth), SaveResult::Done);
  EXPECT_EQ(tools.converted, 13);
  EXPECT_EQ(tools.levelled, 2);
  EXPECT_EQ(audio::ProbeMp3(copiesOf(fourth).at(flac)->path).first.bitrateKbps, 128);
}

TEST_F(FormatPlaylist, ADryRunShowsTheGainsTheSaveGives) {
  std::vector<Step> shown;
  std::string folder = mod;
  ASSERT_EQ(PreviewSave(state, folder, options, host, shown), PreviewResult::Done);
  EXPECT_FALSE(std::filesystem::exists(fsPath(mod + "/mp3s")));
  EXPECT_EQ(tools.converted + tools.levelled, 0);
  Journal journal;
  ASSERT_EQ(save(journal), SaveResult::Done);
  const auto saved = copiesOf(journal);
  int converts = 0;
  for (const Step& s : shown) {
    if (s.source.empty()) continue;
    SCOPED_TRACE(s.source);
    converts += s.action == Action::Convert;
    EXPECT_EQ(s.action, saved.at(s.source)->action);
    EXPECT_EQ(s.gainDb, saved.at(s.source)->gainDb);
    EXPECT_EQ(s.path, saved.at(s.source)->path);
  }
  EXPECT_EQ(converts, 6);
  // tone.mp3 lies 12 dB below the target: eight steps of its frames' gain.
  EXPECT_EQ(GainText(*saved.at(dir / "music/tone.mp3")->gainDb), "+12.04 dB");
}

TEST_F(FormatPlaylist, WithoutLevellingMp3sAreCopiedAsTheyAre) {
  options.audio.level = false;
  Journal journal;
  ASSERT_EQ(save(journal), SaveResult::Done);
  const Step& mp3 = *copiesOf(journal).at(dir / "music/tone.mp3");
  EXPECT_EQ(mp3.action, Action::Copy);
  EXPECT_EQ(readFile(mp3.path), sources.at(dir / "music/tone.mp3"));
  EXPECT_EQ(tools.measured, 0);
  EXPECT_EQ(tools.converted, 6);
}

TEST(CopyRecords, KnowACopyOnlyAsItWasWrittenAndSurviveADamagedFile) {
  TempDir dir;
  const std::string file = dir / "copies.cache";
  const std::string copy = dir / "a.mp3";
  writeFile(copy, "made");
  const platform::FileStamp source{100, 5};
  {
    CopyRecords records(file);
    records.store(copy, source, "level 2 steps");
    records.save();
  }
  CopyRecords records(file);
  EXPECT_TRUE(records.current(copy, source, "level 2 steps"));
  EXPECT_FALSE(records.current(copy, source, "level 3 steps"));
  EXPECT_FALSE(records.current(copy, {100, 6}, "level 2 steps"));
  writeFile(copy, "made again");
  EXPECT_FALSE(records.current(copy, source, "level 2 steps"));

  writeFile(file,
            std::string(kCopyRecordsHeading) + "\r\n1\tx\t3\t4\tlevel 1 steps\t" + copy + "\r\n");
  EXPECT_FALSE(CopyRecords(file).current(copy, {1, 0}, "level 1 steps"));
}

}  // namespace
}  // namespace tunebelt::test
