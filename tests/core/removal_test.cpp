#include "core/scripts/removal.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/scripts/controlscript.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/savescript.h"
#include "core/scripts/tracklist.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::crlf;
using test::readFile;
using test::writeFile;
const std::string kSep(1, platform::kSep);

// What a journal did, without the sizes.
using Change = std::pair<Action, std::string>;
using Changes = std::vector<Change>;
Changes Done(const Journal& journal) {
  Changes changes;
  for (const Step& s : journal) changes.emplace_back(s.action, s.path);
  return changes;
}

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mod = dir / "hl/cstrike";
    fs::create_directories(test::fsPath(mod));
    state.ApplicationFolder = dir / "app";
    state.Language = kEnglish;
    state.Mp3Volume = 80;
    state.GameVolume = 80;
    for (const char* name : {"Intro.mp3", "Hello, World.mp3", "Track: Two.mp3"}) {
      const std::string path = dir / (std::string("music/") + name);
      writeFile(path, std::string("ID3 ") + name);
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.push_back(name);
    }
  }
  void save(bool deleteUnused = false) {
    std::string text = mod;
    SaveOptions o;
    o.plan.deleteUnused = deleteUnused;
    ASSERT_EQ(SaveScript(state, text, o, host), SaveResult::Done);
  }
  RemovalResult remove(bool tracks = false, bool dryRun = false, Journal* journal = nullptr) {
    std::string text = mod;
    RemovalOptions o;
    o.tracks = tracks;
    o.dryRun = dryRun;
    o.journal = journal;
    host.messages.clear();
    return RemoveFromModFolder(state, text, o, host);
  }
  std::string userConfig() const { return ModLayout(mod).userConfig(); }
  std::string keyBindings() const { return ModLayout(mod).keyBindings(); }

  test::TempDir dir;
  std::string mod;
  ProgramState state;
  test::RecordingHost host;
};

// The player's files as they may be before a first save, and what a removal
// must leave of them. Lines a save already normalised (a missing last line
// end) stay normalised; kb_act.lst keeps its empty lines and LF line ends.
struct PlayerFiles {
  const char* what;
  const char* userConfig;  // nullptr: no file
  const char* keyBindings;
  const char* userConfigAfter;  // nullptr: no file
  const char* keyBindingsAfter;
};

const PlayerFiles kPlayerFiles[] = {
    {"no userconfig.cfg", nullptr, "\"+attack\" \"Fire\"\r\n", nullptr, "\"+attack\" \"Fire\"\r\n"},
    {"lines with CR LF, empty ones too", "bind x y\r\n\r\nsensitivity 3\r\n\r\n",
     "\"+attack\" \"Fire\"\r\n\r\n\"+jump\" \"Jump\"\r\n\r\n",
     "bind x y\r\n\r\nsensitivity 3\r\n\r\n",
     "\"+attack\" \"Fire\"\r\n\r\n\"+jump\" \"Jump\"\r\n\r\n"},
    {"last lines without CR LF", "bind x y\r\nname p", "\"+attack\" \"Fire\"\n\"+jump\" \"Jump\"",
     "bind x y\r\nname p\r\n", "\"+attack\" \"Fire\"\n\"+jump\" \"Jump\"\n"},
    {"a line like the hook but not it", "exec mp3.cfg \r\n// exec mp3.cfg\r\n",
     "\"blank\" \"=====\"\r\n\"+jump\" \"Jump\"\r\n", "exec mp3.cfg \r\n// exec mp3.cfg\r\n",
     "\"blank\" \"=====\"\r\n\"+jump\" \"Jump\"\r\n"},
    {"the hook there already: taken out like any", "exec mp3.cfg\r\nbind x y\r\nexec mp3.cfg\r\n",
     "\"+jump\" \"Jump\"\r\n", "exec mp3.cfg\r\nbind x y\r\n", "\"+jump\" \"Jump\"\r\n"},
    {"only the hook: the file goes", "exec mp3.cfg\r\n", "\"+jump\" \"Jump\"\r\n", nullptr,
     "\"+jump\" \"Jump\"\r\n"},
};

