// Game discovery on Steam trees built under a temporary home folder.
#include "core/modfolder/discovery.h"
#include "platform/fs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/userfolders.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

constexpr const char* kNative = ".local/share/Steam";
constexpr const char* kFlatpak = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
constexpr const char* kSnap = "snap/steam/common/.local/share/Steam";

std::string real(const std::string& path) {
  return fs::canonical(path).string();
}

// A mod folder in a library; an empty `liblist` writes none.
std::string addMod(const std::string& library, const std::string& name, const std::string& liblist,
                   bool keyBindings = true) {
  std::string folder = library + "/steamapps/common/Half-Life/" + name;
  fs::create_directories(folder);
  if (!liblist.empty()) writeFile(folder + "/liblist.gam", liblist);
  if (keyBindings) writeFile(folder + "/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
  return folder;
}

// A path as a .vdf file writes it: "\" escaped.
std::string vdfPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string currentVdf(const std::vector<std::string>& paths) {
  std::string text = "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\t\"-42\"\n";
  for (std::size_t i = 0; i < paths.size(); ++i) {
    text +=
        "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + vdfPath(paths[i]) +
        "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"70\"\t\t\"1234\"\n\t\t}\n\t}\n";
  }
  return text + "}\n";
}

std::vector<std::string> folders(const GameDiscovery& d) {
  std::vector<std::string> out;
  for (const auto& m : d.mods) out.push_back(m.folder);
  return out;
}

class Discovery : public ::testing::Test {
 protected:
  TempDir home;
  TempDir elsewhere;  // another drive
};

TEST_F(Discovery, NativeRootThroughLinksOnceAndASecondLibraryOfTheCurrentForm) {
  const std::string root = home / kNative;
  const std::string second = elsewhere / "SteamLibrary";
  fs::create_directories(root);
  fs::create_directories(home / ".steam");
  if (std::string why = test::linkFolder(root, home / ".steam/steam"); !why.empty()) {
    GTEST_SKIP() << why;
  }
  ASSERT_EQ(test::linkFolder(home / ".steam/steam", home / ".steam/root"), "");
  const std::string valve =
      addMod(root, "valve", "game \"Half-Life\"\r\ngamedll \"dlls/hl.so\"\r\n");
  const std::string cstrike = addMod(root, "cstrike", "// CS\r\ngame\t\"Counter-Strike\"\r\n");
  addMod(root, "cstrike_downloads", "");
  const std::string dod = addMod(second, "dod", "gamedll \"dlls/dod.so\"\r\n", false);
  fs::create_directories(home / "gone");
  writeFile(root + "/steamapps/libraryfolders.vdf",
            currentVdf({root, second + "/", home / "gone/../gone/missing"}));

  GameDiscovery d = DiscoverGames(home.str());
  EXPECT_EQ(d.libraries, (std::vector<std::string>{real(root), real(second)}));
  EXPECT_EQ(folders(d), (std::vector<std::string>{real(cstrike), real(valve), real(dod)}));
  ASSERT_EQ(d.mods.size(), 3u);
  EXPECT_EQ(d.mods[0].game, "Counter-Strike");
  EXPECT_EQ(d.mods[1].game, "Half-Life");
  EXPECT_EQ(d.mods[2].game, "dod");  // no game line: the folder's name
  EXPECT_TRUE(d.mods[0].hasKeyBindings);
  EXPECT_FALSE(d.mods[2].hasKeyBindings);
  EXPECT_TRUE(d.problems.empty());
  EXPECT_EQ(BrowseStartFolder(d), real(root + "/steamapps/common"));
}

TEST_F(Discovery, RootsInTheirOrderAndTheOldFormInTheConfigFolder) {
  const std::string flatpak = home / kFlatpak;
  const std::string old = elsewhere / "old";
  addMod(home / kSnap, "tfc", "game \"Team Fortress Classic\"\n");
  addMod(flatpak, "valve", "game \"Half-Life\"\n");
  addMod(home / kNative, "gearbox", "GAME \"Opposing Force\"\n");
  addMod(old, "czero", "game \"Condition Zero\"\n");
  writeFile(flatpak + "/config/libraryfolders.vdf",
            "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"" +
                vdfPath(old) + "\"\n\t\"2\"\t\t\"" + vdfPath(elsewhere / "unplugged") + "\"\n}\n");

  GameDiscovery d = DiscoverGames(home.str());
  EXPECT_EQ(d.libraries, (std::vector<std::string>{real(home / kNative), real(flatpak), real(old),
                                                   real(home / kSnap)}));
  std::vector<std::string> games;
  for (const auto& m : d.mods) games.push_back(m.game);
  EXPECT_EQ(games, (std::vector<std::string>{"Opposing Force", "Half-Life", "Condition Zero",
                                             "Team Fortress Classic"}));
}

TEST_F(Discovery, ADamagedListGivesNoLibraryAndIsTold) {
  const std::string root = home / kNative;
  addMod(root, "valve", "game \"Half-Life\"\n");
  addMod(elsewhere.str(), "cstrike", "game \"Counter-Strike\"\n");
  std::string vdf = currentVdf({elsewhere.str()});
  vdf.pop_back();
  vdf.pop_back();  // the closing brace
  writeFile(root + "/steamapps/libraryfolders.vdf", vdf);
  fs::create_directories(root + "/config/libraryfolders.vdf");  // a folder, not a file

  GameDiscovery d = DiscoverGames(home.str());
  EXPECT_EQ(d.libraries, std::vector<std::string>{real(root)});
  ASSERT_EQ(d.mods.size(), 1u);
  EXPECT_EQ(d.mods[0].game, "Half-Life");
  ASSERT_EQ(d.problems.size(), 2u);
  EXPECT_EQ(d.problems[0], real(root + "/steamapps/libraryfolders.vdf") + ": damaged at line " +
                               std::to_string(std::count(vdf.begin(), vdf.end(), '\n') + 1) +
                               " (a block is not closed), no library taken from it");
  EXPECT_EQ(d.problems[1].rfind(real(root + "/config/libraryfolders.vdf") + ": ", 0), 0u);
}

TEST_F(Discovery, NothingFoundGivesNothing) {
  EXPECT_TRUE(SteamRootCandidates("").empty());
  EXPECT_TRUE(SteamRootCandidates("relative/home").empty());
  GameDiscovery none = DiscoverGames(home.str());
  EXPECT_TRUE(none.libraries.empty());
  EXPECT_TRUE(none.mods.empty());
  EXPECT_EQ(BrowseStartFolder(none), "");

  // A fresh installation without games: the browser starts in it.
  fs::create_directories(home / kSnap);
  GameDiscovery bare = DiscoverGames(home.str());
  EXPECT_TRUE(bare.mods.empty());
  EXPECT_EQ(BrowseStartFolder(bare), real(home / kSnap));
}

TEST_F(Discovery, InstallationsTheSystemRecordsComeAfterTheHomeAndCountOnce) {
  const std::string recorded = elsewhere / "Steam";
  addMod(home / kNative, "valve", "game \"Half-Life\"\n");
  addMod(recorded, "cstrike", "game \"Counter-Strike\"\n");
  GameDiscovery d =
      DiscoverGames(home.str(), {recorded, home / kNative, elsewhere / "not installed"});
  EXPECT_EQ(d.libraries, (std::vector<std::string>{real(home / kNative), real(recorded)}));
  ASSERT_EQ(d.mods.size(), 2u);
  EXPECT_EQ(d.mods[0].game, "Half-Life");
  EXPECT_EQ(d.mods[1].game, "Counter-Strike");
  EXPECT_TRUE(d.problems.empty());
}

#ifdef _WIN32
TEST_F(Discovery, SteamPathInTheRegistryIsSearched) {
  const std::string installed = elsewhere / "Steam";
  addMod(installed, "cstrike", "game \"Counter-Strike\"\n");
  // Steam writes its path with "/".
  std::wstring written = test::fsPath(installed).wstring();
  std::replace(written.begin(), written.end(), L'\\', L'/');
  test::RegistryValueGuard steamPath(L"Software\\Valve\\Steam", L"SteamPath", written);

  const std::vector<std::string> recorded = platform::steamInstallFolders();
  ASSERT_GE(recorded.size(), 2u);
  EXPECT_EQ(recorded[0], installed);
  EXPECT_NE(recorded[1].find("Steam"), std::string::npos);  // the default folder
  GameDiscovery d = DiscoverGames(home.str(), recorded);
  ASSERT_EQ(d.mods.size(), 1u);
  EXPECT_EQ(d.mods[0].game, "Counter-Strike");
  EXPECT_EQ(d.mods[0].folder, real(installed + "\\steamapps\\common\\Half-Life\\cstrike"));
}
#endif

TEST(LibraryFoldersFromVdf, BothFormsEscapesAndWhatIsLeftOut) {
  auto paths = LibraryFoldersFromVdf(
      "\"libraryfolders\" {\n"
      " \"0\" { \"label\" \"x\" \"PATH\" \"/mnt/My \\\"Games\\\"\" }\n"
      " \"1\" \"/old\\\\form\"\n"
      " \"2\" { \"label\" \"no path\" }\n"
      " \"3\" \"D:\\\\Steam\"\n"
      " \"4\" \"\"\n"
      " \"x5\" \"/not/numbered\"\n"
      "}\n\"libraryfolders\" { \"0\" \"/second/block\" }\n");
  ASSERT_TRUE(paths.has_value());
#ifdef _WIN32
  EXPECT_EQ(*paths, std::vector<std::string>{"D:\\Steam"});
#else
  EXPECT_EQ(*paths, (std::vector<std::string>{"/mnt/My \"Games\"", "/old\\form"}));
#endif
  EXPECT_TRUE(LibraryFoldersFromVdf("\"other\" { \"0\" \"/a\" }")->empty());
  EXPECT_FALSE(LibraryFoldersFromVdf("\"libraryfolders\" { \"0\" \"/a\" ").has_value());
}

TEST(GameNameFromLiblist, TheFirstGameLineInAnyCase) {
  EXPECT_EQ(GameNameFromLiblist("gamedll \"x.so\"\r\n  Game \"Deathmatch Classic\" \r\ngame \"B\""),
            "Deathmatch Classic");
  EXPECT_EQ(GameNameFromLiblist("game Ricochet\n"), "Ricochet");
  EXPECT_EQ(GameNameFromLiblist("game \"Unclosed name\n"), "Unclosed name");
  EXPECT_EQ(GameNameFromLiblist("// game \"Commented\"\ngames \"No\"\n"), "");
  EXPECT_EQ(GameNameFromLiblist("game \"\"\n"), "");
}

// The mod folder box's list: remembered folders first, then the games a
// save can use; a game is named, remembered or not, and two that would read
// the same show their whole folders; any other folder shows as it is.
TEST(ModFolderEntries, RememberedFoldersFirstThenTheGamesANameCanTellApart) {
  const std::vector<DiscoveredMod> found = {
      {"Counter-Strike", "/lib1/Half-Life/cstrike", true},
      {"Half-Life", "/lib1/Half-Life/valve", false},  // no kb_act.lst: a save would fail
      {"Day of Defeat", "/lib1/Half-Life/dod", true},
      {"Counter-Strike", "/lib2/Half-Life/cstrike", true},
      {"Bad\x1b[2Jname", "/lib2/Half-Life/tfc", true},
  };
  const std::vector<ModFolderEntry> entries =
      ModFolderEntries({"/mine/ricochet", "/lib1/Half-Life/dod"}, found);
  // The shortened folder is written with the system's separator.
  const auto shortened = [](const std::string& name, const std::string& last) {
    return name + " \u2014 ..." + platform::kSep + last;
  };
  const std::vector<ModFolderEntry> expected = {
      {"/mine/ricochet", "/mine/ricochet"},
      {shortened("Day of Defeat", "dod"), "/lib1/Half-Life/dod"},
      {"Counter-Strike \u2014 /lib1/Half-Life/cstrike", "/lib1/Half-Life/cstrike"},
      {"Counter-Strike \u2014 /lib2/Half-Life/cstrike", "/lib2/Half-Life/cstrike"},
      {shortened("Bad\\x1b[2Jname", "tfc"), "/lib2/Half-Life/tfc"},
  };
  EXPECT_EQ(entries, expected);
}

}  // namespace
}  // namespace tunebelt
