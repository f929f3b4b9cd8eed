// A saved playlist played through both consoles the way a player uses it:
// the game runs userconfig.cfg and with it mp3.cfg and the playlist chain,
// then the player presses the bound keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "console/console.h"
#include "core/audio/probe.h"
#include "core/playlist/playlist.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/savescript.h"
#include "core/scripts/tracknames.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt::console {
namespace {

namespace fs = std::filesystem;

// One playlist entry as a test makes it: a path below the music folder (an
// entry whose path came before names that same file again), and whether a
// file is made there at all: a missing file and a folder cannot be read.
struct Entry {
  std::string path;
  enum Kind { File, Missing, Folder } kind = File;
};

std::vector<Entry> Files(const std::vector<std::string>& names) {
  std::vector<Entry> entries;
  for (const std::string& name : names) entries.push_back({name});
  return entries;
}

// A track as the scripts number it: what its say lines show and what its
// file holds.
struct Track {
  std::string name;
  std::string content;
};

// A player's music saved with the real Save Script into a fresh mod folder.
// Each source file holds the number of the entry that made it, so a played
// file can be traced back to the file it was copied from.
class SavedPlaylist {
 public:
  explicit SavedPlaylist(const std::vector<Entry>& entries, std::int16_t mp3Volume = 80,
                         std::int16_t gameVolume = 80) {
    const std::string music = dir_ / "music";
    mod_ = dir_ / "hl/cstrike";
    test::writeFile(mod_ + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
    ProgramState state;
    state.Mp3Volume = mp3Volume;
    state.GameVolume = gameVolume;
    std::map<std::string, std::string> made;  // path (on Windows without case) -> content
    const auto key = [](const std::string& path) {
#ifdef _WIN32
      return FoldCase(path);
#else
      return path;
#endif
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      const std::string path = music + "/" + e.path;
      const std::string name = GetFileName(path);
      if (e.kind == Entry::Folder) fs::create_directories(test::fsPath(path));
      if (e.kind == Entry::File && made.count(key(path)) == 0) {
        made[key(path)] = Content(i + 1);
        test::writeFile(path, made[key(path)]);
      }
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.push_back(name);
      if (e.kind == Entry::File) tracks_.push_back({name, made[key(path)]});
    }
    std::string modFolder = mod_;
    test::RecordingHost host;
    result_ = SaveScript(state, modFolder, SaveOptions{}, host);
    for (const auto& m : host.messages) messages_.push_back(m.text);
  }

  // Sound files (by their paths) saved as levelled MP3s: each track's content
  // is that of the copy the save made of it, which must be an MP3.
  SavedPlaylist(const std::vector<std::string>& sounds, const TrackAudioOptions& audio) {
    mod_ = dir_ / "hl/cstrike";
    test::writeFile(mod_ + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
    ProgramState state;
    state.Mp3Volume = state.GameVolume = 80;
    state.SettingsFolder = dir_ / "settings";
    fs::create_directories(test::fsPath(state.SettingsFolder));
    for (const std::string& sound : sounds) {
      const std::string path = dir_ / ("music/" + GetFileName(sound));
      fs::create_directories(test::fsPath(dir_ / "music"));
      fs::copy_file(test::fsPath(sound), test::fsPath(path));
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.push_back(GetFileName(path));
    }
    std::string modFolder = mod_;
    test::RecordingHost host;
    Journal journal;
    SaveOptions options;
    options.audio = audio;
    options.journal = &journal;
    result_ = SaveScript(state, modFolder, options, host);
    for (const auto& m : host.messages) messages_.push_back(m.text);
    for (const Step& s : journal) {
      if (s.source.empty()) continue;
      EXPECT_TRUE(audio::ProbeMp3(s.path).playable) << s.path;
      tracks_.push_back({GetFileName(s.source), test::readFile(s.path)});
    }
  }

  static std::string Content(std::size_t entry) {
    return "entry " + std::to_string(entry);
  }

  // The tracks of the scripts: the entries that can be read, in order.
  const std::vector<Track>& tracks() const {
    return tracks_;
  }
  const std::string& mod() const {
    return mod_;
  }
  SaveResult result() const {
    return result_;
  }
  const std::vector<std::string>& messages() const {
    return messages_;
  }

 private:
  test::TempDir dir_;
  std::vector<Track> tracks_;
  std::string mod_;
  SaveResult result_ = SaveResult::Failed;
  std::vector<std::string> messages_;
};

// What a say line must show of a display name in both engines: all of it but
// the characters that cannot stand inside a quoted alias ('"', ";" and
// control codes) and every "^" that would stand before a digit (Xash3D's
// colour codes), in the code page the game reads (on Windows the ANSI one).
std::string Shown(const std::string& name) {
  std::string out;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (c != '"' && c != ';' && u >= 0x20 && u != 0x7F) out += c;
  }
  for (std::size_t i = out.size(); i-- > 0;) {
    if (out[i] == '^' && i + 1 < out.size() && out[i + 1] >= '0' && out[i + 1] <= '9') {
      out.erase(i, 1);
    }
  }
  return platform::toCodePage(out);
}

// Presses a key bound to `command` and returns the recorded calls it made.
std::vector<Call> Press(Console& c, const std::string& command) {
  c.clearCalls();
  c.run(command);
  return c.calls();
}

// The one mp3 call a key made must play (or loop) the file copied from
// `track`, through a path the console's own file system finds. Returns the
// path.
std::string ExpectPlays(const Console& c, const std::vector<Call>& calls, const std::string& verb,
                        const Track& track, const std::string& key) {
  SCOPED_TRACE(key + " for " + track.name);
  if (calls.size() != 1u) {
    ADD_FAILURE() << calls.size() << " calls";
    return {};
  }
  if (calls[0].argv.size() != 3u) {
    ADD_FAILURE() << calls[0].argv[0] << " " << calls[0].args;
    return {};
  }
  EXPECT_EQ(calls[0].argv[0], "mp3");
  EXPECT_EQ(calls[0].argv[1], verb);
  const std::string& path = calls[0].argv[2];
  EXPECT_EQ(path.rfind(std::string("mp3s") + platform::kSep, 0), 0u) << path;
  auto file = c.resolve(path);
  if (!file.has_value()) {
    ADD_FAILURE() << path << " names no file";
    return path;
  }
  EXPECT_EQ(test::readFile(file->string()), track.content) << path;
  return path;
}

// What a say key made the players read: the track's whole name.
void ExpectSays(const std::vector<Call>& calls, const std::string& command, const Track& track) {
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].argv[0], command);
  EXPECT_EQ(calls[0].shown, "listening to " + Shown(track.name) + " with Tunebelt");
}

