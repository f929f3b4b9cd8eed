#include "core/scripts/tracknames.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <set>
#include <unordered_set>

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

bool IsControlByte(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

bool IsControl(std::string_view ch) {
  return ch.size() == 1 && IsControlByte(static_cast<unsigned char>(ch[0]));
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
// The bytes the console treats specially, which no byte of a character
// written in more than one byte may be.
constexpr std::string_view kSpecialBytes = "\\/\";{}()',:";
constexpr std::string_view kSayDropped = "\";";
constexpr std::string_view kExtension = ".mp3";
// A copy's name in bytes: the most a file name may hold.
constexpr std::size_t kLongestName = 255;

bool HasSpecialByte(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    return IsControlByte(static_cast<unsigned char>(c)) ||
           kSpecialBytes.find(c) != std::string_view::npos;
  });
}

// The code point of a UTF-8 character, or 0 when it is not a well-formed one
// of up to three bytes (none of those folds).
char32_t CodePoint(std::string_view ch) {
  const auto b = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(ch[k]));
  };
  if (ch.size() == 1) return b(0) < 0x80 ? b(0) : 0;
  if (ch.size() == 2 && b(0) >= 0xC2) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if (ch.size() == 3 && b(0) >= 0xE0) {
    return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  }
  return 0;
}

// The simple lower-case form of the letters that have one in the ranges
// names are commonly written in.
char32_t Folded(char32_t c) {
  const auto between = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
  if (between('A', 'Z')) return c + 0x20;
  if (between(0xC0, 0xDE) && c != 0xD7) return c + 0x20;  // Latin-1
  if ((between(0x100, 0x137) || between(0x14A, 0x177)) && c % 2 == 0) return c + 1;
  if ((between(0x139, 0x148) || between(0x179, 0x17E)) && c % 2 == 1) return c + 1;
  if (c == 0x178) return 0xFF;
  if (between(0x391, 0x3A9) && c != 0x3A2) return c + 0x20;  // Greek
  if (between(0x410, 0x42F)) return c + 0x20;                // Cyrillic
  if (between(0x400, 0x40F)) return c + 0x50;
  if (between(0xFF21, 0xFF3A)) return c + 0x20;  // full-width Latin
  return c;
}

bool EndsWith(std::string_view name, std::string_view extension) {
  return name.size() >= extension.size() &&
         FoldCase(name.substr(name.size() - extension.size())) == extension;
}

// The length of the name's track extension: ".mp3", or that of a format a
// save converts into an MP3 (its copy is an MP3 too); 0 for none.
std::size_t TrackExtensionLength(std::string_view name) {
  constexpr std::string_view kExtensions[] = {kExtension, ".flac", ".ogg", ".opus", ".m4a", ".wav"};
  for (std::string_view e : kExtensions) {
    if (EndsWith(name, e)) return e.size();
  }
  return 0;
}

// The device names Windows reserves, whatever follows them after a ".".
bool IsReservedName(std::string_view name) {
  static const std::set<std::string, std::less<>> kReserved = [] {
    std::set<std::string, std::less<>> names = {"con", "prn", "aux", "nul"};
    for (char d = '1'; d <= '9'; ++d) {
      names.insert(std::string("com") + d);
      names.insert(std::string("lpt") + d);
    }
    return names;
  }();
  const std::string_view base = name.substr(0, name.find('.'));
  return (base.size() == 3 || base.size() == 4) && kReserved.count(FoldCase(base)) > 0;
}

// The stem cut, at a character's end, so that it, `suffix` and ".mp3" fit a
// file name.
std::string Fitted(std::string_view stem, std::string_view suffix) {
  const std::size_t room = kLongestName - kExtension.size() - suffix.size();
  std::size_t end = 0;
  while (end < stem.size()) {
    const std::size_t n = CharLength(stem, end);
    if (end + n > room) break;
    end += n;
  }
  return std::string(stem.substr(0, end)) + std::string(suffix) + std::string(kExtension);
}

}  // namespace

const CodePage& GameCodePage() {
  static const CodePage codePage = [](std::string_view ch) -> std::optional<std::string> {
#ifdef _WIN32
    return platform::toCodePageExactly(ch);
#else
    return std::string(ch);
#endif
  };
  return codePage;
}

std::string CleanTrackName(std::string_view displayName, const CodePage& codePage) {
  return Without(displayName, [&codePage](std::string_view ch) {
    if (ch == kPound || IsControl(ch)) return true;
    if (ch.size() == 1 && kCleanDropped.find(ch[0]) != std::string_view::npos) return true;
#ifdef _WIN32
    // Nor may a Windows file name hold these.
    if (ch.size() == 1 && std::string_view("<>|?").find(ch[0]) != std::string_view::npos) {
      return true;
    }
#endif
    if (ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x80) return false;
    // The game opens its tracks by their names in its code page: a letter the
    // code page has no bytes for would name a file it cannot find.
    const std::optional<std::string> bytes = codePage(ch);
    return !bytes || bytes->empty() || (bytes->size() > 1 && HasSpecialByte(*bytes));
  });
}

std::string SayTrackName(std::string_view displayName) {
  std::string kept = Without(displayName, [](std::string_view ch) {
    if (IsControl(ch)) return true;
    return ch.size() == 1 && kSayDropped.find(ch[0]) != std::string_view::npos;
  });
  if (kept.find('^') == std::string::npos) return kept;
  // From the end, so that "^^1" loses both carets: each one that comes to
  // stand before a digit goes. No byte of a UTF-8 sequence is a "^" or a
  // digit, so the bytes can be looked at one by one.
  std::string out;
  out.reserve(kept.size());
  for (std::size_t i = kept.size(); i > 0; --i) {
    const char c = kept[i - 1];
    if (c == '^' && !out.empty() && out.back() >= '0' && out.back() <= '9') continue;
    out += c;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::string FoldCase(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t n = CharLength(name, i);
    const std::string_view ch = name.substr(i, n);
    const char32_t c = CodePoint(ch);
    const char32_t folded = c == 0 ? 0 : Folded(c);
    if (folded != c) {
      platform::appendUtf8(out, folded);
    } else {
      out.append(ch);
    }
    i += n;
  }
  return out;
}

std::vector<std::string> CopyNames(const std::vector<CopyNameSource>& files,
                                   const CodePage& codePage) {
  std::vector<std::string> names;
  names.reserve(files.size());
  std::unordered_set<std::string> taken;  // folded
  taken.reserve(files.size());
  for (const CopyNameSource& file : files) {
    std::string stem = CleanTrackName(file.displayName, codePage);
    stem.resize(stem.size() - TrackExtensionLength(stem));
    if (stem.empty()) stem = "track_" + std::to_string(file.trackNumber);
    // Windows reserves a device name whatever follows its first ".", so the
    // mark goes right after the name.
    if (IsReservedName(stem)) stem.insert(std::min(stem.find('.'), stem.size()), "_");
    std::string name = Fitted(stem, "");
    for (int k = 2; !taken.insert(FoldCase(name)).second; ++k) {
      name = Fitted(stem, "_" + std::to_string(k));
    }
    names.push_back(std::move(name));
  }
  return names;
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
