#include "core/scripts/userconfighook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using test::readFile;
using test::writeFile;

test::RecordingHost host;

TEST(WriteUserConfigHook, CreatesAMissingFile) {
  test::TempDir mod;
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), host, nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"), "exec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, AppendsAfterEveryLineKeptInPlace) {
  test::TempDir mod;
  writeFile(mod / "userconfig.cfg", "bind x jump\r\n\nsensitivity 3");
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), host, nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"),
            "bind x jump\r\n\r\nsensitivity 3\r\nexec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, NearMissesAreNoHook) {
  test::TempDir mod;
  writeFile(mod / "userconfig.cfg", "exec mp3.cfg \rExec mp3.cfg\r\n exec mp3.cfg\r\n");
  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), host, nullptr);
  EXPECT_EQ(readFile(mod / "userconfig.cfg"),
            "exec mp3.cfg \r\nExec mp3.cfg\r\n exec mp3.cfg\r\nexec mp3.cfg\r\n");
}

TEST(WriteUserConfigHook, AHookedFileIsNotWrittenAtAll) {
  test::TempDir mod;
  const std::string file = mod / "userconfig.cfg";
  // Lone LF endings and no final line end: any rewrite would change the bytes.
  const std::string content = "bind x jump\nexec mp3.cfg\n\nname p";
  writeFile(file, content);
  const auto stamp = std::filesystem::last_write_time(test::fsPath(file)) - std::chrono::hours(240);
  std::filesystem::last_write_time(test::fsPath(file), stamp);
  const std::uint64_t identity = test::fileIdentity(file);
  ASSERT_NE(identity, 0u);

  WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), host, nullptr);

  EXPECT_EQ(readFile(file), content);
  EXPECT_EQ(std::filesystem::last_write_time(test::fsPath(file)), stamp);
  EXPECT_EQ(test::fileIdentity(file), identity);
}

TEST(WriteUserConfigHook, AReadOnlyFileThrowsAndKeepsItsBytes) {
  test::TempDir mod;
  const std::string file = mod / "userconfig.cfg";
  writeFile(file, "name p\r\n");
  ASSERT_TRUE(test::setReadOnly(file, true));
  try {
    WriteUserConfigHook(test::PlanFromDisk({}, mod.str()), host, nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_EQ(readFile(file), "name p\r\n");
}

}  // namespace
}  // namespace tunebelt
