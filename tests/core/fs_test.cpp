#include "platform/fs.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "platform/filestream.h"
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

#ifndef _WIN32
TEST(NativePath, TakesBackslashAsPartOfAName) {
  EXPECT_EQ(nativePath("a\\b/c\\d.mp3"), "a\\b/c\\d.mp3");
  EXPECT_EQ(windowsReading("..\\Pop\\x.mp3"), "../Pop/x.mp3");
  EXPECT_FALSE(isSep('\\'));

  TempDir dir;
  writeFile(dir / "AC\\DC - Thunder.mp3", "ac");
  EXPECT_TRUE(isRegularFile(dir / "AC\\DC - Thunder.mp3"));
  EXPECT_EQ(readFile(dir / "AC\\DC - Thunder.mp3"), "ac");
  EXPECT_FALSE(pathExists(dir / "AC/DC - Thunder.mp3"));
  // A name with a backslash is one entry, not a way into another folder.
  std::filesystem::create_directory(dir / "..\\..");
  EXPECT_TRUE(isDirectory(dir / "..\\.."));
  EXPECT_EQ(listMatching(dir / "..\\..").at(0).name, "..\\..");
}
#else
TEST(NativePath, BothSeparatorsAndEveryCharacterOfAName) {
  EXPECT_TRUE(isSep('\\'));
  EXPECT_EQ(windowsReading("..\\Pop\\x.mp3"), "..\\Pop\\x.mp3");
  TempDir dir;
  // UTF-8 inside, UTF-16 at the system: a name outside every ANSI code page
  // and one beyond the 16-bit range come back as they went in.
  const std::string name = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5.mp3";
  writeFileAtomic(dir / name, "tune");
  EXPECT_TRUE(isRegularFile(dir.str() + "\\" + name));
  EXPECT_EQ(readFile(dir / name), "tune");
  auto entries = listDir(dir.str());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, name);
  EXPECT_EQ(entries[0].size, 4u);
  EXPECT_THROW(platform::readFile(std::string("a\0b", 3)), FsError);
}

// A path longer than the classic 260 characters still names its file.
TEST(NativePath, LongPathsWork) {
  TempDir dir;
  std::string deep = dir.str();
  for (int i = 0; i < 6; ++i) {
    deep += "\\" + std::string(60, static_cast<char>('a' + i));
    makeDir(deep);
  }
  writeFileAtomic(deep + "\\track.mp3", "long");
  EXPECT_EQ(readFile(deep + "\\track.mp3"), "long");
  EXPECT_EQ(copyIntoFolder(deep + "\\track.mp3", FolderHandle::open(deep, false), "copy.mp3"),
            CopyResult::Copied);
  EXPECT_EQ(listDir(deep).size(), 2u);
}
#endif

TEST(ListMatching, IgnoresTrailingSeparators) {
  TempDir dir;
  std::filesystem::create_directory(dir / "cstrike");
  EXPECT_EQ(listMatching(dir / "cstrike/").at(0).name, "cstrike");
  EXPECT_EQ(listMatching(dir / "cstrike//").at(0).name, "cstrike");
  EXPECT_TRUE(listMatching(dir / "cstrike//").at(0).isDir);
  EXPECT_THROW(listMatching(dir / "none//"), FsError);
}