// The levels a volume ladder steps through from its start up to its top,
// then down to its bottom.
std::vector<std::string> Levels(Console& c, const std::string& command, const std::string& up,
                                const std::string& down) {
  std::vector<std::string> seen;
  const auto press = [&](const std::string& key, int times) {
    for (int i = 0; i < times; ++i) {
      for (const Call& call : Press(c, key)) {
        if (call.argv[0] == command && call.argv.size() == 2) seen.push_back(call.argv[1]);
      }
    }
  };
  press(up, 6);
  press(down, 24);
  return seen;
}

// `exec tracklist.cfg` typed into a fresh console prints every track's
// number and whole name, in order, each file of the list going in whole.
void ExpectTrackList(const Profile& profile, const SavedPlaylist& saved) {
  Console c(profile, saved.mod());
  c.run("exec tracklist.cfg");
  EXPECT_EQ(c.problems(), std::vector<std::string>{});
  ASSERT_FALSE(c.execs().empty());
  for (const std::string& e : c.execs()) {
    EXPECT_NE(e.find(": whole"), std::string::npos) << e;
  }
  std::vector<std::string> expected;
  for (std::size_t t = 1; t <= saved.tracks().size(); ++t) {
    expected.push_back(std::to_string(t) + ". " + Shown(saved.tracks()[t - 1].name));
  }
  EXPECT_EQ(c.echoes(), expected);
  EXPECT_TRUE(c.calls().empty());
}

