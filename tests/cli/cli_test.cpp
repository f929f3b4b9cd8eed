// The terminal front end, run as the built binary on temporary mod folders,
// and in-process for its argument handling.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "core/audio/probe.h"
#include "platform/folderlock.h"
#include "platform/fs.h"
#include "process_util.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// The built binary, as a full path taken before any test changes folders.
const std::string kCli = test::utf8(fs::absolute(test::fsPath(TUNEBELT_CLI_BINARY)));
#ifdef _WIN32
const std::string kExe = ".exe";
#else
const std::string kExe;
#endif
// The separator the program puts into the paths it builds and the scripts.
const std::string kSep(1, platform::kSep);

Outcome runBinary(const std::string& binary, const std::vector<std::string>& args,
                  const TempDir& scratch, const std::string& cwd = {}) {
  std::string out = scratch / "stdout.txt", err = scratch / "stderr.txt";
  Outcome r;
  r.status = test::Child(binary, args, out, err, cwd).wait();
  r.out = readFile(out);
  r.err = readFile(err);
  return r;
}

// path -> (size, modification time) of everything below a folder.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(
    const fs::path& root) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> out;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    out[test::utf8(e.path())] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
  }
  return out;
}

class CliBinary : public ::testing::Test {
 protected:
  void SetUp() override {
    mod = work / "hl/cstrike";
    writeFile(mod + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
    writeFile(work / "music/Intro.mp3", test::playableMp3("intro bytes"));
    writeFile(work / "music/Two Words.mp3", test::playableMp3("two words bytes"));
    writeFile(work / "music/Finale!.mp3", test::playableMp3("finale bytes"));
    tracks = {work / "music/Intro.mp3", work / "music/Two Words.mp3", work / "music/Finale!.mp3"};
  }
  Outcome cli(std::vector<std::string> args) { return runBinary(kCli, args, scratch); }
  Outcome save(std::vector<std::string> extra, const std::vector<std::string>& items) {
    std::vector<std::string> args = {"save", "--mod",         mod, "--mp3-volume",
                                     "80",   "--game-volume", "80"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), items.begin(), items.end());
    return cli(args);
  }

  TempDir work;
  TempDir scratch;
  std::string mod;
  std::vector<std::string> tracks;
};

TEST_F(CliBinary, SavesAThreeTrackPlaylist) {
  Outcome r = save({}, tracks);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(mod + "/userconfig.cfg"), "exec mp3.cfg\r\n");
  EXPECT_EQ(readFile(mod + "/mp3s/Intro.mp3"), test::playableMp3("intro bytes"));
  EXPECT_EQ(readFile(mod + "/mp3s/TwoWords.mp3"), test::playableMp3("two words bytes"));
  EXPECT_EQ(readFile(mod + "/mp3s/Finale.mp3"), test::playableMp3("finale bytes"));

  std::string pl = readFile(mod + "/playlist1.cfg");
  EXPECT_TRUE(pl.starts_with("\r\nalias track1 "));
  EXPECT_NE(pl.find("alias track2 \"mp3 play mp3s" + kSep +
                    "TwoWords.mp3; alias nexttracks nexttrack2; alias prevtrack prevtrack2; "
                    "alias playtrack track2; alias looptrack lptrack2; alias saytrack saytrack2; "
                    "alias tsaytrack tsaytrack2\"\r\n"),
            std::string::npos);
  EXPECT_NE(pl.find("alias saytrack2 \"say listening to Two Words.mp3 with Tunebelt\"\r\n"),
            std::string::npos);
  EXPECT_TRUE(pl.ends_with("with Tunebelt;\"\r\n"));
  EXPECT_FALSE(fs::exists(mod + "/playlist2.cfg"));

  auto cfg = test::readFile(mod + "/mp3.cfg");
  EXPECT_TRUE(cfg.starts_with("alias looptrack \"lptrack1\"\r\nalias playtrack"));
  EXPECT_NE(cfg.find("\r\nvol80\r\ngvol80\r\n"), std::string::npos);
  EXPECT_TRUE(cfg.ends_with("\r\n\r\necho Tunebelt Script Loaded\r\n"));

  std::string kb = readFile(mod + "/gfx/shell/kb_act.lst");
  EXPECT_TRUE(kb.starts_with("\"+attack\"            \"Fire\"\r\n\"blank\""));
  EXPECT_TRUE(kb.ends_with("\"gvoldown\"            \"Game Volume Down\"\r\n"));
  EXPECT_NE(r.err.find("Complete"), std::string::npos);
}

