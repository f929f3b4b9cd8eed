#include "core/state/exists.h"

#include <gtest/gtest.h>

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

#ifndef _WIN32
TEST(Exists, HiddenEntriesAreNotFoundButHiddenParentsDoNotMatter) {
  TempDir dir;
  writeFile(dir / ".secret.mp3", "x");
  writeFile(dir / ".steam/a.mp3", "x");
  EXPECT_FALSE(FileExists(dir / ".secret.mp3"));
  EXPECT_FALSE(FolderExists(dir / ".secret.mp3"));
  EXPECT_FALSE(FolderExists(dir / ".steam"));
  EXPECT_TRUE(FileExists(dir / ".steam/a.mp3"));
}
#else
TEST(Exists, HiddenAndSystemEntriesAreNotFoundButTheirChildrenAre) {
  TempDir dir;
  writeFile(dir / "secret.mp3", "x");
  writeFile(dir / "system.mp3", "x");
  writeFile(dir / "Steam/a.mp3", "x");
  ASSERT_TRUE(test::setAttributes(dir / "secret.mp3", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(test::setAttributes(dir / "system.mp3", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(test::setAttributes(dir / "Steam", FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(FileExists(dir / "secret.mp3"));
  EXPECT_FALSE(FolderExists(dir / "secret.mp3"));
  EXPECT_FALSE(FileExists(dir / "system.mp3"));
  EXPECT_FALSE(FolderExists(dir / "system.mp3"));
  EXPECT_FALSE(FolderExists(dir / "Steam"));
  EXPECT_TRUE(FileExists(dir / "Steam\\a.mp3"));
  EXPECT_FALSE(FileExists(dir / "s*.mp3"));  // only hidden and system files match
}
#endif

TEST(Exists, ReadOnlyFileIsFound) {
  TempDir dir;
  writeFile(dir / "ro.mp3", "x");
  ASSERT_TRUE(test::setReadOnly(dir / "ro.mp3", true));
  EXPECT_TRUE(FileExists(dir / "ro.mp3"));
  EXPECT_TRUE(FolderExists(dir / "ro.mp3"));
}

TEST(Exists, WildcardsInTheLastComponentMatch) {
  TempDir dir;
  writeFile(dir / "song1.mp3", "x");
  writeFile(dir / ".h.mp3", "x");
#ifdef _WIN32
  ASSERT_TRUE(test::setAttributes(dir / ".h.mp3", FILE_ATTRIBUTE_HIDDEN));
#endif
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

#ifndef _WIN32
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
#else
TEST(Exists, EitherSeparatorAndTrailingSeparatorsAndDriveRoots) {
  TempDir dir;
  writeFile(dir / "gfx/shell/kb_act.lst", "x");
  EXPECT_TRUE(FileExists(dir.str() + "\\gfx\\shell\\kb_act.lst"));
  EXPECT_TRUE(FileExists(dir.str() + "/gfx/shell/kb_act.lst"));
  EXPECT_TRUE(FolderExists(dir.str() + "\\gfx\\"));
  EXPECT_TRUE(FolderExists(dir.str() + "\\gfx\\\\"));
  EXPECT_TRUE(FolderExists("C:\\"));
  EXPECT_TRUE(FolderExists("C:"));
  EXPECT_FALSE(FileExists("C:\\"));
}
#endif

}  // namespace
}  // namespace tunebelt