TEST_F(RemovalTest, SaveThenRemoveLeavesOnlyThePlayersLines) {
  for (const PlayerFiles& c : kPlayerFiles) {
    SCOPED_TRACE(c.what);
    fs::remove_all(test::fsPath(mod));
    if (c.userConfig) writeFile(userConfig(), c.userConfig);
    writeFile(keyBindings(), c.keyBindings);
    writeFile(mod + "/config.cfg", "player's own\r\n");
    save();
    ASSERT_TRUE(fs::exists(test::fsPath(mod + "/tracklist.cfg")));

    Journal journal;
    EXPECT_EQ(remove(false, false, &journal), RemovalResult::Done);
    EXPECT_EQ(fs::exists(test::fsPath(userConfig())), c.userConfigAfter != nullptr);
    if (c.userConfigAfter) {
      EXPECT_EQ(readFile(userConfig()), c.userConfigAfter);
    }
    EXPECT_EQ(readFile(keyBindings()), c.keyBindingsAfter);
    // No file a save wrote is left; the tracks stay unless asked for.
    std::map<std::string, std::string> left = test::treeContents(mod);
    left.erase("userconfig.cfg");
    left.erase(test::utf8(fs::path("gfx/shell/kb_act.lst").make_preferred()));
    EXPECT_EQ(left.count("mp3s"), 1u);
    for (const char* copy : {"Intro.mp3", "HelloWorld.mp3", "TrackTwo.mp3"}) {
      left.erase(test::utf8(fs::path("mp3s") / copy));
    }
    EXPECT_EQ(left, (std::map<std::string, std::string>{
                        {"config.cfg", "player's own\r\n"},
                        {"gfx", "<folder>"},
                        {test::utf8(fs::path("gfx/shell").make_preferred()), "<folder>"},
                        {"mp3s", "<folder>"}}));
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text, "Tunebelt was removed from " + mod + ".");
    if (::testing::Test::HasFailure()) return;
  }
}

// The player's part of kb_act.lst is theirs: a line they add after our
// section stays where they put it through the next save, and the removal
// gives back their list byte for byte with that line, LF line ends and empty
// lines included.
TEST_F(RemovalTest, APlayersLineAfterTheSectionSurvivesASaveAndTheRemoval) {
  for (const std::string original : {"\"blank\"\t\"Movement\"\n\n\"+jump\"\t\"Jump\"\n",
                                     "\"+attack\" \"Fire\"\r\n\r\n\r\n\"+use\" \"Use\"\r\n"}) {
    SCOPED_TRACE(original);
    writeFile(keyBindings(), original);
    save();
    const std::string added = "\"+duck\"\t\"Duck\"\n";
    writeFile(keyBindings(), readFile(keyBindings()) + added);
    save();
    EXPECT_EQ(readFile(keyBindings()).substr(0, original.size() + added.size()), original + added);
    EXPECT_EQ(remove(), RemovalResult::Done);
    EXPECT_EQ(readFile(keyBindings()), original + added);
  }
}

// Once the hook and the section are gone, a save starts as on a fresh
// folder, and removing again finds nothing and changes nothing.
TEST_F(RemovalTest, RemovingTwiceIsRemovingOnceAndASaveAfterItIsAFirstSave) {
  writeFile(userConfig(), "bind x y\r\n");
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  const auto firstSave = test::treeContents(mod);
  EXPECT_EQ(remove(), RemovalResult::Done);
  const auto removed = test::treeContents(mod);
  EXPECT_EQ(remove(), RemovalResult::NothingFound);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kNothingToRemoveMessage);
  EXPECT_EQ(test::treeContents(mod), removed);

  save();
  EXPECT_EQ(test::treeContents(mod), firstSave);
  EXPECT_EQ(remove(true), RemovalResult::Done);
  EXPECT_FALSE(fs::exists(test::fsPath(mod + "/mp3s")));
  EXPECT_EQ(readFile(userConfig()), "bind x y\r\n");
  EXPECT_EQ(remove(true), RemovalResult::NothingFound);
}

TEST_F(RemovalTest, AFolderNoSaveTouchedStaysAsItIs) {
  // Files of the names a save writes, but the player's own.
  writeFile(userConfig(), "exec mp3.cfg 2\r\n");
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  writeFile(mod + "/mp3.cfg", "alias looptrack \"lptrack1\"\r\nmp3 play media/x\r\n");
  writeFile(mod + "/playlist1.cfg", "\r\nalias track1 \"mp3 play mp3s/a.mp3\"\r\n");
  writeFile(mod + "/tracklist.cfg", "echo \"my list\"\r\n");
  const auto before = test::treeContents(mod);
  Journal journal;
  EXPECT_EQ(remove(false, true, &journal), RemovalResult::NothingFound);
  EXPECT_EQ(remove(false, false, &journal), RemovalResult::NothingFound);
  EXPECT_TRUE(journal.empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kNothingToRemoveMessage);
  EXPECT_EQ(test::treeContents(mod), before);
}