TEST_F(CliBinary, RefusedSavesWriteNothing) {
  auto before = snapshot(work.path());
  Outcome empty = cli({"save", "--mod", mod, work / "music/notes.txt"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("Tunebelt - Error: No items in playlist"), std::string::npos);
  EXPECT_NE(empty.err.find("skipped"), std::string::npos);

  EXPECT_EQ(snapshot(work.path()), before);

  Outcome missing = cli({"save", "--mod", work / "hl/none", tracks[0]});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Tunebelt: Mod Folder can not be found"), std::string::npos);
  EXPECT_EQ(snapshot(work.path()), before);

  fs::create_directories(work / "hl/valve");
  before = snapshot(work.path());
  Outcome nokb = cli({"save", "--mod", work / "hl/valve", tracks[0]});
  EXPECT_EQ(nokb.status, 1);
  EXPECT_NE(nokb.err.find("kb_act.lst could not be found"), std::string::npos);

  Outcome nomod = cli({"save", "--mod", "", tracks[0]});
  EXPECT_EQ(nomod.status, 1);
  EXPECT_NE(nomod.err.find("Tunebelt: Please Enter a Mod Folder"), std::string::npos);

  writeFile(work / "lists/plain.m3u", "a.mp3\r\n");
  Outcome plain = cli({"save", "--mod", mod, tracks[0], work / "lists/plain.m3u"});
  EXPECT_EQ(plain.status, 1);
  EXPECT_NE(plain.err.find("This is not a valid extented M3U playlist"), std::string::npos);
  fs::remove_all(work / "lists");
  EXPECT_EQ(snapshot(work.path()), before);
}

// An item ending in ".MP3" is a track like any other; its copy ends in
// ".mp3".
TEST_F(CliBinary, AnUpperCaseMp3IsATrack) {
  writeFile(work / "music/LOUD.MP3", test::playableMp3("loud bytes"));
  Outcome r = save({}, {work / "music/LOUD.MP3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("skipped"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(mod + "/mp3s/LOUD.mp3"), test::playableMp3("loud bytes"));
  EXPECT_NE(readFile(mod + "/tracklist.cfg").find("1. LOUD.MP3"), std::string::npos);
}

TEST_F(CliBinary, TrailingSeparatorIsTrimmed) {
  Outcome r = cli({"save", "--mod", mod + "/", tracks[0]});
  ASSERT_EQ(r.status, 0) << r.err;
  // Untrimmed, the text would name no folder and the save would be refused.
  EXPECT_TRUE(fs::exists(mod + "/mp3s/Intro.mp3"));
}

TEST_F(CliBinary, DeleteUnusedDecidesWhetherStrayTracksStay) {
  writeFile(mod + "/mp3s/stray.mp3", "old");
  ASSERT_EQ(save({}, tracks).status, 0);
  EXPECT_TRUE(fs::exists(mod + "/mp3s/stray.mp3"));
  ASSERT_EQ(save({"--delete-unused"}, tracks).status, 0);
  EXPECT_FALSE(fs::exists(mod + "/mp3s/stray.mp3"));
  EXPECT_TRUE(fs::exists(mod + "/mp3s/Finale.mp3"));
}

// Two files of one cleaned name get a copy each, one file listed twice one
// copy; a second save copies nothing (each copy is the same file as before,
// with the same time).
TEST_F(CliBinary, OneCopyPerFileAndASecondSaveCopiesNothing) {
  writeFile(work / "other/Two-Words.mp3", test::playableMp3("another file"));
  const std::vector<std::string> items = {tracks[1], work / "other/Two-Words.mp3", tracks[1]};
  ASSERT_EQ(save({}, items).status, 0);
  EXPECT_EQ(
      test::treeContents(mod + "/mp3s"),
      (std::map<std::string, std::string>{{"TwoWords.mp3", test::playableMp3("two words bytes")},
                                          {"TwoWords_2.mp3", test::playableMp3("another file")}}));
  const auto identities = [&] {
    std::map<std::string, std::uint64_t> out;
    for (auto& e : fs::directory_iterator(mod + "/mp3s")) {
      out[test::utf8(e.path())] = test::fileIdentity(test::utf8(e.path()));
    }
    return out;
  };
  const auto before = snapshot(mod + "/mp3s");
  const auto files = identities();
  ASSERT_EQ(save({}, items).status, 0);
  EXPECT_EQ(snapshot(mod + "/mp3s"), before);
  EXPECT_EQ(identities(), files);
}

// The preview names what the save then does, with the sizes it writes; it
// writes nothing (bytes and times), and does not wait for a save that holds
// the folder.
TEST_F(CliBinary, SaveDryRunPrintsThePlanAndWritesNothing) {
  writeFile(work / "other/Two-Words.mp3", test::playableMp3("another file"));
  // Two files of one cleaned name, and the first of them listed again.
  const std::vector<std::string> items = {tracks[0], tracks[1], work / "other/Two-Words.mp3",
                                          tracks[1]};
  const std::string p = mod + kSep;
  const std::string kb = p + "gfx" + kSep + "shell" + kSep + "kb_act.lst";
  const auto before = snapshot(work.path());
  const auto bytesBefore = test::treeContents(work.str());
  Outcome first;
  {
    platform::FolderLock held(mod);
    ASSERT_TRUE(held.tryLock());
    const auto start = std::chrono::steady_clock::now();
    first = save({"--dry-run"}, items);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  }
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(snapshot(work.path()), before);
  EXPECT_EQ(test::treeContents(work.str()), bytesBefore);

  const Outcome saved = save({}, items);
  ASSERT_EQ(saved.status, 0);
  const auto size = [](const std::string& path) {
    return std::to_string(fs::file_size(test::fsPath(path))) + " bytes";
  };
  const std::string tracksIn = p + "mp3s" + kSep;
  EXPECT_EQ(first.out, "create\t" + p + "userconfig.cfg\t" + size(p + "userconfig.cfg") + "\n" +
                           "replace\t" + kb + "\t" + size(kb) + "\n" + "create\t" + p +
                           "playlist1.cfg\t" + size(p + "playlist1.cfg") + "\n" + "create\t" + p +
                           "mp3.cfg\t" + size(p + "mp3.cfg") + "\n" + "create\t" + p +
                           "tracklist.cfg\t" + size(p + "tracklist.cfg") + "\n" + "make-folder\t" +
                           p + "mp3s\n" + "copy\t" + items[0] + "\t" + tracksIn + "Intro.mp3\t" +
                           size(items[0]) + "\n" + "copy\t" + items[1] + "\t" + tracksIn +
                           "TwoWords.mp3\t" + size(items[1]) + "\n" + "copy\t" + items[2] + "\t" +
                           tracksIn + "TwoWords_2.mp3\t" + size(items[2]) + "\n");
  // The save prints what it did in the same words: what the dry run said.
  EXPECT_EQ(saved.out, first.out);

  // After the save: all there; with the clean-up nothing is left to keep.
  Outcome again = save({"--dry-run"}, items);
  EXPECT_EQ(again.out.find("create"), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("replace"), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("\ncopy"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("unchanged\t" + p + "userconfig.cfg\t14 bytes\n"), std::string::npos);
  EXPECT_NE(again.out.find("already-there\t" + items[2]), std::string::npos) << again.out;
  Outcome clean = save({"--dry-run", "--delete-unused"}, items);
  EXPECT_EQ(clean.out.rfind("clean-up\t" + p + "mp3s\t3 files\t1286 bytes\n", 0), 0u) << clean.out;
  // mp3s is emptied, not made again; every track is copied anew.
  EXPECT_EQ(clean.out.find("make-folder"), std::string::npos) << clean.out;
  EXPECT_NE(clean.out.find("\ncopy\t" + items[0]), std::string::npos) << clean.out;
  EXPECT_EQ(clean.out.find("already-there"), std::string::npos) << clean.out;

  // The save's checks and messages.
  Outcome refused = cli({"save", "--dry-run", "--mod", work / "none", tracks[0]});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err,
            "Tunebelt: Mod Folder can not be found, please check that the path is correct\n");
}

TEST_F(CliBinary, FileFailuresExitOneNameTheFileAndLeaveNoHalfFile) {
  fs::create_directories(mod + "/mp3s");
#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows
  ::chmod((mod + "/mp3s").c_str(), 0555);
  Outcome ro = save({}, tracks);
  ::chmod((mod + "/mp3s").c_str(), 0755);
  EXPECT_EQ(ro.status, 1);
  EXPECT_NE(ro.err.find("Tunebelt - Error: 3 copies could not be made, so the keys of their "
                        "tracks play nothing in the game:\ntrack 1: " +
                        tracks[0] + " to " + mod + "/mp3s: Permission denied\n"),
            std::string::npos)
      << ro.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(mod + "/mp3s"), {}), 0);
#endif

  fs::remove(tracks[2]);
  // A track that cannot be read is left out, said, and the status is 1; the
  // dry run says so too.
  Outcome preview = save({"--dry-run"}, tracks);
  EXPECT_EQ(preview.status, 1);
  EXPECT_NE(preview.out.find("left-out\t" + tracks[2] + "\tNo such file or directory\n"),
            std::string::npos)
      << preview.out;
  EXPECT_NE(preview.err.find("Tunebelt - Error: 1 track was left out:\n" + tracks[2]),
            std::string::npos)
      << preview.err;
  Outcome gone = save({}, tracks);
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("1 track was left out:\n" + tracks[2]), std::string::npos) << gone.err;
  EXPECT_EQ(gone.err.find("Complete"), std::string::npos);
  for (auto& e : fs::recursive_directory_iterator(work.path())) {
    EXPECT_EQ(e.path().filename().string().find(".tunebelt-"), std::string::npos) << e.path();
  }
}

