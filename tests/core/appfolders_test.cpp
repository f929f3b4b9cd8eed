#include "platform/appfolders.h"
#include "platform/userfolders.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;
using platform::AppFolders;
using platform::findAppFolders;
using test::EnvGuard;
using test::TempDir;
using test::writeFile;

#ifndef _WIN32
int modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}
#endif

// A temporary home and configuration home; `app` is a program folder with
// the shipped data beside it.
struct AppFoldersTest : ::testing::Test {
  TempDir dir;
  EnvGuard env;
  std::string app;
  std::string config;
  void SetUp() override {
    app = dir / "app";
    config = dir / "xdg-config";
    writeFile(app + "/kb_act/cstrike/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
    env.set("HOME", dir / "home");
    env.set("XDG_CONFIG_HOME", config);
#ifdef _WIN32
    env.set("APPDATA", config);
#endif
  }
};

TEST_F(AppFoldersTest, AWritableApplicationFolderKeepsEverythingBesideTheProgram) {
  AppFolders f = findAppFolders(app, true);
  EXPECT_EQ(f.program, app);
  EXPECT_EQ(f.data, app);
  EXPECT_EQ(f.settings, app);
  EXPECT_FALSE(fs::exists(config));

  // A lone program, with no data anywhere, is still its own application folder.
  fs::create_directories(dir / "lone");
  f = findAppFolders(dir / "lone", true);
  EXPECT_EQ(f.data, dir / "lone");
  EXPECT_EQ(f.settings, dir / "lone");
}

#ifndef _WIN32
TEST_F(AppFoldersTest, AnInstalledProgramReadsShareAndKeepsSettingsInTheConfigFolder) {
  // prefix/bin can be written here (the tests run as root, as a package
  // install does), yet nothing may be kept there.
  const std::string prefix = dir / "usr";
  fs::create_directories(prefix + "/bin");
  writeFile(prefix + "/share/tunebelt/background/english/title.jpg", "jpeg");

  AppFolders quiet = findAppFolders(prefix + "/bin", false);
  EXPECT_EQ(quiet.data, prefix + "/share/tunebelt");
  EXPECT_EQ(quiet.settings, config + "/tunebelt");
  EXPECT_FALSE(fs::exists(config)) << "a reading front end made the folder";

  AppFolders f = findAppFolders(prefix + "/bin", true);
  EXPECT_EQ(f.settings, config + "/tunebelt");
  EXPECT_TRUE(fs::is_directory(f.settings));
  EXPECT_EQ(modeOf(config) & 077, 0);
  EXPECT_EQ(modeOf(f.settings) & 077, 0);

  // Data beside the program wins over an installed copy.
  writeFile(prefix + "/bin/background/english/title.jpg", "jpeg");
  EXPECT_EQ(findAppFolders(prefix + "/bin", true).data, prefix + "/bin");
}

TEST_F(AppFoldersTest, TheConfigurationHomeFollowsTheXdgRules) {
  ::chmod(app.c_str(), 0555);  // a read-only application folder
  EXPECT_EQ(findAppFolders(app, false).data, app);
  EXPECT_EQ(findAppFolders(app, false).settings, config + "/tunebelt");
  env.unset("XDG_CONFIG_HOME");
  EXPECT_EQ(findAppFolders(app, false).settings, dir / "home/.config/tunebelt");
  env.set("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
  EXPECT_EQ(findAppFolders(app, false).settings, dir / "home/.config/tunebelt");
  env.set("XDG_CONFIG_HOME", "");
  EXPECT_EQ(findAppFolders(app, false).settings, dir / "home/.config/tunebelt");
  // Nowhere else to go: the settings stay put, and writing them will tell why.
  env.unset("XDG_CONFIG_HOME");
  env.unset("HOME");
  EXPECT_EQ(findAppFolders(app, true).settings, app);
  // Writable again: beside the program is the first choice once more.
  env.set("HOME", dir / "home");
  ::chmod(app.c_str(), 0755);
  EXPECT_EQ(findAppFolders(app, true).settings, app);
}

TEST_F(AppFoldersTest, WritableMeansWriteBitsAndTheSystemsConsent) {
  EXPECT_TRUE(platform::folderWritable(app));
  ::chmod(app.c_str(), 0555);
  EXPECT_FALSE(platform::folderWritable(app));  // root too
  ::chmod(app.c_str(), 0200);
  EXPECT_TRUE(platform::folderWritable(app));
  EXPECT_FALSE(platform::folderWritable(app + "/kb_act/cstrike/kb_act.lst"));
  EXPECT_FALSE(platform::folderWritable(dir / "missing"));
}

#else
TEST_F(AppFoldersTest, AFolderThatCannotBeWrittenKeepsSettingsInAppData) {
  EXPECT_EQ(platform::configHome(), config);
  // A folder that cannot be written, as Program Files is to a user: here
  // one that is not there at all.
  const std::string programFiles = dir / "Program Files/Tunebelt";
  AppFolders quiet = findAppFolders(programFiles, false);
  EXPECT_EQ(quiet.settings, config + "\\Tunebelt");
  EXPECT_FALSE(fs::exists(test::fsPath(config))) << "a reading front end made the folder";
  AppFolders f = findAppFolders(programFiles, true);
  EXPECT_TRUE(fs::is_directory(test::fsPath(f.settings)));
  // %APPDATA% must be a full path; otherwise the shell's folder counts.
  env.set("APPDATA", "relative\\appdata");
  EXPECT_NE(platform::configHome(), "relative\\appdata");
  EXPECT_FALSE(platform::configHome().empty());
}

TEST_F(AppFoldersTest, WritableIsAskedOfTheSystemAndLeavesNothingBehind) {
  EXPECT_TRUE(platform::folderWritable(app));
  EXPECT_FALSE(platform::folderWritable(app + "/kb_act/cstrike/kb_act.lst"));
  EXPECT_FALSE(platform::folderWritable(dir / "missing"));
  EXPECT_EQ(std::distance(fs::directory_iterator(test::fsPath(app)), {}), 1);  // kb_act only
}
#endif

TEST(ExecutableFolder, IsTheFolderOfTheRunningTest) {
#ifdef _WIN32
  EXPECT_TRUE(fs::is_regular_file(test::fsPath(platform::executableFolder() + "/core_tests.exe")));
#else
  EXPECT_TRUE(fs::is_regular_file(platform::executableFolder() + "/core_tests"));
#endif
}

}  // namespace
}  // namespace tunebelt