// A console that has run the saved scripts the way the game starts.
void Start(Console& c, const std::string& waiting = {}) {
  c.run("exec userconfig.cfg\n" + waiting);
  EXPECT_EQ(c.problems(), std::vector<std::string>{});
  EXPECT_EQ(c.echoes(), std::vector<std::string>{"Tunebelt Script Loaded"});
  for (const std::string& e : c.execs()) {
    EXPECT_NE(e.find(": whole"), std::string::npos) << e;
  }
}

// Everything a player does with a saved playlist, in one console.
void PlayThrough(const Profile& profile, const SavedPlaylist& saved,
                 const std::string& waiting = {}) {
  SCOPED_TRACE(std::string(profile.name));
  const std::vector<Track>& tracks = saved.tracks();
  const std::size_t n = tracks.size();
  Console c(profile, saved.mod());
  Start(c, waiting);
  if (::testing::Test::HasFailure()) return;
  for (std::size_t t = 1; t <= n; ++t) {
    for (const char* a : {"track", "lptrack", "nexttrack", "prevtrack", "saytrack", "tsaytrack"}) {
      ASSERT_TRUE(c.alias(a + std::to_string(t))) << a << t << " is not defined";
    }
  }
  // The starting volumes are set.
  const std::vector<Call> start = c.calls();
  ExpectTrackList(profile, saved);
  ASSERT_EQ(start.size(), 2u);
  EXPECT_EQ(start[0].argv, (std::vector<std::string>{"mp3volume", "0.80"}));
  EXPECT_EQ(start[1].argv, (std::vector<std::string>{"volume", "0.80"}));

  // track<n>, the number the track list shows, plays that track and makes it
  // the current one for every key; only the same file plays at one path.
  std::map<std::string, std::string> playedBy;  // folded path -> content
  const auto track = [&](std::size_t t) { return tracks[t - 1]; };
  for (std::size_t t = 1; t <= n; t += (n > 40 ? 17 : 1)) {
    const std::string path =
        ExpectPlays(c, Press(c, "track" + std::to_string(t)), "play", track(t), "track<n>");
    const auto [at, fresh] = playedBy.emplace(FoldCase(path), track(t).content);
    EXPECT_TRUE(fresh || at->second == track(t).content) << path << " plays two tracks";
    ExpectPlays(c, Press(c, "playtrack"), "play", track(t), "playtrack after track<n>");
    ExpectPlays(c, Press(c, "looptrack"), "loop", track(t), "looptrack after track<n>");
    ExpectSays(Press(c, "saytrack"), "say", track(t));
    ExpectSays(Press(c, "tsaytrack"), "say_team", track(t));
    ExpectPlays(c, Press(c, "nexttracks"), "play", track(t % n + 1), "nexttracks after track<n>");
    Press(c, "track" + std::to_string(t));
    ExpectPlays(c, Press(c, "prevtrack"), "play", track(t > 1 ? t - 1 : n),
                "prevtrack after track<n>");
    if (::testing::Test::HasFatalFailure()) return;
  }
  ExpectPlays(c, Press(c, "track" + std::to_string(n)), "play", track(n), "track<n>");
  ExpectPlays(c, Press(c, "track1"), "play", track(1), "track<n>");
  // Next walks every track once, in order, and wraps to the first.
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t t = step % n + 1;
    ExpectPlays(c, Press(c, "nexttracks"), "play", track(t), "nexttracks");
    ExpectPlays(c, Press(c, "looptrack"), "loop", track(t), "looptrack");
    ExpectSays(Press(c, "saytrack"), "say", track(t));
    ExpectSays(Press(c, "tsaytrack"), "say_team", track(t));
    if (::testing::Test::HasFatalFailure()) return;
  }
  // Previous walks them backwards from the last.
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t t = n - (step - 1) % n;
    ExpectPlays(c, Press(c, "prevtrack"), "play", track(t), "prevtrack");
    ExpectSays(Press(c, "tsaytrack"), "say_team", track(t));
    if (::testing::Test::HasFatalFailure()) return;
  }

  const std::vector<std::string> ladder = {
      "0.85", "0.90", "0.95", "1.00", "1.00", "1.00", "0.95", "0.90", "0.85", "0.80",
      "0.75", "0.70", "0.65", "0.60", "0.55", "0.50", "0.45", "0.40", "0.35", "0.30",
      "0.25", "0.20", "0.15", "0.13", "0.09", "0.05", "0.02", "0.00", "0.00", "0.00"};
  EXPECT_EQ(Levels(c, "mp3volume", "mp3volup", "mp3voldown"), ladder);
  EXPECT_EQ(Levels(c, "volume", "gvolup", "gvoldown"), ladder);
  EXPECT_EQ(c.problems(), std::vector<std::string>{});
}

