// The system's code page for text files and the settings file. On POSIX it
// is UTF-8, the program's own encoding, so both conversions are the identity.
// On Windows it is the ANSI code page (CP_ACP): the game reads its scripts in
// it, and file names go to the system as UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tunebelt::platform {

// Appends the UTF-8 bytes of one character.
inline void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

#ifdef _WIN32

// UTF-8 to the ANSI code page. A character the code page has no byte form
// for becomes "?" (never a look-alike letter: a file name written so would
// name another file).
std::string toCodePage(std::string_view utf8);
// The ANSI code page to UTF-8.
std::string fromCodePage(std::string_view bytes);
// True when every character of the text has its own form in the ANSI code
// page, so that it comes back unchanged from toCodePage and fromCodePage.
bool fitsCodePage(std::string_view utf8);
// The text in the ANSI code page, or in the Windows code page numbered
// `codePage`, when every character of it has its own form there (it comes
// back unchanged); nothing otherwise.
std::optional<std::string> toCodePageExactly(std::string_view utf8, unsigned codePage = 0);

// UTF-8 and the UTF-16 of the system's wide calls. A lone surrogate (a name
// Windows allows, though no text holds one) goes through both directions
// unchanged in its three-byte form, so a name listed from the disk always
// names the same entry again; a byte that is no UTF-8 becomes U+FFFD.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

#else

inline std::string toCodePage(std::string_view utf8) {
  return std::string(utf8);
}
// The same for a text that is not needed any more: taken over, not copied.
inline std::string toCodePage(std::string&& utf8) {
  return std::move(utf8);
}
inline std::string fromCodePage(std::string_view bytes) {
  return std::string(bytes);
}
inline bool fitsCodePage(std::string_view) {
  return true;
}

#endif

}  // namespace tunebelt::platform
