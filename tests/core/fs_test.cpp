#include "platform/fs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "test_util.h"

namespace tunebelt::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(SplitLines, AcceptsCrCrLfAndLoneLf) {
  EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(SplitLines, KeepsEmptyLinesAndDropsNoFinalLine) {
  EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(splitLines(""), std::vector<std::string>{});
  EXPECT_EQ(splitLines("\r\n"), std::vector<std::string>{""});
  // CR CR LF is an empty line ended by CR, then one ended by LF... no: CR,
  // then CR LF, so two line ends.
  EXPECT_EQ(splitLines("x\r\r\ny"), (std::vector<std::string>{"x", "", "y"}));
}

TEST(SplitLines, KeepsNulBytesInsideALine) {
  std::string text("a\0b\r\nc", 6);
  auto lines = splitLines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("a\0b", 3));
}

TEST(NativePath, ReadsBackslashAsSlash) {
  EXPECT_EQ(nativePath("a\\b/c\\d.mp3"), "a/b/c/d.mp3");
}

TEST(WriteFileAtomic, ReplacesContentAndKeepsPermissionBits) {
  TempDir dir;
  std::string p = dir / "userconfig.cfg";
  writeFile(p, "old");
  ::chmod(p.c_str(), 0640);
  writeFileAtomic(p, "new content");
  EXPECT_EQ(readFile(p), "new content");
  struct stat st{};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteFileAtomic, RefusesReadOnlyFileAndFolderAndLeavesThemAlone) {
  TempDir dir;
  std::string p = dir / "kb_act.lst";
  writeFile(p, "old");
  ::chmod(p.c_str(), 0444);
  EXPECT_THROW(writeFileAtomic(p, "new"), FsError);
  EXPECT_EQ(readFile(p), "old");

  std::string ro = dir / "ro";
  std::filesystem::create_directory(ro);
  ::chmod(ro.c_str(), 0555);
  try {
    writeFileAtomic(ro + "/x.cfg", "x");
    FAIL() << "a read-only folder was written into";
  } catch (const FsError& e) {
    EXPECT_EQ(e.path(), ro);
    EXPECT_FALSE(e.reason().empty());
  }
  EXPECT_FALSE(std::filesystem::exists(ro + "/x.cfg"));
}

TEST(WriteFileAtomic, MissingFolderNamesThePath) {
  TempDir dir;
  EXPECT_THROW(writeFileAtomic(dir / "none/mp3.cfg", "x"), FsError);
}

TEST(CopyFileAtomic, CopiesBytesAndReportsAMissingSource) {
  TempDir dir;
  std::string big(300000, 'x');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  writeFile(dir / "a.mp3", big);
  copyFileAtomic(dir / "a.mp3", dir / "b.mp3");
  EXPECT_EQ(readFile(dir / "b.mp3"), big);
  try {
    copyFileAtomic(dir / "gone.mp3", dir / "c.mp3");
    FAIL();
  } catch (const FsError& e) {
    EXPECT_EQ(e.path(), dir / "gone.mp3");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "c.mp3"));
}

TEST(ListDir, ReportsKindsHiddenNamesAndLinksWithoutFollowing) {
  TempDir dir;
  writeFile(dir / "f.mp3", "12345");
  writeFile(dir / ".hidden", "1");
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_directory_symlink(dir / "sub", dir / "link");
  auto entries = listDir(dir.str());
  ASSERT_EQ(entries.size(), 4u);
  for (const auto& e : entries) {
    if (e.name == "f.mp3") {
      EXPECT_EQ(e.size, 5u);
      EXPECT_FALSE(e.isDir);
    } else if (e.name == ".hidden") {
      EXPECT_TRUE(e.isHidden);
    } else if (e.name == "sub") {
      EXPECT_TRUE(e.isDir);
    } else {
      EXPECT_EQ(e.name, "link");
      EXPECT_TRUE(e.isLink);
      EXPECT_FALSE(e.isDir);
    }
  }
  EXPECT_THROW(listDir(dir / "nothing"), FsError);
}

}  // namespace
}  // namespace tunebelt::platform