// Names as players' libraries hold them. The number makes every cleaned name
// different, so each played file shows which track it came from.
std::string RealisticName(std::size_t i) {
  static const std::pair<const char*, const char*> kForms[] = {
      {"0", " - Caf\u00e9 Ol\u00e9.mp3"},
      {"Die \u00c4rzte - Schrei nach Liebe (Live ", ").mp3"},
      {"Hello, World ", ".mp3"},
      {"{Intro} ", ".mp3"},
      {"Track ", ": Opening.mp3"},
      {"Don't Stop Me Now ", ".mp3"},
      {"[Bonus] #", " @home ~ mix.mp3"},
      {"AC-DC - Back in Black (Live, ", ").mp3"},
      {"100% Pure $", " \u00a35.mp3"},
      {"Sigur R\u00f3s - Hopp\u00edpolla ", " \u6771\u4eac.mp3"},
  };
  const std::string k = std::to_string(i);
  const std::size_t form = i % 12;
  if (form < std::size(kForms)) return kForms[form].first + k + kForms[form].second;
  if (form == 10) {  // 200 bytes
    std::string name = "The Longest Named Band in the World - ";
    while (name.size() < 200) name += "la ";
    return name.substr(0, 200 - k.size() - 4) + k + ".mp3";
  }
  // 255 bytes, the longest a file name can be
  std::string name = "Symphony No. " + k + " {Allegro, ma non troppo}: ";
  return name + std::string(251 - name.size(), 'x') + ".mp3";
}

std::vector<Entry> RealisticNames(std::size_t count) {
  std::vector<Entry> names;
  for (std::size_t i = 1; i <= count; ++i) names.push_back({RealisticName(i)});
  return names;
}

class PlaylistInConsoles : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PlaylistInConsoles, EveryTrackPlaysInOrderAndEveryKeyWorks) {
  const SavedPlaylist saved(RealisticNames(GetParam()));
  ASSERT_EQ(saved.result(), SaveResult::Done);
  ASSERT_EQ(saved.messages(), std::vector<std::string>{});
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlaylistInConsoles, ::testing::Values(1, 3, 41, 100, 667, 950));

// The game runs userconfig.cfg among its own configs, so other commands may
// still wait in the buffer when mp3.cfg runs. Every file still goes in whole
// with 8 KB of them waiting, in GoldSrc's smaller buffer too.
TEST(PlaylistInConsoles, FilesGoInWholeWithEightKilobytesStillWaiting) {
  const SavedPlaylist saved(RealisticNames(120));
  ASSERT_EQ(saved.result(), SaveResult::Done);
  std::string waiting;
  while (waiting.size() < 8192) waiting += "alias +player_own \"+jump; +duck\"\r\n";
  PlayThrough(GoldSrc(), saved, waiting);
  PlayThrough(Xash3D(), saved, waiting);
}

