#include "core/scripts/keybindings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "platform/fs.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

using Lines = std::vector<std::string>;
using test::crlf;
using test::readFile;
using test::writeFile;

const Lines kSection = {
    R"("blank"            "=========================")",
    R"("blank"            "MP3 Player Controls")",
    R"("blank"            "=========================")",
    R"("playtrack"            "Play Track")",
    R"("looptrack"            "Loop Track")",
    R"("mp3 stop"            "Stop Playback")",
    R"("nexttracks"            "Next Track")",
    R"("prevtrack"            "Previous Track")",
    R"("saytrack"            "Say Track")",
    R"("tsaytrack"            "Team Say Track")",
    R"("mp3volup"            "MP3 Volume Up")",
    R"("mp3voldown"            "MP3 Volume Down")",
    R"("gvolup"            "Game Volume Up")",
    R"("gvoldown"            "Game Volume Down")",
};

const std::string kSectionText = crlf(kSection);

TEST(ControlsSection, IsTheFourteenLines) {
  EXPECT_EQ(ControlsSection(), kSection);
}

// The player's lines, blank ones and their line ends included, stay as they
// are; the section follows them.
TEST(KeyBindingsText, KeepsThePlayersBytesThenAppendsTheSection) {
  EXPECT_EQ(KeyBindingsText(""), kSectionText);
  const std::string crLf = "\"+forward\"\t\"Move\"\r\n\r\n \r\n\"+back\"\t\"Back\"\r\n";
  EXPECT_EQ(KeyBindingsText(crLf), crLf + kSectionText);
  const std::string lf = "\"+forward\"\t\"Move\"\n\n\"+back\"\t\"Back\"\n";
  EXPECT_EQ(KeyBindingsText(lf), lf + kSectionText);
  const std::string cr = "a\rb\r";
  EXPECT_EQ(KeyBindingsText(cr), cr + kSectionText);
  // A last line without a line end gets the player's own one.
  EXPECT_EQ(KeyBindingsText("a\nb"), "a\nb\n" + kSectionText);
  EXPECT_EQ(KeyBindingsText("a"), "a\r\n" + kSectionText);
}

// Saving again finds the section it wrote, takes it out and appends it
// again: a line the player added after it stays, before the new section.
TEST(KeyBindingsText, SavingAgainMovesOnlyTheSection) {
  const std::string player = "\"+jump\"\tJump\n\n";
  const std::string once = KeyBindingsText(player);
  EXPECT_EQ(KeyBindingsText(once), once);
  const std::string added = once + "\"+duck\"\tDuck\n";
  EXPECT_EQ(KeyBindingsText(added), player + "\"+duck\"\tDuck\n" + kSectionText);
  // The removal gives back the player's lines, the added one too.
  bool found = false;
  EXPECT_EQ(WithoutControlsSection(KeyBindingsText(added), &found), player + "\"+duck\"\tDuck\n");
  EXPECT_TRUE(found);
}

// A section is the 14 lines exactly, whatever their line ends (an editor may
// have turned them into LF); sections of older saves are the same lines.
TEST(WithoutControlsSection, TakesOnlyWholeSectionsWithTheirLineEnds) {
  std::string lfSection;
  for (const std::string& line : kSection) lfSection += line + "\n";
  bool found = false;
  EXPECT_EQ(
      WithoutControlsSection("a\r\n" + kSectionText + "b\r\n" + lfSection + lfSection, &found),
      "a\r\nb\r\n");
  EXPECT_TRUE(found);
  // The section as the last lines of a file without a final line end.
  std::string last = kSectionText;
  last.resize(last.size() - 2);
  EXPECT_EQ(WithoutControlsSection("x\n" + last), "x\n");

  // Anything short of the 14 lines, or a line that differs, is the player's.
  Lines partial = kSection;
  partial.pop_back();
  Lines changed = kSection;
  changed[5] = R"("mp3 stop"            "Stop")";
  for (const std::string& text : {crlf(partial), crlf(changed), " " + kSectionText,
                                  std::string("\"blank\"\t\"MP3 Player Controls\"\r\n")}) {
    EXPECT_EQ(WithoutControlsSection(text, &found), text);
    EXPECT_FALSE(found);
    EXPECT_EQ(KeyBindingsText(text), text + kSectionText);
  }
}

class WriteKeyBindingsTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::RecordingHost host;
  std::string app = dir / "app";
  const std::string stock = crlf({R"("blank"	"Stock")", "", R"("+attack"	"Fire")"});

  void SetUp() override { writeFile(app + "/kb_act/cstrike/kb_act.lst", stock); }
  std::string ListOf(const std::string& mod) { return test::native(mod + "/gfx/shell/kb_act.lst"); }
};

TEST_F(WriteKeyBindingsTest, WorkedExample) {
  const std::string mod = dir / "cstrike";
  writeFile(ListOf(mod), "\"+forward\"\t\"Forward\"\r\n\r\n\"+back\"\t\"Back\"");
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
  EXPECT_EQ(readFile(ListOf(mod)),
            "\"+forward\"\t\"Forward\"\r\n\r\n\"+back\"\t\"Back\"\r\n" + kSectionText);
  // A second save gives the same bytes.
  const std::string once = readFile(ListOf(mod));
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
  EXPECT_EQ(readFile(ListOf(mod)), once);
}

TEST_F(WriteKeyBindingsTest, MissingListOfAStockModIsCopiedFirst) {
  const std::string mod = dir / "cstrike";
  std::filesystem::create_directory(mod);
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
  EXPECT_EQ(readFile(ListOf(mod)), stock + kSectionText);
  EXPECT_EQ(readFile(app + "/kb_act/cstrike/kb_act.lst"), stock);  // the stock list stays
}

TEST_F(WriteKeyBindingsTest, MissingListWithoutAStockListGetsTheSectionAlone) {
  for (const char* name : {"Cstrike", "cstrike2", "mymod"}) {
    const std::string mod = dir / name;
    std::filesystem::create_directory(mod);
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
    EXPECT_EQ(readFile(ListOf(mod)), crlf(kSection)) << name;
  }
}

TEST_F(WriteKeyBindingsTest, AnExistingListIsNeverReplacedByTheStockOne) {
  const std::string mod = dir / "cstrike";
  writeFile(ListOf(mod), "\"+use\"\t\"Use\"\r\n");
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
  EXPECT_EQ(readFile(ListOf(mod)), "\"+use\"\t\"Use\"\r\n" + kSectionText);
}

TEST_F(WriteKeyBindingsTest, AMissingStockFileThrowsNamingIt) {
  const std::string mod = dir / "dod";
  std::filesystem::create_directory(mod);
  try {
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), test::native(app + "/kb_act/dod/kb_act.lst"));
  }
}

TEST_F(WriteKeyBindingsTest, AReadOnlyListThrowsAndKeepsItsBytes) {
  const std::string mod = dir / "cstrike";
  const std::string content = "\"+use\"\t\"Use\"\n\n";
  writeFile(ListOf(mod), content);
  ASSERT_TRUE(test::setReadOnly(ListOf(mod), true));
  try {
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), host, nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), ListOf(mod));
  }
  EXPECT_EQ(readFile(ListOf(mod)), content);
}

}  // namespace
}  // namespace tunebelt
