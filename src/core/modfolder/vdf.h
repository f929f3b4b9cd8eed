// A reader of Valve's KeyValues text format (".vdf"), as Steam writes its
// libraryfolders.vdf:
//
//   "libraryfolders"          // a key and a block
//   {
//     "0" { "path" "C:\\Steam" }
//     "1" "D:\\Games"         // a key and a value
//   }
//
// - A token is a quoted string, an unquoted word, "{" or "}". A quoted string
//   may span lines; inside it "\\", "\"", "\n" and "\t" are escapes, and a
//   backslash before any other character stays as it is (so an unescaped
//   Windows path such as "C:\Games" reads as written).
// - An unquoted word runs up to white space, a quote, a brace or "[", and
//   takes no escapes; "//" inside it is part of it ("http://x").
// - "//" where a token could start begins a comment up to the end of the line.
// - A condition such as [$WIN32] is read past and not evaluated.
// - A leading UTF-8 byte order mark is skipped.
//
// The reader is all or nothing: a damaged text (a block not closed, a "}"
// that closes none, a key without a value, a block without a key, a quote not
// closed, a condition not closed, a NUL byte, blocks nested deeper than
// kMaxVdfDepth) gives no pairs at all, so no half-read file can hand out part
// of its content as if it were the whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt {

inline constexpr int kMaxVdfDepth = 64;

struct VdfNode {
  std::string key;
  std::string value;              // of a key and a value
  std::vector<VdfNode> children;  // of a key and a block, in file order
  bool isBlock = false;

  // The first child whose key equals `name`, ignoring ASCII case (as Valve's
  // own look-ups do); null when there is none.
  const VdfNode* find(std::string_view name) const;
};

// Whether two keys are the same as Valve's look-ups (and the game's reading
// of liblist.gam) take them: ignoring ASCII case.
bool KeysMatch(std::string_view a, std::string_view b);

// Where and why a text was found damaged; line numbers count from 1.
struct VdfError {
  int line = 0;
  std::string what;
};

// The top-level pairs of the text in file order; nothing when the text is
// damaged, with the reason in `error` when given.
std::optional<std::vector<VdfNode>> ParseVdf(std::string_view text, VdfError* error = nullptr);

}  // namespace tunebelt