TEST_F(CliBinary, TwoSavesIntoOneModFolderAtOnceBothSucceed) {
  // Two players' worth of tracks, saved at the same moment into one folder,
  // one of them emptying mp3s first: the saves take turns.
  std::vector<std::string> first, second;
  for (int i = 0; i < 40; ++i) {
    first.push_back(work / ("a/First " + std::to_string(i) + ".mp3"));
    writeFile(first.back(), test::playableMp3(std::string(20000, static_cast<char>('a' + i % 20))));
    second.push_back(work / ("b/Second " + std::to_string(i) + ".mp3"));
    writeFile(second.back(),
              test::playableMp3(std::string(20000, static_cast<char>('A' + i % 20))));
  }
  auto arguments = [&](const std::vector<std::string>& items, bool deleteUnused) {
    std::vector<std::string> args = {"save", "--mod", mod};
    if (deleteUnused) args.push_back("--delete-unused");
    args.insert(args.end(), items.begin(), items.end());
    return args;
  };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::Child a(kCli, arguments(first, true), scratch / "a.out", scratch / "a.err");
    test::Child b(kCli, arguments(second, false), scratch / "b.out", scratch / "b.err");
    EXPECT_EQ(a.wait(), 0) << readFile(scratch / "a.err");
    EXPECT_EQ(b.wait(), 0) << readFile(scratch / "b.err");
    // Whichever came last, its playlist plays tracks that are all there.
    std::string playlist = readFile(mod + "/playlist1.cfg");
    for (const auto& e : fs::recursive_directory_iterator(mod)) {
      EXPECT_EQ(e.path().filename().string().find(".tunebelt-"), std::string::npos) << e.path();
    }
    std::size_t at = 0;
    while ((at = playlist.find("mp3 play mp3s", at)) != std::string::npos) {
      at += 14;
      std::string name = playlist.substr(at, playlist.find(';', at) - at);
      EXPECT_EQ(fs::file_size(test::fsPath(mod + "/mp3s/" + name)), 20416u) << name;
    }
  }
}

