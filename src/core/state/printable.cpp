#include "core/state/printable.h"

namespace tunebelt {

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the bytes
// there are none. The second byte's range depends on the first (E0: A0-BF
// keeps out overlong forms, ED: 80-9F surrogates, F0: 90-BF overlong forms,
// F4: 80-8F code points above U+10FFFF); every further byte is 80-BF.
std::size_t wellFormedLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;  // 80-C1, F5-FF: never a first byte
  }
  if (i + n > s.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return n;
}

char32_t decode(std::string_view s, std::size_t i, std::size_t n) {
  const auto byte = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(s[k]));
  };
  static constexpr char32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = byte(i) & kLeadMask[n];
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
  return c;
}

// Characters that act on a terminal, reorder what is shown, or break lines.
bool acts(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
         c == 0x2028 || c == 0x2029;
}

void appendHex(std::string& out, char32_t value, int digits) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string PrintableText(std::string_view text, bool keepNewlines) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = wellFormedLength(text, i);
    if (n == 0) {
      out += "\\x";  // a byte that is no character
      appendHex(out, static_cast<unsigned char>(text[i]), 2);
      ++i;
      continue;
    }
    const char32_t c = decode(text, i, n);
    if (c == '\n' && keepNewlines) {
      out += '\n';
    } else if (acts(c) && n == 1) {
      out += "\\x";
      appendHex(out, c, 2);
    } else if (acts(c)) {
      out += "\\u";
      appendHex(out, c, 4);
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace tunebelt
