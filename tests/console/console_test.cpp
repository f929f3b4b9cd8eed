// The console model's own rules, each with the case that shows it, so that a
// change to the model cannot quietly make the script tests easier to pass.
#include "console/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "test_util.h"

namespace tunebelt::console {
namespace {

using Argv = std::vector<std::string>;

TEST(ConsoleModel, CommandsEndAtSemicolonsOutsideQuotesAndAtEveryNewline) {
  EXPECT_EQ(CommandEnd("alias a \"b; c\"; d"), 14u);
  EXPECT_EQ(CommandEnd("echo \"x\ny\""), 7u);
  EXPECT_EQ(CommandEnd("echo x"), 6u);
}

TEST(ConsoleModel, TokenizerSplitsAtEachEnginesSingleCharacters) {
  const std::string line = R"(mp3 play mp3s\Hello,World{1}(a)'b':c.mp3)";
  EXPECT_EQ(Tokenize(GoldSrc(), line).argv,
            (Argv{"mp3", "play", "mp3s\\Hello", ",", "World", "{", "1", "}", "(", "a", ")", "'",
                  "b", "'", ":", "c.mp3"}));
  EXPECT_EQ(Tokenize(Xash3D(), line).argv,
            (Argv{"mp3", "play", "mp3s\\Hello", ",", "World", "{", "1", "}", "(", "a", ")", "'",
                  "b", "'", ":c.mp3"}));
  // Inside quotes nothing splits; "//" outside them ends the command.
  EXPECT_EQ(Tokenize(Xash3D(), "alias x \"a,b: c\" // d").argv, (Argv{"alias", "x", "a,b: c"}));
  // Bytes of 0x80 and above are letters; the raw rest is what say takes.
  Tokens say = Tokenize(GoldSrc(), "say  listening to Café, Olé");
  EXPECT_EQ(say.argv, (Argv{"say", "listening", "to", "Café", ",", "Olé"}));
  EXPECT_EQ(say.args, "listening to Café, Olé");
}

TEST(ConsoleModel, TokenizerKeepsEightyTokensAndGoldSrcEmptiesLongQuotes) {
  std::string many = "say";
  for (int i = 0; i < 100; ++i) many += " w" + std::to_string(i);
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    Tokens t = Tokenize(*p, many);
    ASSERT_EQ(t.argv.size(), 80u);
    EXPECT_EQ(t.argv.back(), "w78");
    EXPECT_EQ(t.args, many.substr(4));
  }
  const std::string q514(514, 'q'), q515(515, 'q');
  EXPECT_EQ(Tokenize(GoldSrc(), "alias a \"" + q514 + "\"").argv[2], q514);
  EXPECT_EQ(Tokenize(GoldSrc(), "alias a \"" + q515 + "\"").argv[2], "");
  EXPECT_EQ(Tokenize(Xash3D(), "alias a \"" + q515 + "\"").argv[2], q515);
}

// Xash3D draws "^" and a digit as a colour code and shows neither; a "^"
// before anything else is shown. GoldSrc shows the text as it is.
TEST(ConsoleModel, Xash3DHidesColourCodesInWhatItPrints) {
  EXPECT_EQ(Printed(Xash3D(), "^1Red ^7White.mp3"), "Red White.mp3");
  EXPECT_EQ(Printed(Xash3D(), "^^1x ^a ^"), "^x ^a ^");
  EXPECT_EQ(Printed(GoldSrc(), "^1Red ^7White.mp3"), "^1Red ^7White.mp3");
  test::TempDir mod;
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    Console c(*p, mod.path());
    c.run("echo \"^2Green\"; say ^3Blue");
    EXPECT_EQ(c.echoes(), Argv{p->colourCodes ? "Green" : "^2Green"});
    ASSERT_EQ(c.calls().size(), 1u);
    EXPECT_EQ(c.calls()[0].args, "^3Blue");
    EXPECT_EQ(c.calls()[0].shown, p->colourCodes ? "Blue" : "^3Blue");
  }
}

TEST(ConsoleModel, FallbackLinesEndAtNewlinesAndHighBytes) {
  EXPECT_EQ(FallbackLines("a\r\nsay Caf\xC3\xA9 Ol\xC3\xA9 x\nb"),
            (Argv{"a\r", "say Caf", "", " Ol", "", " x", "b"}));
}