TEST_F(CliBinary, NamesWithControlCharactersReachTheTerminalEscaped) {
#ifndef _WIN32  // Windows takes no control characters in names
  std::string evil = work /
                     "music/red\x1b[31m\x9b"
                     "2J\tname\xc2\x9b.mp3";
  writeFile(evil, test::playableMp3("x"));
  Outcome r = cli({"list", evil});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(r.out.find("\xc2\x9b"), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\t'), 1);
  EXPECT_NE(r.out.find("red\\x1b[31m\\x9b2J\\x09name\\u009b.mp3\t"), std::string::npos) << r.out;

  // Text turned around by bidirectional controls, and bytes a lenient
  // decoder would take for an escape (an overlong ESC), a surrogate or a
  // character above U+10FFFF.
  std::string tricky = work /
                       "music/\xe2\x80\xae"
                       "3pm.exe\xe2\x81\xa7\xd8\x9c\xe0\x80\x9b[2J\xed\xa0\x80\xf4\x90\x80\x80.mp3";
  writeFile(tricky, test::playableMp3("x"));
  r = cli({"list", tricky});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\\u202e3pm.exe\\u2067\\u061c\\xe0\\x80\\x9b[2J\\xed\\xa0\\x80\\xf4\\x90"
                       "\\x80\\x80.mp3\t"),
            std::string::npos)
      << r.out;

  // A name holding newlines, in a message of several lines, cannot start a
  // line of its own: no fake success line reaches the terminal.
  const std::string fake = work / "music/x\nTunebelt: Complete, all 2 tracks copied\n.pls";
  fs::create_directories(fake);  // a folder: it cannot be read as a playlist
  r = cli({"list", fake});
  EXPECT_NE(r.err.find("Could not read the playlist " + work / "music" +
                       "/x\\x0aTunebelt: Complete, all 2 tracks copied\\x0a.pls: Is a directory\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("\nTunebelt: Complete"), std::string::npos) << r.err;
#endif
}

TEST_F(CliBinary, ListPrintsNameTabPathInOrder) {
  writeFile(work / "music/list.pls", "[playlist]\r\nFile1=Finale!.mp3\r\nFile2=nothere.mp3\r\n");
  Outcome r = cli({"list", tracks[0], work / "music/list.pls", work / "music/cover.jpg"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Intro.mp3\t" + tracks[0] + "\nFinale!.mp3\t" + work.str() + kSep + "music" +
                       kSep + "Finale!.mp3\n");
  EXPECT_NE(r.err.find("skipped (not a track or playlist): " + work / "music/cover.jpg"),
            std::string::npos);
}

TEST_F(CliBinary, RelativeItemsAreTakenFromTheCurrentFolder) {
  writeFile(work / "music/list.pls", "File1=Finale!.mp3\r\n");
  Outcome r = runBinary(kCli, {"list", "Intro.mp3", "list.pls"}, scratch, work / "music");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string music = work.str() + kSep + "music" + kSep;
  EXPECT_EQ(r.out, "Intro.mp3\t" + music + "Intro.mp3\nFinale!.mp3\t" + music + "Finale!.mp3\n");
}

TEST_F(CliBinary, CacheSizeInBothLanguages) {
  Outcome none = cli({"cache-size", "--mod", mod});
  EXPECT_EQ(none.out, "Current mp3 cache size: <no mp3 folder>\n");
  writeFile(mod + "/mp3s/a.mp3", std::string(1536, 'x'));
  EXPECT_EQ(cli({"cache-size", "--mod", mod}).out, "Current mp3 cache size: 1.5 KB\n");
  EXPECT_EQ(cli({"cache-size", "--mod", mod, "--german"}).out,
            "Str\xC3\xB6mung mp3 Gr\xC3\xB6\xC3\x9F"
            "e cache: 1.5 KB\n");
}

#ifndef _WIN32
// A size that leaves out a folder it could not read is too small: the label
// is printed, the folder named, and the command fails.
TEST_F(CliBinary, ACacheSizeThatCouldNotReadEverythingFails) {
  writeFile(mod + "/mp3s/a.mp3", std::string(1536, 'x'));
  writeFile(mod + "/mp3s/sub/b.mp3", "b");
  std::ostringstream out, err;
  int status = 0;
  {
    test::FewOpenFiles few(1);  // mp3s opens, nothing below it
    status = cli::Run({"cache-size", "--mod", mod},
                      {"/nonexistent", "/nonexistent", "/nonexistent"}, out, err, false);
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.str(), "Current mp3 cache size: 1.5 KB\n");
  EXPECT_EQ(err.str(), "tunebelt-cli: not counted (could not be read): " + mod +
                           "/mp3s/sub: Too many open files\n");
}
#endif

// One track per format, a text file named .mp3 among them: the text file is
// refused by name, the others are saved as levelled MP3s; the dry run shows
// each copy's gain as the save gives it, and a second save makes nothing.
TEST_F(CliBinary, ATrackOfEveryFormatIsSavedAsALevelledMp3) {
  // A private application folder, where the loudness and copy records go.
  fs::create_directories(work / "app");
  const std::string app = work / ("app/tunebelt-cli" + kExe);
  fs::copy_file(test::fsPath(kCli), test::fsPath(app));
  std::vector<std::string> items;
  for (const char* name : {"tone.flac", "noise.ogg", "tone.opus", "tone-aac.m4a", "tone-alac.m4a",
                           "tone.wav", "tone.mp3"}) {
    items.push_back(work / (std::string("music/") + name));
    fs::create_directories(work / "music");
    fs::copy_file(test::fsPath(std::string(TUNEBELT_AUDIO_TESTDATA) + "/" + name),
                  test::fsPath(items.back()));
  }
  writeFile(work / "music/notes.mp3", "not audio");
  items.push_back(work / "music/notes.mp3");
  std::map<std::string, std::string> before;
  for (const std::string& item : items) before[item] = readFile(item);
  const std::vector<std::string> save = {"save", "--mod", mod, "--level"};
  std::vector<std::string> dry = save;
  dry.push_back("--dry-run");
  dry.insert(dry.end(), items.begin(), items.end());
  const Outcome shown = runBinary(app, dry, scratch);
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.err.find("notes.mp3: no MPEG audio frames found"), std::string::npos);
  EXPECT_FALSE(fs::exists(mod + "/mp3s"));
  // Each copy's line ends in its gain; the converted ones say their bit rate.
  const auto copyLines = [](const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      if (line.find("music" + kSep) != std::string::npos) lines.push_back(line);
    }
    return lines;
  };
  const std::vector<std::string> planned = copyLines(shown.out);
  ASSERT_EQ(planned.size(), 7u) << shown.out;
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_TRUE(planned[i].starts_with("convert\t")) << planned[i];
    EXPECT_NE(planned[i].find("\t192 kb/s\t"), std::string::npos) << planned[i];
    EXPECT_TRUE(planned[i].ends_with(" dB")) << planned[i];
  }
  EXPECT_TRUE(planned[6].starts_with("level\t")) << planned[6];
  EXPECT_TRUE(planned[6].ends_with("\t+12.04 dB")) << planned[6];

  std::vector<std::string> real = save;
  real.insert(real.end(), items.begin(), items.end());
  const Outcome done = runBinary(app, real, scratch);
  ASSERT_EQ(done.status, 0) << done.err;
  const std::vector<std::string> made = copyLines(done.out);
  ASSERT_EQ(made.size(), 7u) << done.out;
  for (std::size_t i = 0; i < 7; ++i) {
    // The gains the dry run showed.
    EXPECT_EQ(made[i].substr(made[i].rfind('\t')), planned[i].substr(planned[i].rfind('\t')));
  }
  for (const auto& e : fs::directory_iterator(test::fsPath(mod + "/mp3s"))) {
    const std::string copy = test::utf8(e.path());
    EXPECT_TRUE(copy.ends_with(".mp3")) << copy;
    EXPECT_TRUE(audio::ProbeMp3(copy).playable) << copy;
  }
  for (const std::string& item : items) EXPECT_EQ(readFile(item), before[item]) << item;

  const Outcome again = runBinary(app, real, scratch);
  ASSERT_EQ(again.status, 0) << again.err;
  for (const std::string& line : copyLines(again.out)) {
    EXPECT_TRUE(line.starts_with("already-there\t")) << line;
  }
  EXPECT_TRUE(fs::exists(work / "app/loudness.cache"));
}

