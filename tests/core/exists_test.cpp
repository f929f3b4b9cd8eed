#include "core/state/exists.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_util.h"

namespace tunebelt {
namespace {

using test::TempDir;
using test::writeFile;

TEST(Exists, FileAndFolderAreToldApart) {
  TempDir dir;
  writeFile(dir / "a.mp3", "x");
  std::filesystem::create_directory(dir / "cstrike");
  EXPECT_TRUE(FileExists(dir / "a.mp3"));
  EXPECT_TRUE(FolderExists(dir / "a.mp3"));  // a file counts as well
  EXPECT_FALSE(FileExists(dir / "cstrike"));
  EXPECT_TRUE(FolderExists(dir / "cstrike"));
}

TEST(Exists, HiddenEntriesAreNotFoundButHiddenParentsDoNotMatter) {
  TempDir dir;
  writeFile(dir / ".secret.mp3", "x");
  writeFile(dir / ".steam/a.mp3", "x");
  EXPECT_FALSE(FileExists(dir / ".secret.mp3"));
  EXPECT_FALSE(FolderExists(dir / ".secret.mp3"));
  EXPECT_FALSE(FolderExists(dir / ".steam"));
  EXPECT_TRUE(FileExists(dir / ".steam/a.mp3"));
}

TEST(Exists, ReadOnlyFileIsFound) {
  TempDir dir;
  writeFile(dir / "ro.mp3", "x");
  ::chmod((dir / "ro.mp3").c_str(), 0444);
  EXPECT_TRUE(FileExists(dir / "ro.mp3"));
  EXPECT_TRUE(FolderExists(dir / "ro.mp3"));
}

TEST(Exists, WildcardsInTheLastComponentMatch) {
  TempDir dir;
  writeFile(dir / "song1.mp3", "x");
  writeFile(dir / ".h.mp3", "x");
  EXPECT_TRUE(FileExists(dir / "*.mp3"));
  EXPECT_TRUE(FileExists(dir / "song?.mp3"));
  EXPECT_FALSE(FileExists(dir / "*.ogg"));
  EXPECT_FALSE(FileExists(dir / ".h*"));  // only a hidden file matches
}

TEST(Exists, EveryErrorIsFalse) {
  TempDir dir;
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FolderExists(""));
  EXPECT_FALSE(FileExists(dir / "missing/a.mp3"));
  EXPECT_FALSE(FolderExists(dir / "missing/*"));
  EXPECT_FALSE(FileExists(std::string("a\0b", 3)));
}

TEST(Exists, BackslashesArePartOfNamesAndTrailingSeparatorsAreIgnored) {
  TempDir dir;
  writeFile(dir / "gfx/shell/kb_act.lst", "x");
  EXPECT_FALSE(FileExists(dir.str() + "\\gfx\\shell\\kb_act.lst"));
  EXPECT_FALSE(FolderExists(dir.str() + "\\gfx"));
  writeFile(dir / "games\\hl/cstrike/gfx/shell/kb_act.lst", "x");
  EXPECT_TRUE(FolderExists(dir / "games\\hl/cstrike"));
  EXPECT_TRUE(FileExists(dir / "games\\hl/cstrike/gfx/shell/kb_act.lst"));
  EXPECT_TRUE(FolderExists(dir / "games\\hl/cstrike//"));
}

}  // namespace
}  // namespace tunebelt