class ConsoleRun : public ::testing::Test {
 protected:
  test::TempDir mod_;
  void file(const std::string& name, const std::string& text) {
    test::writeFile(mod_ / name, text);
  }
};

TEST_F(ConsoleRun, AliasesRunTheirCommandsAndCanRedefineEachOther) {
  file("a.cfg", "alias next \"alias next two; say one\"\r\nalias two \"say two\"\r\n");
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    Console c(*p, mod_.path());
    c.run("exec a.cfg");
    c.run("next");
    c.run("NEXT");
    c.run("nothing");
    ASSERT_EQ(c.calls().size(), 2u);
    EXPECT_EQ(c.calls()[0].args, "one");
    EXPECT_EQ(c.calls()[1].args, "two");
    EXPECT_EQ(c.problems(), Argv{"Unknown command: nothing"});
    EXPECT_EQ(c.execs(), Argv{"a.cfg: whole"});
  }
}

TEST_F(ConsoleRun, BackslashSeparatesForGoldSrcAndForXash3DOnlyOnWindows) {
  file("mp3s/probe.cfg", "echo found\n");
  Console gold(GoldSrc(), mod_.path());
  gold.run("exec mp3s\\probe.cfg");
  EXPECT_EQ(gold.echoes(), Argv{"found"});
  Console xash(Xash3D(), mod_.path());
  xash.run("exec mp3s\\probe.cfg; exec mp3s/probe.cfg");
  if (platform::kSep == '/') {
    EXPECT_EQ(xash.echoes(), Argv{"found"});
    EXPECT_EQ(xash.problems(), Argv{"couldn't exec mp3s\\probe.cfg"});
  } else {
    EXPECT_EQ(xash.echoes(), (Argv{"found", "found"}));
  }
}

// A file goes in whole while the bytes still waiting plus the file stay under
// the buffer (GoldSrc counts two more). Otherwise Xash3D drops it and GoldSrc
// feeds it line by line, where a high byte ends the line.
TEST_F(ConsoleRun, AFileThatDoesNotFitIsDroppedOrFedLineByLine) {
  const std::string say = "say Caf\xC3\xA9 Ol\xC3\xA9\r\n";
  const std::string waiting = "\necho after\n";  // what is left once exec runs
  for (const Profile* p : {&GoldSrc(), &Xash3D()}) {
    SCOPED_TRACE(p->name);
    // Once exec has run, waiting.size() - 1 bytes wait in the buffer.
    const std::size_t fits = p->bufferSize - p->insertSlack - waiting.size();
    const std::size_t pad = fits - say.size();
    file("fits.cfg", say + std::string(pad, ' '));
    file("big.cfg", say + std::string(pad + 1, ' '));

    Console c(*p, mod_.path());
    c.run("exec fits.cfg" + waiting);
    c.run("exec big.cfg" + waiting);
    EXPECT_EQ(c.execs()[0], "fits.cfg: whole");
    ASSERT_GE(c.calls().size(), 1u);
    EXPECT_EQ(c.calls()[0].args, "Caf\xC3\xA9 Ol\xC3\xA9");
    EXPECT_EQ(c.echoes(), (Argv{"after", "after"}));
    if (p->lineByLineFallback) {
      EXPECT_EQ(c.execs()[1], "big.cfg: line by line");
      ASSERT_EQ(c.calls().size(), 2u);
      EXPECT_EQ(c.calls()[1].args, "Caf");
      EXPECT_EQ(c.problems(), (Argv{"Unknown command: Ol"}));
    } else {
      EXPECT_EQ(c.execs()[1], "big.cfg: dropped");
      EXPECT_EQ(c.calls().size(), 1u);
      EXPECT_EQ(c.problems(), (Argv{"big.cfg does not fit the command buffer and was dropped"}));
    }
  }
}

TEST_F(ConsoleRun, AnAliasThatCallsItselfIsStopped) {
  Console c(Xash3D(), mod_.path());
  c.run("alias loop \"say x; loop\"; loop");
  ASSERT_EQ(c.problems().size(), 1u);
  EXPECT_EQ(c.problems()[0].rfind("runaway", 0), 0u);
}

}  // namespace
}  // namespace tunebelt::console
