#include "core/modfolder/remember.h"

#include <gtest/gtest.h>

#include "recording_host.h"

namespace tunebelt {
namespace {

using test::RecordingHost;

TEST(RememberModFolder, TheSameFolderIsRememberedOnce) {
  ProgramState state;
  RecordingHost host;
  EXPECT_TRUE(RememberModFolder(state, "D:\\Games\\cstrike", host));
  EXPECT_FALSE(RememberModFolder(state, "D:\\Games\\cstrike", host));
  EXPECT_TRUE(RememberModFolder(state, "D:\\Games\\valve", host));
  EXPECT_EQ(state.ModFolders, (std::vector<std::string>{"D:\\Games\\cstrike", "D:\\Games\\valve"}));
  EXPECT_EQ(host.rememberedFolders, state.ModFolders);
}

TEST(RememberModFolder, ComparisonIsExact) {
  ProgramState state;
  RecordingHost host;
  RememberModFolder(state, "D:\\Games\\cstrike", host);
  EXPECT_TRUE(RememberModFolder(state, "d:\\games\\cstrike", host));
  EXPECT_TRUE(RememberModFolder(state, "D:\\Games\\cstrike ", host));
  EXPECT_EQ(state.ModFolderCount(), 3);
}

TEST(RememberModFolder, APathTooLongForItsRecordIsRefused) {
  ProgramState state;
  RecordingHost host;
  EXPECT_FALSE(RememberModFolder(state, "/" + std::string(126, 'a'), host));  // 127 bytes
  EXPECT_TRUE(RememberModFolder(state, "/" + std::string(125, 'a'), host));   // 126 bytes
  // Bytes of the code page count, not characters: in UTF-8, 63 two-byte
  // letters and "/" make 127; in the ANSI code page of Windows, 64.
  std::string umlauts = "/";
  for (int i = 0; i < 63; ++i) umlauts += "\xC3\xB6";
#ifndef _WIN32
  EXPECT_FALSE(RememberModFolder(state, umlauts, host));
#else
  EXPECT_FALSE(RememberModFolder(state, umlauts + std::string(63, 'a'), host));
  // A folder the code page cannot spell would come back as another one.
  EXPECT_FALSE(RememberModFolder(state, "C:\\\xE6\x97\xA5\\cstrike", host));
#endif
  EXPECT_EQ(state.ModFolderCount(), 1);
  EXPECT_EQ(host.rememberedFolders.size(), 1u);
}

TEST(RememberModFolder, TheHundredAndFirstIsRefused) {
  ProgramState state;
  RecordingHost host;
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(RememberModFolder(state, "/mod" + std::to_string(i), host));
  EXPECT_FALSE(RememberModFolder(state, "/mod100", host));
  EXPECT_EQ(state.ModFolderCount(), 100);
  EXPECT_EQ(host.rememberedFolders.size(), 100u);
}

}  // namespace
}  // namespace tunebelt
