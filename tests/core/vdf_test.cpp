// The KeyValues reader: each corner of the format its own case, and every
// kind of damage giving nothing.
#include "core/modfolder/vdf.h"

#include <gtest/gtest.h>

namespace tunebelt {
namespace {

std::vector<VdfNode> parsed(std::string_view text) {
  VdfError error;
  auto pairs = ParseVdf(text, &error);
  EXPECT_TRUE(pairs.has_value()) << "line " << error.line << ": " << error.what;
  return pairs.value_or(std::vector<VdfNode>{});
}

VdfError damage(std::string_view text) {
  VdfError error;
  EXPECT_FALSE(ParseVdf(text, &error).has_value()) << text;
  return error;
}

TEST(Vdf, KeysValuesAndNestedBlocksInFileOrder) {
  auto pairs = parsed(
      "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/a\"\n\t}\n"
      "\t\"1\"\t\t\"/b\"\n}\n\"second\" \"x\"\n");
  ASSERT_EQ(pairs.size(), 2u);
  const VdfNode& top = pairs[0];
  EXPECT_TRUE(top.isBlock);
  ASSERT_EQ(top.children.size(), 2u);
  EXPECT_EQ(top.children[0].key, "0");
  ASSERT_NE(top.children[0].find("path"), nullptr);
  EXPECT_EQ(top.children[0].find("path")->value, "/a");
  EXPECT_FALSE(top.children[1].isBlock);
  EXPECT_EQ(top.children[1].value, "/b");
  EXPECT_EQ(pairs[1].key, "second");
}

TEST(Vdf, LookUpIgnoresCaseAndTakesTheFirstOfEqualKeys) {
  auto pairs = parsed("root { Path one PATH two }");
  ASSERT_EQ(pairs.size(), 1u);
  ASSERT_EQ(pairs[0].children.size(), 2u);  // both kept
  EXPECT_EQ(pairs[0].find("path")->value, "one");
  EXPECT_EQ(pairs[0].find("paths"), nullptr);
}

TEST(Vdf, EscapesInQuotedStrings) {
  auto pairs = parsed(R"("k" "C:\\Program Files\\Steam \"x\" a\nb\tc")");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].value, "C:\\Program Files\\Steam \"x\" a\nb\tc");
}

TEST(Vdf, ABackslashBeforeAnyOtherCharacterStays) {
  auto pairs = parsed(R"("k" "C:\Games\x" "k2" "end\\")");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].value, "C:\\Games\\x");
  EXPECT_EQ(pairs[1].value, "end\\");
}

TEST(Vdf, UnquotedWordsEndAtBlanksQuotesBracesAndTakeNoEscapes) {
  auto pairs = parsed("key value\nblock{a\"b\"}\nslash C:\\n\n");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].value, "value");
  ASSERT_TRUE(pairs[1].isBlock);
  EXPECT_EQ(pairs[1].key, "block");
  ASSERT_EQ(pairs[1].children.size(), 1u);
  EXPECT_EQ(pairs[1].children[0].key, "a");
  EXPECT_EQ(pairs[1].children[0].value, "b");
  EXPECT_EQ(pairs[2].value, "C:\\n");
}

TEST(Vdf, CommentsStartOnlyWhereATokenCould) {
  auto pairs = parsed("// header\n\"url\" \"http://x//y\" // note \"q\" {\nweb http://z\n//");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].value, "http://x//y");
  EXPECT_EQ(pairs[1].value, "http://z");
}

TEST(Vdf, QuotedStringsSpanLinesAndMayBeEmpty) {
  auto pairs = parsed("\"\" \"two\r\nlines\" \"e\" \"\"");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].key, "");
  EXPECT_EQ(pairs[0].value, "two\r\nlines");
  EXPECT_EQ(pairs[1].value, "");
}

TEST(Vdf, ConditionsAreReadPastNotEvaluated) {
  auto pairs = parsed("\"a\" \"1\" [$WIN32]\n\"b\" [!$X360] { \"c\" \"2\" [$LINUX] }");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].value, "1");
  ASSERT_TRUE(pairs[1].isBlock);
  EXPECT_EQ(pairs[1].children.at(0).value, "2");
}

TEST(Vdf, ByteOrderMarkIsSkippedAndAnEmptyTextHoldsNothing) {
  EXPECT_EQ(parsed("\xEF\xBB\xBF\"k\" \"v\"").at(0).key, "k");
  EXPECT_TRUE(parsed("").empty());
  EXPECT_TRUE(parsed(" \r\n\t// only a comment").empty());
}

TEST(Vdf, DamagedTextsGiveNothingAndSayWhere) {
  EXPECT_EQ(damage("\"a\"\n{\n\"b\" \"c\"\n").what, "a block is not closed");
  EXPECT_EQ(damage("\"a\" { }\n}").what, "a \"}\" closes no block");
  VdfError stray = damage("\"a\" \"b\"\n\n}");
  EXPECT_EQ(stray.line, 3);
  EXPECT_EQ(damage("\"a\" { \"b\" }").what, "a key has no value");
  EXPECT_EQ(damage("\"a\" \"b\" \"c\"").what, "a key has no value");
  EXPECT_EQ(damage("{ \"a\" \"b\" }").what, "a block has no key");
  EXPECT_EQ(damage("\"a\" [$WIN32 \"b\"").what, "a condition is not closed");
}

TEST(Vdf, AnUnclosedQuoteIsToldAtTheLineItOpens) {
  VdfError e = damage("\"a\" \"b\"\n\"c\" \"d\n\n\n");
  EXPECT_EQ(e.what, "a quote is not closed");
  EXPECT_EQ(e.line, 2);
  damage("\"a\" \"ends in an escape\\\"");
}

TEST(Vdf, ANulByteDamagesTheText) {
  using namespace std::string_view_literals;
  EXPECT_EQ(damage("\"a\" \"b\0c\""sv).what, "a NUL byte");
  damage("a b\0"sv);
}

TEST(Vdf, NestingIsBounded) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "k {";
    return text + std::string(static_cast<std::size_t>(depth), '}');
  };
  EXPECT_EQ(parsed(nested(kMaxVdfDepth)).size(), 1u);
  EXPECT_EQ(damage(nested(kMaxVdfDepth + 1)).what, "blocks are nested too deep");
  damage(nested(100000));
}

}  // namespace
}  // namespace tunebelt