#ifndef _WIN32
// Every reader refuses what is not a regular file at once: a FIFO that no
// one writes to, a link to an endless device, a folder. An alarm ends the
// test program if a read ever waits.
TEST(ReadFile, RefusesFifosDevicesAndFoldersWithoutWaiting) {
  TempDir dir;
  std::string fifo = dir / "kb_act.lst";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero.cfg");
  std::filesystem::create_symlink("/dev/urandom", dir / "random.pls");
  std::filesystem::create_directory(dir / "folder.m3u");
  ::alarm(20);
  for (const std::string& p : {fifo, dir / "zero.cfg", dir / "random.pls", dir / "folder.m3u"}) {
    try {
      readTextLines(p);
      ADD_FAILURE() << p << " was read";
    } catch (const FsError& e) {
      EXPECT_EQ(e.path(), p);
      EXPECT_NE(e.reason().find(p == fifo             ? "FIFO"
                                : p.ends_with(".m3u") ? "directory"
                                                      : "device"),
                std::string::npos)
          << e.reason();
    }
    EXPECT_THROW(readFileHead(p, 100), FsError);
    EXPECT_THROW(copyFileAtomic(p, dir / "copy.mp3"), FsError);
    EXPECT_THROW(copyIntoFolder(p, FolderHandle::open(dir.str(), false), "copy.mp3"), FsError);
    EXPECT_THROW(regularFileFacts(p), FsError);
    EXPECT_THROW(checkOpensForReading(p), FsError);
    EXPECT_FALSE(isRegularFile(p));
  }
  // Nor is one replaced by a write.
  EXPECT_THROW(writeFileAtomic(fifo, "x"), FsError);
  EXPECT_THROW(writeFileAtomic(dir / "zero.cfg", "x"), FsError);
  ::alarm(0);
  EXPECT_FALSE(std::filesystem::exists(dir / "copy.mp3"));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}
