// Text made safe to print where a name could otherwise act or pose as
// something else: on a terminal (escape sequences), in lines of output (a
// newline in a name would start a line of its own), and before a reader's
// eyes (bidirectional controls turn text around).
#pragma once

#include <string>
#include <string_view>

namespace tunebelt {

// The text with everything escaped that a terminal would act on or that
// could pose as other text: C0 controls and DEL as "\xHH", C1 controls,
// bidirectional controls (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066
// to U+2069) and the line and paragraph separators as "\uHHHH", and each
// byte that is not part of a well-formed UTF-8 sequence (the Unicode
// standard's table of well-formed byte sequences: no overlong forms, no
// surrogates, nothing above U+10FFFF) as "\xHH". A newline stays when
// `keepNewlines` is set (a message of several lines) and becomes "\x0a"
// otherwise.
std::string PrintableText(std::string_view text, bool keepNewlines);

// A name or path put into a message or a line of output: nothing in it is
// acted on, and it never starts a line of its own.
inline std::string PrintableName(std::string_view name) {
  return PrintableText(name, false);
}

}  // namespace tunebelt
