#include "core/state/printable.h"

#include <gtest/gtest.h>

#include <string>

namespace tunebelt {
namespace {

struct Case {
  const char* what;
  std::string text;
  std::string shown;
};

// Each corner of the table of well-formed UTF-8 byte sequences, on both
// sides of its edge, and each kind of character that acts on a terminal.
TEST(PrintableText, EscapesWhatActsOrIsNoCharacterAndKeepsTheRest) {
  const Case cases[] = {
      {"plain text, accents, a backslash",
       "\xc3\x84rger \xc3\xbc"
       "ber AC\\DC",
       "\xc3\x84rger \xc3\xbc"
       "ber AC\\DC"},
      {"C0 controls and DEL", "a\x1b[2J\x07\t\r\x7f", "a\\x1b[2J\\x07\\x09\\x0d\\x7f"},
      {"C1 controls (CSI, NEL)",
       "\xc2\x9b"
       "2J\xc2\x85",
       "\\u009b2J\\u0085"},
      {"the first characters after C1", "\xc2\xa0\xc2\xbf", "\xc2\xa0\xc2\xbf"},
      {"bidirectional controls",
       "\xd8\x9c\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\xaa\xe2\x80\xae\xe2\x81\xa6\xe2\x81\xa9",
       "\\u061c\\u200e\\u200f\\u202a\\u202e\\u2066\\u2069"},
      {"their neighbours are ordinary",
       "\xd8\x9b\xd8\x9d\xe2\x80\x8d\xe2\x80\x90\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa",
       "\xd8\x9b\xd8\x9d\xe2\x80\x8d\xe2\x80\x90\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa"},
      {"line and paragraph separators",
       "a\xe2\x80\xa8"
       "b\xe2\x80\xa9",
       "a\\u2028b\\u2029"},
      {"overlong ESC in two and three bytes", "\xc1\x9b\xe0\x80\x9b", "\\xc1\\x9b\\xe0\\x80\\x9b"},
      {"the smallest three-byte form", "\xe0\xa0\x80", "\xe0\xa0\x80"},
      {"surrogates", "\xed\xa0\x80\xed\xbf\xbf", "\\xed\\xa0\\x80\\xed\\xbf\\xbf"},
      {"just below the surrogates", "\xed\x9f\xbf", "\xed\x9f\xbf"},
      {"overlong four-byte form", "\xf0\x8f\xbf\xbf", "\\xf0\\x8f\\xbf\\xbf"},
      {"the smallest four-byte form", "\xf0\x90\x80\x80", "\xf0\x90\x80\x80"},
      {"U+10FFFF, and above it", "\xf4\x8f\xbf\xbf\xf4\x90\x80\x80",
       "\xf4\x8f\xbf\xbf\\xf4\\x90\\x80\\x80"},
      {"bytes that never start a character", "\x80\xbf\xf5\xff", "\\x80\\xbf\\xf5\\xff"},
      {"a sequence cut short by the end", "a\xe2\x82", "a\\xe2\\x82"},
      {"a sequence cut short by a new one", "\xe2\x82\xc3\xa4", "\\xe2\\x82\xc3\xa4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrintableText(c.text, true), c.shown) << c.what;
    EXPECT_EQ(PrintableName(c.text), c.shown) << c.what;
  }
}

TEST(PrintableText, NewlinesStayOnlyInMessagesOfSeveralLines) {
  const std::string name = "x\nTunebelt: Complete\n.mp3";
  EXPECT_EQ(PrintableText("two\n" + name, true), "two\nx\nTunebelt: Complete\n.mp3");
  EXPECT_EQ(PrintableName(name), "x\\x0aTunebelt: Complete\\x0a.mp3");
  EXPECT_EQ(PrintableText("two\n" + PrintableName(name), true),
            "two\nx\\x0aTunebelt: Complete\\x0a.mp3");
}

}  // namespace
}  // namespace tunebelt