#else
// The same on Windows: a named pipe no one writes to, a device, a folder.
TEST(ReadFile, RefusesPipesDevicesAndFoldersWithoutWaiting) {
  TempDir dir;
  const std::string pipe = "\\\\.\\pipe\\tunebelt-test-" + std::to_string(::GetCurrentProcessId());
  HANDLE server = ::CreateNamedPipeW(test::fsPath(pipe).wstring().c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 4, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  std::filesystem::create_directory(dir / "folder.m3u");
  for (const std::string& p : {pipe, std::string("NUL"), dir / "folder.m3u"}) {
    try {
      readTextLines(p);
      ADD_FAILURE() << p << " was read";
    } catch (const FsError& e) {
      EXPECT_EQ(e.path(), p);
      EXPECT_NE(e.reason().find(p == pipe    ? "FIFO"
                                : p == "NUL" ? "device"
                                             : "directory"),
                std::string::npos)
          << e.reason();
    }
    EXPECT_THROW(readFileHead(p, 100), FsError);
    EXPECT_THROW(copyFileAtomic(p, dir / "copy.mp3"), FsError);
    EXPECT_THROW(copyIntoFolder(p, FolderHandle::open(dir.str(), false), "copy.mp3"), FsError);
    EXPECT_THROW(regularFileFacts(p), FsError);
    EXPECT_THROW(checkOpensForReading(p), FsError);
    EXPECT_FALSE(isRegularFile(p) && p != "NUL") << p;
  }
  ::CloseHandle(server);
  EXPECT_FALSE(std::filesystem::exists(dir / "copy.mp3"));
}
#endif

TEST(ReadFile, RefusesATextFileOverItsBoundAndReadsTheHeadOfOne) {
  TempDir dir;
  std::string big = dir / "big.m3u";
  writeFile(big, "#EXTM3U\r\n");
  std::filesystem::resize_file(big, kMaxTextFileBytes + 1);  // sparse
  try {
    readTextLines(big);
    FAIL() << "a file over the bound was read";
  } catch (const FsError& e) {
    EXPECT_EQ(e.path(), big);
    EXPECT_NE(e.reason().find("larger than 16 MiB"), std::string::npos) << e.reason();
  }
  std::filesystem::resize_file(big, kMaxTextFileBytes);
  EXPECT_EQ(readFile(big).size(), kMaxTextFileBytes);
  EXPECT_EQ(readFileHead(big, 9), "#EXTM3U\r\n");
}

#ifndef _WIN32
TEST(WriteFileAtomic, ReplacesContentAndKeepsPermissionBits) {
  TempDir dir;
  std::string p = dir / "userconfig.cfg";
  writeFile(p, "old");
  ::chmod(p.c_str(), 0640);
  writeFileAtomic(p, "new content");
  EXPECT_EQ(readFile(p), "new content");
  struct stat st {};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
#else
TEST(WriteFileAtomic, ReplacesContentAndKeepsHiddenAndSystemAttributes) {
  TempDir dir;
  std::string p = dir / "userconfig.cfg";
  writeFile(p, "old");
  ASSERT_TRUE(test::setAttributes(p, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  writeFileAtomic(p, "new content", Durability::Synced);
  EXPECT_EQ(readFile(p), "new content");
  EXPECT_EQ(test::attributesOf(p) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
#endif

TEST(WriteFileAtomic, RefusesReadOnlyFileAndFolderAndLeavesThemAlone) {
  TempDir dir;
  std::string p = dir / "kb_act.lst";
  writeFile(p, "old");
  ASSERT_TRUE(test::setReadOnly(p, true));
  try {
    writeFileAtomic(p, "new");
    FAIL() << "a read-only file was replaced";
  } catch (const FsError& e) {
    EXPECT_EQ(e.path(), p);
    EXPECT_EQ(e.reason(), "Permission denied");
  }
  EXPECT_EQ(readFile(p), "old");
  EXPECT_THROW(copyFileAtomic(p, p), FsError);
  EXPECT_EQ(readFile(p), "old");
#ifndef _WIN32  // a folder's read-only attribute means nothing to Windows

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
#endif
}

// The temporary name beside a target holds the start of the target's name,
// cut to 40 bytes: a long name of two-byte characters is written, replaced
// and copied all the same, and nothing stays beside it.
TEST(WriteFileAtomic, ALongNameOfWideCharactersIsWrittenAndCopiedWithoutATrace) {
  TempDir dir;
  std::string name = "a";
  for (int i = 0; i < 30; ++i) name += "\xC3\xA9";  // byte 40 is inside a character
  name += ".cfg";
  EXPECT_EQ(writeFileAtomic(dir / name, "first"), WriteResult::Created);
  EXPECT_EQ(writeFileAtomic(dir / name, "second"), WriteResult::Replaced);
  EXPECT_EQ(readFile(dir / name), "second");
  std::filesystem::create_directory(dir / "mp3s");
  const FolderHandle mp3s = FolderHandle::open(dir / "mp3s", false);
  EXPECT_EQ(copyIntoFolder(dir / name, mp3s, name), CopyResult::Copied);
  writeFile(dir / name, "third, longer");
  EXPECT_EQ(copyIntoFolder(dir / name, mp3s, name), CopyResult::Replaced);
  EXPECT_EQ(readFile(dir / ("mp3s/" + name)), "third, longer");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(test::fsPath(dir / "mp3s")), {}), 1);
}

TEST(WriteFileAtomic, MissingFolderNamesThePath) {
  TempDir dir;
  EXPECT_THROW(writeFileAtomic(dir / "none/mp3.cfg", "x"), FsError);
}

TEST(FileHolds, OnlyTheSameBytesInARegularFile) {
  TempDir dir;
  writeFile(dir / "mp3.cfg", "alias a \"b\"\r\n");
  EXPECT_TRUE(fileHolds(dir / "mp3.cfg", "alias a \"b\"\r\n"));
  EXPECT_FALSE(fileHolds(dir / "mp3.cfg", "alias a \"b\"\r"));        // shorter
  EXPECT_FALSE(fileHolds(dir / "mp3.cfg", "alias a \"b\"\r\n\r\n"));  // longer
  EXPECT_FALSE(fileHolds(dir / "mp3.cfg", "alias a \"c\"\r\n"));
  EXPECT_FALSE(fileHolds(dir / "none.cfg", ""));
  std::filesystem::create_directory(dir / "folder.cfg");
  EXPECT_FALSE(fileHolds(dir / "folder.cfg", ""));
  writeFile(dir / "empty.cfg", "");
  EXPECT_TRUE(fileHolds(dir / "empty.cfg", ""));
#ifndef _WIN32
  ASSERT_EQ(::mkfifo((dir / "fifo.cfg").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero.cfg");
  ::alarm(20);  // never waited on
  EXPECT_FALSE(fileHolds(dir / "fifo.cfg", ""));
  EXPECT_FALSE(fileHolds(dir / "zero.cfg", ""));
  ::alarm(0);
  std::filesystem::create_symlink(dir / "mp3.cfg", dir / "link.cfg");
  EXPECT_TRUE(fileHolds(dir / "link.cfg", "alias a \"b\"\r\n"));
#endif
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

#ifndef _WIN32  // links to files need a privilege on Windows
TEST(WriteFileAtomic, ALinkedFileIsReplacedWhereItPointsAndStaysALink) {
  TempDir dir;
  writeFile(dir / "shared/kb_act.lst", "old");
  std::filesystem::create_directories(dir / "cstrike/gfx/shell");
  std::string link = dir / "cstrike/gfx/shell/kb_act.lst";
  std::filesystem::create_symlink("../../../shared/kb_act.lst", link);
  writeFileAtomic(link, "new", Durability::Synced);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(dir / "shared/kb_act.lst"), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "cstrike/gfx/shell"), {}), 1);

  std::filesystem::create_symlink(dir / "nowhere.cfg", dir / "userconfig.cfg");
  EXPECT_THROW(writeFileAtomic(dir / "userconfig.cfg", "x"), FsError);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "userconfig.cfg"));
}
#endif

// A copy is made complete before it takes its name and keeps its source's
// time; a copy of the same version stays, one of another version, a link or
// a stray file in its place is replaced, a folder never. Nothing else is
// left in the folder.
TEST(CopyIntoFolder, CopiesEachVersionOnceWithoutATrace) {
  TempDir dir;
  std::string big(200000, 'x');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13);
  writeFile(dir / "src.mp3", big);
  std::filesystem::create_directory(dir / "mp3s");
  const FolderHandle mp3s = FolderHandle::open(dir / "mp3s", false);
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "a.mp3"), CopyResult::Copied);
  EXPECT_EQ(readFile(dir / "mp3s/a.mp3"), big);
  EXPECT_EQ(std::filesystem::last_write_time(test::fsPath(dir / "mp3s/a.mp3")),
            std::filesystem::last_write_time(test::fsPath(dir / "src.mp3")));
  const std::uint64_t copied = test::fileIdentity(dir / "mp3s/a.mp3");
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "a.mp3"), CopyResult::AlreadyThere);
  EXPECT_EQ(test::fileIdentity(dir / "mp3s/a.mp3"), copied);
  // The stamp the caller looked at stands for the source's.
  const FileStamp looked = regularFileFacts(dir / "src.mp3").stamp;
  EXPECT_EQ(fileStamp(dir / "mp3s/a.mp3"), looked);
  EXPECT_EQ(fileStampIn(mp3s, "a.mp3"), looked);
  EXPECT_EQ(fileStampIn(mp3s, "none.mp3"), std::nullopt);
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "a.mp3", &looked), CopyResult::AlreadyThere);
  const FileStamp other{looked.size + 1, looked.modified};
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "a.mp3", &other), CopyResult::Replaced);
  EXPECT_EQ(readFile(dir / "mp3s/a.mp3"), big);

  writeFile(dir / "mp3s/b.mp3", "player's own");
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "b.mp3"), CopyResult::Replaced);
  EXPECT_EQ(readFile(dir / "mp3s/b.mp3"), big);
  // The same length and a time two seconds off counts as this version (file
  // systems keep times in steps of up to two seconds); three seconds off
  // does not.
  const auto srcTime = std::filesystem::last_write_time(test::fsPath(dir / "src.mp3"));
  std::filesystem::last_write_time(test::fsPath(dir / "mp3s/b.mp3"),
                                   srcTime + std::chrono::seconds(2));
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "b.mp3"), CopyResult::AlreadyThere);
  std::filesystem::last_write_time(test::fsPath(dir / "mp3s/b.mp3"),
                                   srcTime - std::chrono::seconds(3));
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "b.mp3"), CopyResult::Replaced);
#ifndef _WIN32
  writeFile(dir / "outside.mp3", "not to be touched");
  std::filesystem::create_symlink(dir / "outside.mp3", dir / "mp3s/c.mp3");
  EXPECT_EQ(copyIntoFolder(dir / "src.mp3", mp3s, "c.mp3"), CopyResult::Replaced);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "mp3s/c.mp3"));
  EXPECT_EQ(readFile(dir / "outside.mp3"), "not to be touched");
  constexpr int kNames = 4;