// The chain is followed while its files are a save's: a player's file in
// the middle stops it, and the rest of an earlier, longer save goes too.
TEST_F(RemovalTest, ThePlaylistChainIsFollowedOnlyThroughASavesFiles) {
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  for (int i = 3; i < 1400; ++i) {
    state.PlaylistPaths.push_back(state.PlaylistPaths[0]);
    state.PlaylistNames.push_back("Song number " + std::to_string(i) + ".mp3");
  }
  state.PlaylistPaths.resize(900);
  state.PlaylistNames.resize(900);
  save();
  ASSERT_TRUE(fs::exists(test::fsPath(mod + "/playlist80.cfg")));
  ASSERT_TRUE(fs::exists(test::fsPath(mod + "/tracklist3.cfg")));
  state.PlaylistPaths.resize(3);
  state.PlaylistNames.resize(3);
  save();  // playlist2.cfg onward are left from the longer playlist
  writeFile(mod + "/tracklist2.cfg", "echo \"2. mine\"\r\nquit\r\n");
  EXPECT_EQ(remove(), RemovalResult::Done);
  std::vector<std::string> left;
  for (auto& e : fs::directory_iterator(test::fsPath(mod))) {
    if (e.is_regular_file()) left.push_back(test::utf8(e.path().filename()));
  }
  std::sort(left.begin(), left.end());
  // tracklist3.cfg onward are not reached past the player's tracklist2.cfg.
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(left[0], "tracklist2.cfg");
  for (const std::string& name : left) EXPECT_EQ(name.rfind("tracklist", 0), 0u) << name;
  EXPECT_EQ(readFile(mod + "/tracklist2.cfg"), "echo \"2. mine\"\r\nquit\r\n");
}

// A dry run writes nothing and names exactly what the removal then does.
TEST_F(RemovalTest, ADryRunNamesWhatTheRemovalDoes) {
  writeFile(userConfig(), "bind x y\r\n");
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  const auto saved = test::treeContents(mod);
  Journal planned, done;
  EXPECT_EQ(remove(true, true, &planned), RemovalResult::Done);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(test::treeContents(mod), saved);
  EXPECT_EQ(remove(true, false, &done), RemovalResult::Done);
  EXPECT_EQ(planned, done);
  const ModLayout layout(mod);
  EXPECT_EQ(Done(done), (Changes{{Action::Rewrite, userConfig()},
                                 {Action::Rewrite, keyBindings()},
                                 {Action::Delete, layout.controlScript()},
                                 {Action::Delete, layout.playlistFile(1)},
                                 {Action::Delete, layout.trackListFile(1)},
                                 {Action::DeleteFolder, layout.tracks()}}));
}

// A file that cannot be rewritten stops the removal before anything after
// it, naming the file; nothing is lost.
TEST_F(RemovalTest, AFailureIsToldWithTheFileAndStopsTheRest) {
  writeFile(userConfig(), "bind x y\r\n");
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  ASSERT_TRUE(test::setReadOnly(userConfig(), true));
  const auto saved = test::treeContents(mod);
  EXPECT_EQ(remove(), RemovalResult::Failed);
  test::setReadOnly(userConfig(), false);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("Remove stopped: " + userConfig() + ": ", 0), 0u)
      << host.messages[0].text;
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(test::treeContents(mod), saved);

  std::string missing = dir / "none";
  EXPECT_EQ(RemoveFromModFolder(state, missing, {}, host), RemovalResult::Refused);
  EXPECT_EQ(host.messages.back().text,
            "Mod Folder can not be found, please check that the path is correct");
}

