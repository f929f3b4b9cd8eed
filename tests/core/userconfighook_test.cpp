#include "core/scripts/userconfighook.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "platform/fs.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::readFile;
using test::writeFile;

TEST(WriteUserConfigHook, CreatesAMissingFile) {
  test::TempDir mod;
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"), "exec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, AppendsAfterEveryLineKeptInPlace) {
  test::TempDir mod;
  writeFile(mod / "userconfig.cfg", "bind x jump\r\n\nsensitivity 3");
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"),
            "bind x jump\r\n\r\nsensitivity 3\r\nexec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, NearMissesAreNoHook) {
  test::TempDir mod;
  writeFile(mod / "userconfig.cfg", "exec mp3.cfg \rExec mp3.cfg\r\n exec mp3.cfg\r\n");
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"),
            "exec mp3.cfg \r\nExec mp3.cfg\r\n exec mp3.cfg\r\nexec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, AHookedFileIsNotWrittenAtAll) {
  test::TempDir mod;
  const std::string file = mod / "userconfig.cfg";
  // Lone LF endings and no final line end: any rewrite would change the bytes.
  const std::string content = "bind x jump\nexec mp3.cfg\n\nname p";
  writeFile(file, content);
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), nullptr);

  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(readFile(file), content);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST(WriteUserConfigHook, AReadOnlyFileThrowsAndKeepsItsBytes) {
  test::TempDir mod;
  const std::string file = mod / "userconfig.cfg";
  writeFile(file, "name p\r\n");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  try {
    WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(readFile(file), "name p\r\n");
}

}  // namespace
}  // namespace tunebelt