#else
  constexpr int kNames = 3;
#endif
  std::filesystem::create_directory(dir / "mp3s/folder.mp3");
  EXPECT_THROW(copyIntoFolder(dir / "src.mp3", mp3s, "folder.mp3"), FsError);
  EXPECT_THROW(copyIntoFolder(dir / "gone.mp3", mp3s, "d.mp3"), FsError);
  EXPECT_THROW(copyIntoFolder(dir / "src.mp3", mp3s, "../e.mp3"), FsError);
  // Nothing but those names: no temporary file anywhere.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "mp3s"), {}), kNames);
}

TEST(PendingFile, TakesTheTargetsPlaceOnlyWhenCommitted) {
  TempDir dir;
  const std::string target = dir / "copy.mp3";
  writeFile(target, "old");
  {
    PendingFile f(target);
    f.write("new, ", 5);
    f.write("longer", 6);
    f.writeAt(0, "NEW", 3);  // a header completed at the end
    EXPECT_EQ(f.size(), 11u);
    EXPECT_EQ(readFile(target), "old");
    f.commit();
  }
  EXPECT_EQ(readFile(target), "NEW, longer");
  {
    PendingFile dropped(target);
    dropped.write("x", 1);
  }
  EXPECT_EQ(readFile(target), "NEW, longer");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  // A read-only target is refused before anything is written.
  ASSERT_TRUE(test::setReadOnly(target, true));
  EXPECT_THROW(PendingFile{target}, FsError);
}