// Names drawn from a wide alphabet: ASCII punctuation, control characters,
// accented letters, CJK and four-byte characters. Separators are left out: a
// display name is the last part of a path. TUNEBELT_CONSOLE_SEED picks
// another seed.
std::vector<Entry> RandomNames(std::mt19937& rng, std::size_t count) {
  std::vector<std::string> alphabet;
#ifdef _WIN32
  // Windows takes none of these in a file name, nor control characters.
  const std::string forbidden = "/\\<>:\"|?*";
#else
  const std::string forbidden = "/\\";
#endif
  for (char c = ' '; c <= '~'; ++c) {
    if (forbidden.find(c) == std::string::npos) alphabet.emplace_back(1, c);
  }
#ifndef _WIN32
  alphabet.emplace_back("\t");
  alphabet.emplace_back("\x01");
#endif
  for (const char* extra :
       {"\x7F", "\u00e9", "\u00c4", "\u00df", "\u00a3", "\u00a2", "\u00f1", "\u03a9", "\u0416",
        "\u6771", "\u4eac", "\u2019", "\u20ac", "\U0001F3B5", "\u00a0"}) {
    alphabet.emplace_back(extra);
  }
  std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1), length(1, 40);
  std::vector<Entry> names;
  for (std::size_t i = 1; i <= count; ++i) {
    std::string name;
    for (std::size_t k = length(rng); k > 0; --k) name += alphabet[letter(rng)];
    names.push_back({name + ".mp3"});
  }
  return names;
}