TEST_F(CliBinary, VolumesComeFromTheSettingsBesideTheProgram) {
  // A private application folder: the binary and a settings file with 35/60.
  fs::create_directories(work / "app");
  const std::string app = work / ("app/tunebelt-cli" + kExe);
  fs::copy_file(test::fsPath(kCli), test::fsPath(app));
  const std::string settings = test::SettingsBytes().volumes(35, 60).bytes();
  writeFile(work / "app/settings.jst", settings);
  Outcome r = runBinary(app, {"save", "--mod", mod, tracks[0]}, scratch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("\r\nvol35\r\ngvol60\r\n"), std::string::npos);
  EXPECT_EQ(readFile(work / "app/settings.jst"), settings);  // never written

  // A file without the marker holds no volumes: the defaults apply.
  writeFile(work / "app/settings.jst", std::string(3 * 128, '\0'));
  Outcome fresh = runBinary(app, {"save", "--mod", mod, tracks[0]}, scratch);
  ASSERT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("\r\nvol80\r\ngvol80\r\n"), std::string::npos);
  writeFile(work / "app/settings.jst", settings);

  Outcome given = runBinary(app, {"save", "--mod", mod, "--game-volume", "0", tracks[0]}, scratch);
  ASSERT_EQ(given.status, 0);
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("\r\nvol35\r\ngvol0\r\n"), std::string::npos);
}