// Many paths looked at in one go say what each alone says: the same facts
// for files in one folder, in others and through a link, and a reason for
// what is missing or no regular file.
TEST(RegularFilesFacts, SayWhatEachPathAloneSays) {
  TempDir dir;
  writeFile(dir / "a/one.mp3", "1");
  writeFile(dir / "a/two.mp3", "22");
  writeFile(dir / "b/three.mp3", "333");
  std::filesystem::create_directory(dir / "a/folder.mp3");
  std::vector<std::string> paths = {dir / "a/one.mp3",  dir / "a/two.mp3",    dir / "b/three.mp3",
                                    dir / "a/gone.mp3", dir / "a/folder.mp3", dir / "gone/x.mp3",
                                    dir / "a/one.mp3"};
#ifndef _WIN32
  std::filesystem::create_symlink(dir / "a", dir / "link");
  paths.push_back(dir / "link/two.mp3");
#endif
  const std::vector<FileLook> looks = regularFilesFacts(paths);
  ASSERT_EQ(looks.size(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    try {
      const FileFacts alone = regularFileFacts(paths[i]);
      ASSERT_TRUE(looks[i].facts.has_value()) << looks[i].reason;
      EXPECT_EQ(looks[i].facts->id, alone.id);
      EXPECT_EQ(looks[i].facts->stamp, alone.stamp);
    } catch (const FsError& e) {
      EXPECT_FALSE(looks[i].facts.has_value());
      EXPECT_EQ(looks[i].reason, e.reason());
    }
  }
  EXPECT_EQ(looks[6].facts->id, looks[0].facts->id);
  EXPECT_NE(looks[1].facts->id, looks[0].facts->id);
  EXPECT_EQ(looks[2].facts->stamp.size, 3u);
}

TEST(ListDir, ReportsKindsHiddenNamesAndLinksWithoutFollowing) {
  TempDir dir;
  writeFile(dir / "f.mp3", "12345");
  writeFile(dir / ".hidden", "1");
#ifdef _WIN32
  ASSERT_TRUE(test::setAttributes(dir / ".hidden", FILE_ATTRIBUTE_HIDDEN));
#endif
  std::filesystem::create_directory(dir / "sub");
  std::string why = test::linkFolder(dir / "sub", dir / "link");
  if (!why.empty()) GTEST_SKIP() << "no links to folders here: " << why;
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