TEST(PlaylistInConsoles, RandomNamesPlayAndAreSaidWhole) {
  unsigned seed = 20240611;
  if (const char* s = std::getenv("TUNEBELT_CONSOLE_SEED"))
    seed = static_cast<unsigned>(std::atol(s));
  SCOPED_TRACE("seed " + std::to_string(seed) + " (TUNEBELT_CONSOLE_SEED)");
  std::mt19937 rng(seed);
  const SavedPlaylist saved(RandomNames(rng, 300));
  ASSERT_EQ(saved.result(), SaveResult::Done);
  ASSERT_EQ(saved.messages(), std::vector<std::string>{});
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

// Tracks of every format the save converts, and levelled: each key plays
// the MP3 made of its own track, under a name ending in ".mp3".
TEST(PlaylistInConsoles, ConvertedAndLevelledCopiesPlayInBothConsoles) {
  std::vector<std::string> sounds;
  for (const char* name : {"tone.flac", "noise.ogg", "tone.opus", "tone-aac.m4a", "tone-alac.m4a",
                           "tone.wav", "tone.mp3"}) {
    sounds.push_back(std::string(TUNEBELT_AUDIO_TESTDATA) + "/" + name);
  }
  TrackAudioOptions audio;
  audio.level = true;
  const SavedPlaylist saved(sounds, audio);
  ASSERT_EQ(saved.result(), SaveResult::Done);
  ASSERT_EQ(saved.messages(), std::vector<std::string>{});
  ASSERT_EQ(saved.tracks().size(), 7u);
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

// A say line may hold far more words than a command keeps tokens: every
// comma and bracket is one. The text said is the raw rest of the line, so
// all of it still comes through.
TEST(PlaylistInConsoles, SayLinesOfMoreThanEightyTokensAreSaidWhole) {
  std::string commas = "Tokens 1 ", brackets = "Tokens 2 ";
  for (int i = 0; i < 60; ++i) commas += "a, ";
  for (int i = 0; i < 40; ++i) brackets += "{(x)} ";
  const SavedPlaylist saved(Files({commas + ".mp3", brackets + ".mp3"}));
  ASSERT_EQ(saved.result(), SaveResult::Done);
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

// Every file a save writes stays within the playlist bound, mp3.cfg included,
// and no line comes near GoldSrc's limit for a quoted argument.
TEST(PlaylistInConsoles, FilesAndLinesStayWithinTheLimits) {
  const SavedPlaylist saved(RealisticNames(300));
  for (const auto& e : fs::directory_iterator(saved.mod())) {
    if (e.path().extension() != ".cfg") continue;
    const std::string text = test::readFile(e.path().string());
    EXPECT_LE(text.size(), kMaxPlaylistFileBytes) << e.path();
    for (const std::string& line : platform::splitLines(text)) {
      EXPECT_LT(line.size(), GoldSrc().maxQuotedLength) << line;
    }
  }
}

// Tracks whose names clean to the same text, the same but for case, to
// nothing at all, or to a name Windows keeps for a device, and one file name
// in two album folders: every track<n> plays a file holding track n's bytes,
// and no two tracks share a path, case ignored, unless they are one file
// listed twice. ".MP3" is a track like ".mp3".
TEST(PlaylistInConsoles, CollidingNamesPlayTheirOwnTracks) {
  std::vector<Entry> entries = {{"A B.mp3"},       {"AB.mp3"},           {"A-B.mp3"},
                                {"ab.MP3"},        {"CD1/01 Intro.mp3"}, {"CD2/01 Intro.mp3"},
                                {"!!!.mp3"},       {"---.mp3"},          {"track_1.mp3"},
                                {"UPPER.MP3"},     {"AB.mp3"},           {"\u00c4rger.mp3"},
                                {"\u00e4rger.mp3"}};
#ifndef _WIN32
  entries.push_back({"CON.mp3"});  // no Windows file may be named so
#endif
  const SavedPlaylist saved(entries);
  ASSERT_EQ(saved.result(), SaveResult::Done);
  ASSERT_EQ(saved.messages(), std::vector<std::string>{});
  // Each source file holds what only it holds (on Windows "AB.mp3" and
  // "ab.MP3", "\u00c4rger" and "\u00e4rger" are one file each).
  std::set<std::string> files;
  for (const Track& t : saved.tracks()) files.insert(t.content);
  std::set<std::string> copies;
  for (const auto& e : fs::directory_iterator(test::fsPath(saved.mod() + "/mp3s"))) {
    const std::string name = test::utf8(e.path().filename());
    EXPECT_TRUE(copies.insert(FoldCase(name)).second) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3") << name;
    EXPECT_NE(name.front(), '.') << name;
  }
  EXPECT_EQ(copies.size(), files.size());  // one copy per file
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

// A track whose file cannot be read (gone, a folder) is in no script: the
// others are numbered on, and no key ever names a missing file.
TEST(PlaylistInConsoles, UnreadableTracksAreNeverPlayed) {
  const SavedPlaylist saved(
      {{"a.mp3"}, {"gone.mp3", Entry::Missing}, {"b.mp3"}, {"x.mp3", Entry::Folder}, {"c.mp3"}});
  EXPECT_EQ(saved.result(), SaveResult::Failed);
  ASSERT_EQ(saved.messages().size(), 1u);
  EXPECT_EQ(saved.messages()[0].rfind("2 tracks were left out:\n", 0), 0u);
  ASSERT_EQ(saved.tracks().size(), 3u);
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    PlayThrough(*p, saved);
    Console c(*p, saved.mod());
    Start(c);
    EXPECT_FALSE(c.alias("track4")) << "a fourth track";
  }
}

// Names with colour codes: both engines show them the same, with every "^"
// that would make one dropped, on the screen and in chat.
TEST(PlaylistInConsoles, ColourCodesInANameAreNeverRead) {
  const SavedPlaylist saved(Files({"^1Red ^7White.mp3", "x^^2y.mp3", "a^b ^.mp3"}));
  ASSERT_EQ(saved.result(), SaveResult::Done);
  EXPECT_EQ(Shown(saved.tracks()[0].name), "1Red 7White.mp3");
  EXPECT_EQ(Shown(saved.tracks()[1].name), "x2y.mp3");
  EXPECT_EQ(Shown(saved.tracks()[2].name), "a^b ^.mp3");
  PlayThrough(GoldSrc(), saved);
  PlayThrough(Xash3D(), saved);
}

// Starting volumes between the ladder's steps start on the nearest step, so
// the volume keys work from the first press.
TEST(PlaylistInConsoles, VolumesBetweenStepsStartOnTheNearestStep) {
  const SavedPlaylist saved(Files({"a.mp3"}), 81, 33);
  ASSERT_EQ(saved.result(), SaveResult::Done);
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    SCOPED_TRACE(std::string(p->name));
    Console c(*p, saved.mod());
    Start(c);
    ASSERT_EQ(c.calls().size(), 2u);
    EXPECT_EQ(c.calls()[0].argv, (std::vector<std::string>{"mp3volume", "0.80"}));
    EXPECT_EQ(c.calls()[1].argv, (std::vector<std::string>{"volume", "0.35"}));
    for (const auto& [key, command, level] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"mp3volup", "mp3volume", "0.85"},
             {"mp3voldown", "mp3volume", "0.80"},
             {"gvolup", "volume", "0.40"},
             {"gvoldown", "volume", "0.35"}}) {
      const std::vector<Call> calls = Press(c, key);
      ASSERT_EQ(calls.size(), 1u) << key;
      EXPECT_EQ(calls[0].argv, (std::vector<std::string>{command, level})) << key;
    }
    EXPECT_EQ(c.problems(), std::vector<std::string>{});
  }
}