// The window's command asks first: No changes nothing; Yes takes the save
// back, and the check box decides about mp3s.
TEST_F(RemovalTest, TheQuestionNamesTheFolderAndItsCheckBoxTheTracks) {
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  const auto saved = test::treeContents(mod);
  std::string text = mod + "/";
  EXPECT_EQ(AskAndRemoveFromModFolder(state, text, '.', host), RemovalResult::Cancelled);
  EXPECT_EQ(text, mod);
  ASSERT_EQ(host.checkBoxes, std::vector<std::string>{std::string(kRemoveTracksCheckBox)});
  EXPECT_EQ(host.messages.back().text, RemovalQuestion(mod));
  EXPECT_NE(RemovalQuestion(mod).find("\n" + mod + "?"), std::string::npos);
  EXPECT_EQ(test::treeContents(mod), saved);

  host.answers = {true};
  EXPECT_EQ(AskAndRemoveFromModFolder(state, text, '.', host), RemovalResult::Done);
  EXPECT_FALSE(fs::exists(test::fsPath(mod + "/mp3.cfg")));
  EXPECT_TRUE(fs::exists(test::fsPath(mod + "/mp3s")));
  save();
  host.answers = {true};
  host.checks = {true};
  EXPECT_EQ(AskAndRemoveFromModFolder(state, text, '.', host), RemovalResult::Done);
  EXPECT_FALSE(fs::exists(test::fsPath(mod + "/mp3s")));
  EXPECT_EQ(host.cacheLabel, "Current mp3 cache size: <no mp3 folder>");

  std::string empty;
  EXPECT_EQ(AskAndRemoveFromModFolder(state, empty, '.', host), RemovalResult::Refused);
  EXPECT_EQ(host.messages.back().text, "Please Enter a Mod Folder");
}

#ifndef _WIN32  // links to files need a privilege on Windows
// The player's own files may be links into a folder of their own configs:
// each stays a link, and the file it points to loses what a save added.
TEST_F(RemovalTest, LinksAtThePlayersFilesStayLinks) {
  const std::string configs = dir / "player";
  writeFile(configs + "/userconfig.cfg", "");  // the save's hook will be all it holds
  writeFile(configs + "/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
  fs::create_directories(mod + "/gfx/shell");
  fs::create_symlink(configs + "/userconfig.cfg", userConfig());
  fs::create_symlink(configs + "/kb_act.lst", keyBindings());
  save();
  ASSERT_EQ(readFile(configs + "/userconfig.cfg"), "exec mp3.cfg\r\n");

  Journal journal;
  EXPECT_EQ(remove(false, false, &journal), RemovalResult::Done);
  EXPECT_TRUE(fs::is_symlink(userConfig()));
  EXPECT_TRUE(fs::is_symlink(keyBindings()));
  EXPECT_EQ(readFile(configs + "/userconfig.cfg"), "");
  EXPECT_EQ(readFile(configs + "/kb_act.lst"), "\"+attack\" \"Fire\"\r\n");
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(Done(journal)[0], (Change{Action::Rewrite, userConfig()}));
  EXPECT_EQ(Done(journal)[1], (Change{Action::Rewrite, keyBindings()}));
}
#endif

// The temporary files a killed save left are the save's too: the removal
// takes them (and names them), and nothing else of such a name.
TEST_F(RemovalTest, TheLeftoversOfAKilledSaveGoToo) {
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  const ModLayout layout(mod);
  const std::vector<std::string> leftovers = {layout.folder() + kSep + ".tunebelt-mp3.cfg-12.tmp",
                                              layout.shell() + kSep + ".tunebelt-kb_act.lst-3.tmp",
                                              layout.tracks() + kSep + ".tunebelt-Intro.mp3-4.tmp"};
  for (const std::string& path : leftovers) writeFile(path, "half");
  writeFile(layout.tracks() + kSep + ".tunebelt-notes.txt", "the player's");
  fs::create_directories(test::fsPath(layout.folder() + kSep + ".tunebelt-dir.tmp"));

  Journal planned, done;
  EXPECT_EQ(remove(false, true, &planned), RemovalResult::Done);
  for (const std::string& path : leftovers) EXPECT_TRUE(fs::exists(test::fsPath(path))) << path;
  EXPECT_EQ(remove(false, false, &done), RemovalResult::Done);
  EXPECT_EQ(planned, done);
  for (const std::string& path : leftovers) {
    EXPECT_FALSE(fs::exists(test::fsPath(path))) << path;
    const Changes changes = Done(done);
    EXPECT_NE(std::find(changes.begin(), changes.end(), Change{Action::Delete, path}),
              changes.end())
        << path;
  }
  EXPECT_EQ(readFile(layout.tracks() + kSep + ".tunebelt-notes.txt"), "the player's");
  EXPECT_TRUE(fs::is_directory(test::fsPath(layout.folder() + kSep + ".tunebelt-dir.tmp")));
  EXPECT_TRUE(fs::exists(test::fsPath(layout.tracks() + kSep + "Intro.mp3")));
}

#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows
// A clean-up of mp3s that leaves something is a failed removal, and the
// journal (what the terminal prints) has no line that says mp3s went.
TEST_F(RemovalTest, AnMp3sThatCouldNotGoIsNotReportedGone) {
  writeFile(keyBindings(), "\"+attack\" \"Fire\"\r\n");
  save();
  const ModLayout layout(mod);
  ASSERT_EQ(::chmod(layout.tracks().c_str(), 0555), 0);
  Journal journal;
  EXPECT_EQ(remove(true, false, &journal), RemovalResult::Failed);
  ::chmod(layout.tracks().c_str(), 0755);
  EXPECT_EQ(Done(journal), (Changes{{Action::Delete, userConfig()},
                                    {Action::Rewrite, keyBindings()},
                                    {Action::Delete, layout.controlScript()},
                                    {Action::Delete, layout.playlistFile(1)},
                                    {Action::Delete, layout.trackListFile(1)}}));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("3 items could not be deleted:\n", 0), 0u)
      << host.messages[0].text;
  EXPECT_TRUE(fs::exists(layout.tracks() + "/Intro.mp3"));
}
#endif

