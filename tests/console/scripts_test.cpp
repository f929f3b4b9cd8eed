// A saved playlist played through both consoles the way a player uses it:
// the game runs userconfig.cfg and with it mp3.cfg and the playlist chain,
// then the player presses the bound keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/savescript.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt::console {
namespace {

namespace fs = std::filesystem;

// A player's music saved with the real Save Script into a fresh mod folder.
// Each source file holds its own track number, so a played file can be
// traced back to the track it was copied from.
class SavedPlaylist {
 public:
  explicit SavedPlaylist(std::vector<std::string> names) : names_(std::move(names)) {
    const std::string music = dir_ / "music";
    mod_ = dir_ / "hl/cstrike";
    test::writeFile(mod_ + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
    ProgramState state;
    state.Mp3Volume = 80;
    state.GameVolume = 80;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      const std::string path = music + "/" + names_[i];
      test::writeFile(path, Content(i + 1));
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.push_back(names_[i]);
    }
    std::string modFolder = mod_;
    test::RecordingHost host;
    result_ = SaveScript(state, modFolder, SaveOptions{}, host);
    for (const auto& m : host.messages) messages_.push_back(m.text);
  }

  static std::string Content(std::size_t track) { return "track " + std::to_string(track); }

  const std::vector<std::string>& names() const { return names_; }
  const std::string& mod() const { return mod_; }
  SaveResult result() const { return result_; }
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  test::TempDir dir_;
  std::vector<std::string> names_;
  std::string mod_;
  SaveResult result_ = SaveResult::Failed;
  std::vector<std::string> messages_;
};

// What a say line must show of a display name: all of it but the characters
// that cannot stand inside a quoted alias ('"', ";" and control codes), in
// the code page the game reads (on Windows the ANSI one).
std::string Shown(const std::string& name) {
  std::string out;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (c != '"' && c != ';' && u >= 0x20 && u != 0x7F) out += c;
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
// `track`, through a path the console's own file system finds.
void ExpectPlays(const Console& c, const std::vector<Call>& calls, const std::string& verb,
                 std::size_t track, const std::string& key) {
  SCOPED_TRACE(key + " for track " + std::to_string(track));
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].argv.size(), 3u) << calls[0].argv[0] << " " << calls[0].args;
  EXPECT_EQ(calls[0].argv[0], "mp3");
  EXPECT_EQ(calls[0].argv[1], verb);
  const std::string& path = calls[0].argv[2];
  EXPECT_EQ(path.rfind(std::string("mp3s") + platform::kSep, 0), 0u) << path;
  auto file = c.resolve(path);
  ASSERT_TRUE(file.has_value()) << path << " names no file";
  EXPECT_EQ(test::readFile(file->string()), SavedPlaylist::Content(track)) << path;
}

void ExpectSays(const std::vector<Call>& calls, const std::string& command,
                const std::string& name) {
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].argv[0], command);
  EXPECT_EQ(calls[0].args, "listening to " + Shown(name) + " with Tunebelt");
}

// The levels a volume ladder steps through from 80 up to its top, then down
// to its bottom: each value once, the ends repeated by the extra presses.
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
  for (std::size_t t = 1; t <= saved.names().size(); ++t) {
    expected.push_back(std::to_string(t) + ". " + Shown(saved.names()[t - 1]));
  }
  EXPECT_EQ(c.echoes(), expected);
  EXPECT_TRUE(c.calls().empty());
}

// Everything a player does with a saved playlist, in one console.
void PlayThrough(const Profile& profile, const SavedPlaylist& saved,
                 const std::string& waiting = {}) {
  SCOPED_TRACE(std::string(profile.name));
  const std::size_t n = saved.names().size();
  Console c(profile, saved.mod());
  c.run("exec userconfig.cfg\n" + waiting);
  ASSERT_EQ(c.problems(), std::vector<std::string>{});
  EXPECT_EQ(c.echoes(), std::vector<std::string>{"Tunebelt Script Loaded"});
  for (const std::string& e : c.execs()) {
    EXPECT_NE(e.find(": whole"), std::string::npos) << e;
  }
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

  // track<n>, the number the track list shows, plays that track.
  for (std::size_t t = 1; t <= n; t += (n > 40 ? 17 : 1)) {
    ExpectPlays(c, Press(c, "track" + std::to_string(t)), "play", t, "track<n>");
  }
  ExpectPlays(c, Press(c, "track" + std::to_string(n)), "play", n, "track<n>");
  ExpectPlays(c, Press(c, "playtrack"), "play", 1, "playtrack");
  ExpectPlays(c, Press(c, "looptrack"), "loop", 1, "looptrack");
  ExpectSays(Press(c, "saytrack"), "say", saved.names()[0]);
  // Next walks every track once, in order, and wraps to the first.
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t t = step % n + 1;
    ExpectPlays(c, Press(c, "nexttracks"), "play", t, "nexttracks");
    ExpectPlays(c, Press(c, "looptrack"), "loop", t, "looptrack");
    ExpectSays(Press(c, "saytrack"), "say", saved.names()[t - 1]);
    ExpectSays(Press(c, "tsaytrack"), "say_team", saved.names()[t - 1]);
    if (::testing::Test::HasFatalFailure()) return;
  }
  // Previous walks them backwards from the last.
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t t = n - (step - 1) % n;
    ExpectPlays(c, Press(c, "prevtrack"), "play", t, "prevtrack");
    ExpectSays(Press(c, "tsaytrack"), "say_team", saved.names()[t - 1]);
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

std::vector<std::string> RealisticNames(std::size_t count) {
  std::vector<std::string> names;
  for (std::size_t i = 1; i <= count; ++i) names.push_back(RealisticName(i));
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
std::vector<std::string> RandomNames(std::mt19937& rng, std::size_t count) {
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
  std::vector<std::string> names;
  for (std::size_t i = 1; i <= count; ++i) {
    std::string name;
    for (std::size_t k = length(rng); k > 0; --k) name += alphabet[letter(rng)];
    // Three digits before the extension keep the cleaned names apart.
    const std::string number = std::to_string(1000 + i).substr(1);
    names.push_back(name + number + ".mp3");
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

// A say line may hold far more words than a command keeps tokens: every
// comma and bracket is one. The text said is the raw rest of the line, so
// all of it still comes through.
TEST(PlaylistInConsoles, SayLinesOfMoreThanEightyTokensAreSaidWhole) {
  std::string commas = "Tokens 1 ", brackets = "Tokens 2 ";
  for (int i = 0; i < 60; ++i) commas += "a, ";
  for (int i = 0; i < 40; ++i) brackets += "{(x)} ";
  const SavedPlaylist saved({commas + ".mp3", brackets + ".mp3"});
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

}  // namespace
}  // namespace tunebelt::console
