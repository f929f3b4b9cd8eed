#include "core/scripts/controlscript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::readFile;

const std::vector<std::string> kDefaultScript = {
    R"(alias looptrack "lptrack1")",
    R"(alias playtrack "track1")",
    R"(alias nexttracks "nexttrack1")",
    R"(alias prevtrack "prevtrack1")",
    "",
    R"(alias vol0 "mp3volume 0.00; alias mp3volup vol2; alias mp3voldown vol0;")",
    R"(alias vol2 "mp3volume 0.02; alias mp3volup vol5; alias mp3voldown vol0;")",
    R"(alias vol5 "mp3volume 0.05; alias mp3volup vol9; alias mp3voldown vol2;")",
    R"(alias vol9 "mp3volume 0.09; alias mp3volup vol13; alias mp3voldown vol5;")",
    R"(alias vol13 "mp3volume 0.13; alias mp3volup vol15; alias mp3voldown vol9;")",
    R"(alias vol15 "mp3volume 0.15; alias mp3volup vol20; alias mp3voldown vol13;")",
    R"(alias vol20 "mp3volume 0.20; alias mp3volup vol25; alias mp3voldown vol15;")",
    R"(alias vol25 "mp3volume 0.25; alias mp3volup vol30; alias mp3voldown vol20;")",
    R"(alias vol30 "mp3volume 0.30; alias mp3volup vol35; alias mp3voldown vol25;")",
    R"(alias vol35 "mp3volume 0.35; alias mp3volup vol40; alias mp3voldown vol30;")",
    R"(alias vol40 "mp3volume 0.40; alias mp3volup vol45; alias mp3voldown vol35;")",
    R"(alias vol45 "mp3volume 0.45; alias mp3volup vol50; alias mp3voldown vol40;")",
    R"(alias vol50 "mp3volume 0.50; alias mp3volup vol55; alias mp3voldown vol45;")",
    R"(alias vol55 "mp3volume 0.55; alias mp3volup vol60; alias mp3voldown vol50;")",
    R"(alias vol60 "mp3volume 0.60; alias mp3volup vol65; alias mp3voldown vol55;")",
    R"(alias vol65 "mp3volume 0.65; alias mp3volup vol70; alias mp3voldown vol60;")",
    R"(alias vol70 "mp3volume 0.70; alias mp3volup vol75; alias mp3voldown vol65;")",
    R"(alias vol75 "mp3volume 0.75; alias mp3volup vol80; alias mp3voldown vol70;")",
    R"(alias vol80 "mp3volume 0.80; alias mp3volup vol85; alias mp3voldown vol75;")",
    R"(alias vol85 "mp3volume 0.85; alias mp3volup vol90; alias mp3voldown vol80;")",
    R"(alias vol90 "mp3volume 0.90; alias mp3volup vol95; alias mp3voldown vol85;")",
    R"(alias vol95 "mp3volume 0.95; alias mp3volup vol100; alias mp3voldown vol90;")",
    R"(alias vol100 "mp3volume 1.00; alias mp3volup vol100; alias mp3voldown vol95;")",
    "",
    R"(alias gvol0 "volume 0.00; alias gvolup gvol2; alias gvoldown gvol0;")",
    R"(alias gvol2 "volume 0.02; alias gvolup gvol5; alias gvoldown gvol0;")",
    R"(alias gvol5 "volume 0.05; alias gvolup gvol9; alias gvoldown gvol2;")",
    R"(alias gvol9 "volume 0.09; alias gvolup gvol13; alias gvoldown gvol5;")",
    R"(alias gvol13 "volume 0.13; alias gvolup gvol15; alias gvoldown gvol9;")",
    R"(alias gvol15 "volume 0.15; alias gvolup gvol20; alias gvoldown gvol13;")",
    R"(alias gvol20 "volume 0.20; alias gvolup gvol25; alias gvoldown gvol15;")",
    R"(alias gvol25 "volume 0.25; alias gvolup gvol30; alias gvoldown gvol20;")",
    R"(alias gvol30 "volume 0.30; alias gvolup gvol35; alias gvoldown gvol25;")",
    R"(alias gvol35 "volume 0.35; alias gvolup gvol40; alias gvoldown gvol30;")",
    R"(alias gvol40 "volume 0.40; alias gvolup gvol45; alias gvoldown gvol35;")",
    R"(alias gvol45 "volume 0.45; alias gvolup gvol50; alias gvoldown gvol40;")",
    R"(alias gvol50 "volume 0.50; alias gvolup gvol55; alias gvoldown gvol45;")",
    R"(alias gvol55 "volume 0.55; alias gvolup gvol60; alias gvoldown gvol50;")",
    R"(alias gvol60 "volume 0.60; alias gvolup gvol65; alias gvoldown gvol55;")",
    R"(alias gvol65 "volume 0.65; alias gvolup gvol70; alias gvoldown gvol60;")",
    R"(alias gvol70 "volume 0.70; alias gvolup gvol75; alias gvoldown gvol65;")",
    R"(alias gvol75 "volume 0.75; alias gvolup gvol80; alias gvoldown gvol70;")",
    R"(alias gvol80 "volume 0.80; alias gvolup gvol85; alias gvoldown gvol75;")",
    R"(alias gvol85 "volume 0.85; alias gvolup gvol90; alias gvoldown gvol80;")",
    R"(alias gvol90 "volume 0.90; alias gvolup gvol95; alias gvoldown gvol85;")",
    R"(alias gvol95 "volume 0.95; alias gvolup gvol100; alias gvoldown gvol90;")",
    R"(alias gvol100 "volume 1.00; alias gvolup gvol100; alias gvoldown gvol95;")",
    "",
    "vol80",
    "gvol80",
    "",
    "alias saytrack saytrack1",
    "alias tsaytrack tsaytrack1",
    "",
    "exec playlist1.cfg",
    "",
    "echo Tunebelt Script Loaded",
};