// Under a double-byte code page such as 932 the game reads a name's bytes: a
// letter whose second byte is "\" or "{" would cut the path or split the
// command. The cleaning drops such letters, so the play line of a Japanese
// title, in the code page's bytes, reaches mp3 as one path that names no
// other folder.
TEST(PlaylistInConsoles, DoubleByteNamesStayOnePathInBothConsoles) {
  // Code page 932 for the letters used here (and ASCII).
  const CodePage cp932 = [](std::string_view ch) -> std::optional<std::string> {
    static const std::map<std::string, std::string, std::less<>> kBytes = {
        {"\u65e5", "\x93\xfa"}, {"\u672c", "\x96\x7b"}, {"\u8868", "\x95\x5c"},
        {"\u30a2", "\x83\x41"}, {"\u30bd", "\x83\x5c"}, {"\u30a4", "\x83\x43"}};
    if (ch.size() == 1) return std::string(ch);
    auto it = kBytes.find(ch);
    if (it == kBytes.end()) return std::nullopt;
    return it->second;
  };
  const auto inCodePage = [&](const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
      std::size_t n = static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : 3;
      out += *cp932(utf8.substr(i, n));
      i += n;
    }
    return out;
  };
  const std::string title = "\u65e5\u672c\u8868\u30a2\u30bd\u30a4.mp3";
  const std::vector<std::string> names = CopyNames({{title, 1}}, cp932);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "\u65e5\u30a2\u30a4.mp3");
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    const std::string line = "mp3 play mp3s\\" + inCodePage(names[0]);
    const Tokens t = Tokenize(*p, line);
    ASSERT_EQ(t.argv.size(), 3u) << p->name;
    EXPECT_EQ(t.argv[2], "mp3s\\" + inCodePage(names[0]));
    EXPECT_EQ(t.argv[2].find_first_of("\\{}", 5), std::string::npos);
    // Without the byte check the same title splits at the "{" of 本.
    EXPECT_GT(Tokenize(*p, "mp3 play mp3s\\" + inCodePage("\u65e5\u672c.mp3")).argv.size(), 3u);
  }
}

}  // namespace
}  // namespace tunebelt::console
