#include "core/scripts/keybindings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "platform/fs.h"
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

const std::string kRule = R"("blank"	"=========================")";

Lines Plus(Lines lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

TEST(ControlsSection, IsTheFourteenLines) {
  EXPECT_EQ(ControlsSection(), kSection);
}

TEST(RewriteKeyBindings, KeepsNonEmptyLinesThenAppendsTheSection) {
  const Lines old = {R"("+forward"	"Move forward")", "", "", R"("+back"	"Move back")", " "};
  EXPECT_EQ(RewriteKeyBindings(old),
            Plus({R"("+forward"	"Move forward")", R"("+back"	"Move back")", " "}, kSection));
  EXPECT_EQ(RewriteKeyBindings({}), kSection);
}

TEST(RewriteKeyBindings, SavingTwiceEqualsSavingOnce) {
  const Lines old = {R"("blank"	"Movement")", R"("+jump"	"Jump")"};
  const Lines once = RewriteKeyBindings(old);
  EXPECT_EQ(RewriteKeyBindings(once), once);
  EXPECT_EQ(once, Plus(old, kSection));
}

// The old section goes from where it stood, with the rule above its heading;
// the next section (a line whose characters 2 to 6 read "blank") stays.
TEST(RewriteKeyBindings, OldSectionInTheMiddleIsMovedToTheEnd) {
  const Lines old = {
      R"("+jump"	"Jump")",
      kRule,
      R"("blank"	"MP3 Player Controls")",
      kRule,
      R"("playtrack"	"Play Track")",
      "",
      R"("gvoldown"	"Game Volume Down")",
      R"("blank"	"Weapons")",
      R"("slot1"	"Weapon 1")",
  };
  EXPECT_EQ(
      RewriteKeyBindings(old),
      Plus({R"("+jump"	"Jump")", R"("blank"	"Weapons")", R"("slot1"	"Weapon 1")"}, kSection));
}

// The section line that ends an old section is read under the same rule, so
// a second old section right after it goes too.
TEST(RewriteKeyBindings, TwoOldSectionsInARowBothGo) {
  const Lines old = Plus(Plus({R"("+jump"	"Jump")"}, kSection), kSection);
  EXPECT_EQ(RewriteKeyBindings(old), Plus({R"("+jump"	"Jump")"}, kSection));
}

TEST(RewriteKeyBindings, HeadingOnTheFirstLineRemovesNothingBeforeIt) {
  const Lines old = {R"("blank"	"MP3 Player Controls")", kRule, R"("playtrack"	"Play Track")",
                     R"("blank"	"Chat")", R"("say"	"Say")"};
  EXPECT_EQ(RewriteKeyBindings(old),
            Plus({R"("blank"	"Chat")", R"("say"	"Say")"}, kSection));
}

TEST(RewriteKeyBindings, HeadingOrRuleOnTheLastLineEndsTheRead) {
  const Lines a = {R"("+jump"	"Jump")", kRule, R"("blank"	"MP3 Player Controls")"};
  EXPECT_EQ(RewriteKeyBindings(a), Plus({R"("+jump"	"Jump")"}, kSection));
  const Lines b = {R"("+jump"	"Jump")", kRule, R"("blank"	"MP3 Player Controls")", kRule};
  EXPECT_EQ(RewriteKeyBindings(b), Plus({R"("+jump"	"Jump")"}, kSection));
}

// The heading text anywhere in a line marks it; "blank" must stand at
// characters 2 to 6, not merely appear.
TEST(RewriteKeyBindings, MatchesHeadingAnywhereAndBlankOnlyAtItsPlace) {
  const Lines old = {R"("a"	"A")",
                     "x",
                     "// MP3 Player Controls //",
                     "dropped",
                     R"(  "blank" no)",
                     "blank at start",
                     R"(Xblank	"Kept")"};
  EXPECT_EQ(RewriteKeyBindings(old),
            Plus({R"("a"	"A")", R"(Xblank	"Kept")"}, kSection));
}

class WriteKeyBindingsTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string app = dir / "app";
  const std::string stock = crlf({R"("blank"	"Stock")", "", R"("+attack"	"Fire")"});

  void SetUp() override { writeFile(app + "/kb_act/cstrike/kb_act.lst", stock); }
  std::string ListOf(const std::string& mod) { return test::native(mod + "/gfx/shell/kb_act.lst"); }
};

TEST_F(WriteKeyBindingsTest, WorkedExample) {
  const std::string mod = dir / "cstrike";
  writeFile(ListOf(mod), "\"+forward\"\t\"Forward\"\r\n\r\n\"+back\"\t\"Back\"");
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
  EXPECT_EQ(readFile(ListOf(mod)),
            crlf(Plus({"\"+forward\"\t\"Forward\"", "\"+back\"\t\"Back\""}, kSection)));
  // A second save gives the same bytes.
  const std::string once = readFile(ListOf(mod));
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
  EXPECT_EQ(readFile(ListOf(mod)), once);
}

TEST_F(WriteKeyBindingsTest, MissingListOfAStockModIsCopiedFirst) {
  const std::string mod = dir / "cstrike";
  std::filesystem::create_directory(mod);
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
  EXPECT_EQ(readFile(ListOf(mod)),
            crlf(Plus({R"("blank"	"Stock")", R"("+attack"	"Fire")"}, kSection)));
  EXPECT_EQ(readFile(app + "/kb_act/cstrike/kb_act.lst"), stock);  // the stock list stays
}

TEST_F(WriteKeyBindingsTest, MissingListWithoutAStockListGetsTheSectionAlone) {
  for (const char* name : {"Cstrike", "cstrike2", "mymod"}) {
    const std::string mod = dir / name;
    std::filesystem::create_directory(mod);
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
    EXPECT_EQ(readFile(ListOf(mod)), crlf(kSection)) << name;
  }
}

TEST_F(WriteKeyBindingsTest, AnExistingListIsNeverReplacedByTheStockOne) {
  const std::string mod = dir / "cstrike";
  writeFile(ListOf(mod), "\"+use\"\t\"Use\"\r\n");
  WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
  EXPECT_EQ(readFile(ListOf(mod)), crlf(Plus({"\"+use\"\t\"Use\""}, kSection)));
}

TEST_F(WriteKeyBindingsTest, AMissingStockFileThrowsNamingIt) {
  const std::string mod = dir / "dod";
  std::filesystem::create_directory(mod);
  try {
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
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
    WriteKeyBindings(test::PlanFromDisk({}, mod, app), nullptr);
    FAIL() << "no FsError";
  } catch (const platform::FsError& e) {
    EXPECT_EQ(e.path(), ListOf(mod));
  }
  EXPECT_EQ(readFile(ListOf(mod)), content);
}

}  // namespace
}  // namespace tunebelt