#ifndef _WIN32  // the XDG layout; on Windows appfolders_test covers %APPDATA%
TEST_F(CliBinary, InstalledAndReadOnlyCopiesReadTheSettingsTheWindowKeepsInTheConfigFolder) {
  test::EnvGuard env;
  env.set("XDG_CONFIG_HOME", work / "config");
  auto volumes = [](std::int16_t mp3, std::int16_t game) {
    return test::SettingsBytes().volumes(mp3, game).bytes();
  };
  const std::string settings = volumes(35, 60);
  writeFile(work / "config/tunebelt/settings.jst", settings);

  // Installed: usr/bin can be written (as root), the data is in usr/share;
  // a stray settings file in usr/bin is not the program's.
  fs::create_directories(work / "usr/bin");
  fs::copy_file(TUNEBELT_CLI_BINARY, work / "usr/bin/tunebelt-cli");
  fs::create_directories(work / "usr/share/tunebelt/kb_act");
  writeFile(work / "usr/bin/settings.jst", volumes(10, 10));
  Outcome r = runBinary(work / "usr/bin/tunebelt-cli", {"save", "--mod", mod, tracks[0]}, scratch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("\r\nvol35\r\ngvol60\r\n"), std::string::npos);

  // A read-only application folder: the same file.
  fs::create_directories(work / "ro");
  fs::copy_file(TUNEBELT_CLI_BINARY, work / "ro/tunebelt-cli");
  writeFile(work / "ro/settings.jst", volumes(10, 10));
  ::chmod((work / "ro").c_str(), 0555);
  r = runBinary(work / "ro/tunebelt-cli", {"save", "--mod", mod, tracks[1]}, scratch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(mod + "/mp3.cfg").find("\r\nvol35\r\ngvol60\r\n"), std::string::npos);
  EXPECT_EQ(readFile(work / "config/tunebelt/settings.jst"), settings);  // only read
}
#endif