// What a save writes is recognised whatever the volumes and names; a file
// changed by hand is not.
TEST(SaveFormats, RecognisesOnlyWhatASaveWrites) {
  for (int v : {0, 5, 80, 81, 100}) {
    EXPECT_TRUE(IsControlScript(BuildControlScript(static_cast<std::int16_t>(v), 40) + "\r\n"));
  }
  const std::string script = BuildControlScript(80, 80) + "\r\n";
  EXPECT_FALSE(IsControlScript(script + "quit\r\n"));
  EXPECT_FALSE(IsControlScript("vol80\r\n"));
  std::string changed = script;
  changed.replace(changed.find("vol80\r\n"), 5, "volx");
  EXPECT_FALSE(IsControlScript(changed));

  ProgramState state;
  for (int i = 1; i <= 900; ++i) {
    state.PlaylistPaths.push_back("/m/" + std::to_string(i) + ".mp3");
    state.PlaylistNames.push_back("Name, \"quoted\"; {" + std::to_string(i) + "}.mp3");
  }
  const std::vector<ScriptTrack> tracks =
      PlanSave(state, ModLayout("/games/cstrike"), {}, {}).scriptTracks;
  const auto playlists = BuildPlaylistScripts(tracks);
  const auto lists = BuildTrackList(tracks);
  ASSERT_GT(playlists.size(), 2u);
  ASSERT_GT(lists.size(), 1u);
  for (std::size_t k = 1; k <= playlists.size(); ++k) {
    EXPECT_TRUE(IsPlaylistScript(playlists[k - 1], k)) << k;
    EXPECT_FALSE(IsPlaylistScript(playlists[k - 1] + "quit\r\n", k)) << k;
  }
  for (std::size_t k = 1; k <= lists.size(); ++k) {
    EXPECT_TRUE(IsTrackList(lists[k - 1], k)) << k;
    EXPECT_FALSE(IsTrackList(lists[k - 1] + "quit\r\n", k)) << k;
  }
  // A link to another number than the next file's is no save's.
  EXPECT_FALSE(IsPlaylistScript(playlists[0], 2));
  EXPECT_FALSE(IsTrackList(lists[0], 2));
  std::string skipped = playlists[0];
  skipped.replace(skipped.find("alias track2 "), 13, "alias track3 ");
  EXPECT_FALSE(IsPlaylistScript(skipped, 1));
  EXPECT_FALSE(IsTrackList("echo \"1. a\" ; quit\r\n", 1));
  EXPECT_FALSE(IsTrackList("echo \"1. a\"\r\necho \"3. b\"\r\n", 1));
  EXPECT_FALSE(IsPlaylistScript("", 1));
  EXPECT_FALSE(IsTrackList("", 1));
}

}  // namespace
}  // namespace tunebelt