// Line n (1-based) of a script text.
std::string Line(const std::string& text, int n) {
  return platform::splitLines(text).at(static_cast<std::size_t>(n - 1));
}

ProgramState Playlist(const std::vector<std::string>& names, std::int16_t mp3, std::int16_t game) {
  ProgramState s;
  for (const auto& n : names) {
    s.PlaylistPaths.push_back("/music/" + n);
    s.PlaylistNames.push_back(n);
  }
  s.Mp3Volume = mp3;
  s.GameVolume = game;
  return s;
}

TEST(BuildControlScript, DefaultsGiveTheSixtyTwoLines) {
  std::string expected = test::crlf(kDefaultScript);
  expected.resize(expected.size() - 2);  // no line end after the last line
  EXPECT_EQ(BuildControlScript(80, 80), expected);
}

TEST(BuildControlScript, LadderLinesAtTheirPlaces) {
  const std::string text = BuildControlScript(80, 80);
  EXPECT_EQ(Line(text, 6),
            R"(alias vol0 "mp3volume 0.00; alias mp3volup vol2; alias mp3voldown vol0;")");
  EXPECT_EQ(Line(text, 10),
            R"(alias vol13 "mp3volume 0.13; alias mp3volup vol15; alias mp3voldown vol9;")");
  EXPECT_EQ(Line(text, 28),
            R"(alias vol100 "mp3volume 1.00; alias mp3volup vol100; alias mp3voldown vol95;")");
  EXPECT_EQ(Line(text, 42),
            R"(alias gvol50 "volume 0.50; alias gvolup gvol55; alias gvoldown gvol45;")");
}

// The starting volumes name a ladder alias as they are, without rounding.
// A starting volume runs the ladder alias of its nearest step, so the up and
// down keys are defined from the start; halfway between two steps the higher
// one.
TEST(BuildControlScript, StartingVolumesStartOnTheNearestStep) {
  EXPECT_EQ(Line(BuildControlScript(0, 100), 54), "vol0");
  EXPECT_EQ(Line(BuildControlScript(0, 100), 55), "gvol100");
  EXPECT_EQ(Line(BuildControlScript(81, 7), 54), "vol80");
  EXPECT_EQ(Line(BuildControlScript(81, 7), 55), "gvol9");
  EXPECT_EQ(Line(BuildControlScript(83, 33), 54), "vol85");
  EXPECT_EQ(Line(BuildControlScript(83, 33), 55), "gvol35");
  const std::vector<std::pair<int, int>> nearest = {
      {-5, 0},  {0, 0},   {1, 2},   {2, 2},   {3, 2},    {4, 5},     {6, 5},
      {7, 9},   {8, 9},   {10, 9},  {11, 13}, {12, 13},  {14, 15},   {17, 15},
      {18, 20}, {22, 20}, {23, 25}, {97, 95}, {98, 100}, {100, 100}, {150, 100}};
  for (const auto& [volume, step] : nearest) EXPECT_EQ(NearestVolumeStep(volume), step) << volume;
  for (int v = 0; v <= 100; ++v) {
    const std::string text = BuildControlScript(static_cast<std::int16_t>(v), 0);
    const std::string line = Line(text, 54);
    // The line names a ladder alias the script defines.
    EXPECT_NE(text.find("alias " + line + " \""), std::string::npos) << v;
  }
}

TEST(WriteControlScript, WritesPlaylistThenMp3CfgAndPreparesTheCopy) {
  test::TempDir mod;
  test::RecordingHost host;
  WriteControlScript(test::PlanInto(Playlist({"a b.mp3", "c.mp3"}, 80, 80), mod.str()), host,
                     nullptr);

  const std::string text = BuildControlScript(80, 80);
  EXPECT_EQ(host.scriptText, text);
  EXPECT_EQ(readFile(mod / "mp3.cfg"), text + "\r\n");
  EXPECT_TRUE(std::filesystem::exists(mod / "playlist1.cfg"));
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"show-progress", "stage:copying", "progress-max:2"}));
  EXPECT_TRUE(host.messages.empty());
}

TEST(WriteControlScript, Mp3CfgDoesNotDependOnTheTracks) {
  test::TempDir one, other;
  test::RecordingHost host;
  WriteControlScript(test::PlanInto(Playlist({"x.mp3"}, 35, 60), one.str()), host, nullptr);
  WriteControlScript(test::PlanInto(Playlist({"y y.mp3", "z.mp3", "w.mp3"}, 35, 60), other.str()),
                     host, nullptr);
  EXPECT_EQ(readFile(one / "mp3.cfg"), readFile(other / "mp3.cfg"));
  EXPECT_NE(readFile(one / "playlist1.cfg"), readFile(other / "playlist1.cfg"));
}

TEST(WriteControlScript, AMissingModFolderThrowsNamingTheFile) {
  test::TempDir base;
  test::RecordingHost host;
  const std::string mod = base / "gone";
  try {
    WriteControlScript(test::PlanInto(Playlist({"a.mp3"}, 80, 80), mod), host, nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_NE(e.path().find(mod), std::string::npos);
  }
}

}  // namespace
}  // namespace tunebelt