#ifdef _WIN32
// What the game reads on Windows: "mp3s\\" paths, CR LF, and the text in the
// ANSI code page.
TEST_F(CliBinary, WindowsGameFilesAreTheDesignsBytes) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << ::GetACP();
  ASSERT_EQ(save({}, tracks).status, 0);
  EXPECT_EQ(
      readFile(mod + "/playlist1.cfg"),
      "\r\n" +
          test::crlf({
              "alias track1 \"mp3 play mp3s\\Intro.mp3; alias nexttracks nexttrack1; alias "
              "prevtrack prevtrack1; alias playtrack track1; alias looptrack lptrack1; alias "
              "saytrack saytrack1; alias tsaytrack tsaytrack1\"",
              "alias lptrack1 \"mp3 loop mp3s\\Intro.mp3; alias nexttracks nexttrack1; alias "
              "prevtrack prevtrack1\"",
              "alias nexttrack1 \"alias looptrack lptrack2; alias playtrack track2; alias saytrack "
              "saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: next track; playtrack;\"",
              "alias prevtrack1 \"alias looptrack lptrack3; alias playtrack track3; playtrack; "
              "alias saytrack saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: previous "
              "track;\"",
              "alias saytrack1 \"say listening to Intro.mp3 with Tunebelt\"",
              "alias tsaytrack1 \"say_team listening to Intro.mp3 with Tunebelt;\"",
              "alias track2 \"mp3 play mp3s\\TwoWords.mp3; alias nexttracks nexttrack2; alias "
              "prevtrack prevtrack2; alias playtrack track2; alias looptrack lptrack2; alias "
              "saytrack saytrack2; alias tsaytrack tsaytrack2\"",
              "alias lptrack2 \"mp3 loop mp3s\\TwoWords.mp3; alias nexttracks nexttrack2; alias "
              "prevtrack prevtrack2\"",
              "alias nexttrack2 \"alias looptrack lptrack3; alias playtrack track3; alias saytrack "
              "saytrack3; alias tsaytrack tsaytrack3; echo Tunebelt: next track; playtrack;\"",
              "alias prevtrack2 \"alias looptrack lptrack1; alias playtrack track1; playtrack; "
              "alias saytrack saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: previous "
              "track;\"",
              "alias saytrack2 \"say listening to Two Words.mp3 with Tunebelt\"",
              "alias tsaytrack2 \"say_team listening to Two Words.mp3 with Tunebelt;\"",
              "alias track3 \"mp3 play mp3s\\Finale.mp3; alias nexttracks nexttrack3; alias "
              "prevtrack prevtrack3; alias playtrack track3; alias looptrack lptrack3; alias "
              "saytrack saytrack3; alias tsaytrack tsaytrack3\"",
              "alias lptrack3 \"mp3 loop mp3s\\Finale.mp3; alias nexttracks nexttrack3; alias "
              "prevtrack prevtrack3\"",
              "alias nexttrack3 \"alias looptrack lptrack1; alias playtrack track1; alias saytrack "
              "saytrack1; alias tsaytrack tsaytrack1; echo Tunebelt: next track; playtrack;\"",
              "alias prevtrack3 \"alias looptrack lptrack2; alias playtrack track2; playtrack; "
              "alias saytrack saytrack2; alias tsaytrack tsaytrack2; echo Tunebelt: previous "
              "track;\"",
              "alias saytrack3 \"say listening to Finale!.mp3 with Tunebelt\"",
              "alias tsaytrack3 \"say_team listening to Finale!.mp3 with Tunebelt;\"",
          }));

  writeFile(work / "music/Caf\xC3\xA9.mp3", test::playableMp3("cafe"));
  // Three letters of code page 1252 and two it does not have.
  writeFile(work / "music/\xC3\x86r\xC3\xB8 \xE6\x97\xA5\xE6\x9C\xAC.mp3",
            test::playableMp3("aero"));
  Outcome r = save({}, {work / "music/Caf\xC3\xA9.mp3",
                        work / "music/\xC3\x86r\xC3\xB8 \xE6\x97\xA5\xE6\x9C\xAC.mp3"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string pl = readFile(mod + "/playlist1.cfg");
  EXPECT_NE(pl.find("alias track1 \"mp3 play mp3s\\Caf\xE9.mp3;"), std::string::npos) << pl;
  EXPECT_NE(pl.find("alias saytrack1 \"say listening to Caf\xE9.mp3 with Tunebelt\"\r\n"),
            std::string::npos);
  // The copy's name keeps only what the game can name; the chat line shows
  // the rest as "?".
  EXPECT_NE(pl.find("alias track2 \"mp3 play mp3s\\\xC6r\xF8.mp3;"), std::string::npos) << pl;
  EXPECT_NE(pl.find("say listening to \xC6r\xF8 ??.mp3 with Tunebelt\""), std::string::npos);
  EXPECT_EQ(readFile(mod + "/mp3s/Caf\xC3\xA9.mp3"), test::playableMp3("cafe"));
  EXPECT_EQ(readFile(mod + "/mp3s/\xC3\x86r\xC3\xB8.mp3"), test::playableMp3("aero"));
}
#endif

TEST_F(CliBinary, ModsListsTheGamesOfTheSteamLibrariesInTheHomeFolder) {
  test::EnvGuard env;
  env.set("HOME", work / "home");
  const std::string root = work / "home/.local/share/Steam";
#ifdef _WIN32
  // Windows finds Steam through the path its registry value names.
  test::RegistryValueGuard steamPath(L"Software\\Valve\\Steam", L"SteamPath",
                                     test::fsPath(root).wstring());
#endif
  Outcome none = cli({"mods"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no Half-Life mod folder found"), std::string::npos) << none.err;

  const std::string common = root + "/steamapps/common/Half-Life";
  writeFile(common + "/cstrike/liblist.gam", "game \"Counter-Strike\"\r\n");
  writeFile(common + "/cstrike/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
  writeFile(common + "/odd/liblist.gam", "game \"Tab\tand \x1b[31m\"\r\n");
  std::string lib = work / "lib";
  for (std::size_t at = 0; (at = lib.find('\\', at)) != std::string::npos; at += 2) {
    lib.insert(at, 1, '\\');  // as a .vdf file writes it
  }
  writeFile(root + "/steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"1\" \"" + lib + "\" }");
  writeFile(work / "lib/steamapps/common/Half-Life/dod/liblist.gam", "gamedll \"dod.so\"\r\n");
  writeFile(root + "/config/libraryfolders.vdf", "\"libraryfolders\" {");
  auto real = [](const std::string& path) { return fs::canonical(test::fsPath(path)).string(); };

  Outcome r = cli({"mods"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Counter-Strike\t" + real(common + "/cstrike") + "\tkb_act.lst\n" +
                       "Tab\\x09and \\x1b[31m\t" + real(common + "/odd") + "\tno kb_act.lst\n" +
                       "dod\t" + real(work / "lib/steamapps/common/Half-Life/dod") +
                       "\tno kb_act.lst\n");
  EXPECT_EQ(r.err, "tunebelt-cli: left out: " + real(root + "/config/libraryfolders.vdf") +
                       ": damaged at line 1 (a block is not closed), no library taken from it\n");
}

#ifdef _WIN32
// The help speaks of the places a Windows program has: the settings in
// %APPDATA%, Steam found through the registry.
TEST_F(CliBinary, HelpNamesTheWindowsPlaces) {
  Outcome r = cli({"--help"});
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("%APPDATA%\\Tunebelt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("HKCU\\Software\\Valve\\Steam"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("gfx\\shell\\kb_act.lst"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("~/.config"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("home folder"), std::string::npos) << r.out;
}

// The program writes UTF-8 to the console it shares with whoever started
// it, and gives the console its code page back when it ends.
TEST_F(CliBinary, TheConsoleGetsItsCodePageBack) {
  if (!::SetConsoleOutputCP(437)) {  // no console of its own: one is made
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    if (!::SetConsoleOutputCP(437)) {
      // Run on a terminal (tests/cli/CMakeLists.txt), the console must take it.
      if (std::getenv("TUNEBELT_TEST_ON_TERMINAL")) FAIL() << "the console took no code page";
      GTEST_SKIP() << "this console takes no code page (error " << ::GetLastError()
                   << "; Wine's console without a terminal): only a real Windows shows it";
    }
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, std::vector<std::string>{"save"}}) {
    std::wstring line = L"\"" + test::fsPath(kCli).wstring() + L"\"";
    for (const std::string& a : args) line += L" " + test::fsPath(a).wstring();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi));
    ::WaitForSingleObject(pi.hProcess, 60000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(::GetConsoleOutputCP(), 437u) << args[0];
  }
}
#endif

// remove prints each change for scripts; a dry run prints the same and
// changes nothing; once removed there is nothing left to remove.
TEST_F(CliBinary, RemoveTakesASaveBackAndSaysWhatItDid) {
  writeFile(mod + "/userconfig.cfg", "bind x y\r\n");
  const std::string list = readFile(mod + "/gfx/shell/kb_act.lst");
  ASSERT_EQ(save({}, tracks).status, 0);
  const auto saved = snapshot(work.path());
  const std::string p = mod + kSep;
  const auto size = [](const std::string& path) {
    return std::to_string(fs::file_size(test::fsPath(path))) + " bytes";
  };
  const std::string changes =
      "rewrite\t" + p + "userconfig.cfg\t10 bytes\n" + "rewrite\t" + p + "gfx" + kSep + "shell" +
      kSep + "kb_act.lst\t" + std::to_string(list.size()) + " bytes\n" + "delete\t" + p +
      "mp3.cfg\t" + size(p + "mp3.cfg") + "\n" + "delete\t" + p + "playlist1.cfg\t" +
      size(p + "playlist1.cfg") + "\n" + "delete\t" + p + "tracklist.cfg\t" +
      size(p + "tracklist.cfg") + "\n" + "delete-folder\t" + p + "mp3s\t3 files\t1286 bytes\n";

  Outcome dry = cli({"remove", "--mod", mod, "--tracks", "--dry-run"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out, changes);
  EXPECT_EQ(snapshot(work.path()), saved);

  Outcome done = cli({"remove", "--tracks", "--mod", mod + kSep});  // the separator is trimmed
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(done.out, changes);
  EXPECT_EQ(done.err, "Tunebelt: Tunebelt was removed from " + mod + ", the mp3s folder too.\n");
  EXPECT_EQ(readFile(mod + "/userconfig.cfg"), "bind x y\r\n");
  EXPECT_EQ(readFile(mod + "/gfx/shell/kb_act.lst"), list);
  EXPECT_FALSE(fs::exists(mod + "/mp3s"));

  const auto removed = snapshot(work.path());
  Outcome again = cli({"remove", "--mod", mod});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(again.err,
            "Tunebelt: Nothing to remove: no Tunebelt scripts were found in this mod folder.\n");
  EXPECT_EQ(snapshot(work.path()), removed);

  Outcome missing = cli({"remove", "--mod", work / "none"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Mod Folder can not be found"), std::string::npos);
}

TEST(CliArguments, UsageErrorsExitTwo) {
  std::ostringstream out, err;
  auto run = [&](std::vector<std::string> args) {
    return cli::Run(args, {"/nonexistent", "/nonexistent", "/nonexistent"}, out, err, false);
  };
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"play"}), 2);
  EXPECT_EQ(run({"save", "--mod", "x", "--loud", "a.mp3"}), 2);
  EXPECT_EQ(run({"save", "--mod", "x", "--mp3-volume", "101", "a.mp3"}), 2);
  EXPECT_EQ(run({"save", "--mod", "x", "--mp3-volume", "-1", "a.mp3"}), 2);
  EXPECT_EQ(run({"save", "--mod", "x", "--game-volume", "5.5", "a.mp3"}), 2);
  EXPECT_EQ(run({"save", "--mod", "x", "--game-volume"}), 2);
  EXPECT_EQ(run({"save", "a.mp3"}), 2);  // no --mod
  EXPECT_EQ(run({"cache-size", "--mod", "x", "--delete-unused"}), 2);
  EXPECT_EQ(run({"mods", "--mod", "x"}), 2);
  EXPECT_EQ(run({"remove", "--tracks"}), 2);                // no --mod
  EXPECT_EQ(run({"remove", "--mod", "x", "a.mp3"}), 2);     // no items
  EXPECT_EQ(run({"remove", "--mod", "x", "--german"}), 2);  // another command's option
  EXPECT_EQ(run({"list", "--tracks", "a.mp3"}), 2);
  EXPECT_NE(err.str().find("--mp3-volume takes a whole number from 0 to 100"), std::string::npos);
  out.str("");
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1),
            std::string("tunebelt-cli ") + TUNEBELT_VERSION + "\n");
  EXPECT_NE(out.str().find("License GPL-3.0-or-later"), std::string::npos);
  out.str("");
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out.str().find("tunebelt-cli save --mod DIR"), std::string::npos);
}

}  // namespace
}  // namespace tunebelt
