#include "core/scripts/tracknames.h"

#include <cstddef>

#include "platform/codepage.h"

namespace tunebelt {

namespace {

// Length in bytes of the UTF-8 character whose first byte is at `i`: the lead
// byte and the continuation bytes that follow it. A stray byte counts alone.
std::size_t CharLength(std::string_view s, std::size_t i) {
  auto lead = static_cast<unsigned char>(s[i]);
  std::size_t want = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  std::size_t n = 1;
  while (n < want && i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) {
    ++n;
  }
  return n;
}

bool IsControl(std::string_view ch) {
  if (ch.size() != 1) return false;
  auto c = static_cast<unsigned char>(ch[0]);
  return c < 0x20 || c == 0x7F;
}

// The name with every character for which `drop` is true left out; the
// characters are whole UTF-8 sequences, so no multi-byte letter is split.
template <typename Drop>
std::string Without(std::string_view name, Drop drop) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    std::size_t n = CharLength(name, i);
    std::string_view ch = name.substr(i, n);
    if (!drop(ch)) out.append(ch);
    i += n;
  }
  return out;
}

constexpr std::string_view kPound = "\xC2\xA3";
// The ASCII characters a cleaned name never holds (besides control codes).
// Quotes and ";" would end the quoted alias; "(", ")", "'", ",", "{", "}" and
// ":" are words of their own to the console's tokenizer, so a path holding
// one would reach the mp3 command cut in two. A "\\" can be part of a Linux
// file name, but GoldSrc's file system reads it as a separator and would look
// for the track in a folder that is not there.
constexpr std::string_view kCleanDropped = " '`=-+_!\"$%^&*();,{}:\\";
constexpr std::string_view kSayDropped = "\";";

}  // namespace

std::string CleanTrackName(std::string_view displayName) {
  return Without(displayName, [](std::string_view ch) {
    if (ch == kPound || IsControl(ch)) return true;
#ifdef _WIN32
    // The game opens its tracks by names in the ANSI code page: a letter the
    // code page has no byte for would name a file it cannot find.
    if (ch.size() > 1 && !platform::fitsCodePage(ch)) return true;
    // Nor may a Windows file name hold these.
    if (ch.size() == 1 && std::string_view("<>|?").find(ch[0]) != std::string_view::npos) {
      return true;
    }
#endif
    return ch.size() == 1 && kCleanDropped.find(ch[0]) != std::string_view::npos;
  });
}

std::string SayTrackName(std::string_view displayName) {
  return Without(displayName, [](std::string_view ch) {
    if (IsControl(ch)) return true;
    return ch.size() == 1 && kSayDropped.find(ch[0]) != std::string_view::npos;
  });
}

std::string ModFolderName(std::string_view path) {
  std::size_t pos = path.find_last_of("\\/");
  if (pos == std::string_view::npos) return {};
  return std::string(path.substr(pos + 1));
}

bool TrimModFolder(std::string& modFolder) {
  if (modFolder.empty()) return false;
  char last = modFolder.back();
  if (last != '\\' && last != '/') return false;
  modFolder.pop_back();
  return true;
}

}  // namespace tunebelt
