#include "platform/codepage.h"

#include <windows.h>

#include <cstdint>

namespace tunebelt::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at `i` (advanced past it); U+FFFD for a byte that
// starts no valid sequence, which then counts alone. Encoded surrogates are
// accepted, so lone ones written by fromWide come back.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned lead = byte(i);
  std::size_t length = 0;
  char32_t c = 0, least = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if (lead >= 0xC2 && lead < 0xE0) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > s.size()) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < least || c > 0x10FFFF) {
    ++i;
    return kReplacement;
  }
  i += length;
  return c;
}

bool isHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

int checkedLength(std::size_t size) {
  return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
}

std::string wideToCodePage(const std::wstring& wide, bool* lossless, UINT acp = CP_ACP) {
  if (wide.empty()) {
    if (lossless != nullptr) *lossless = true;
    return {};
  }
  if (acp == CP_ACP) acp = ::GetACP();
  // A UTF-8 code page takes neither flags nor a default character.
  const bool utf8 = acp == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultArg = utf8 ? nullptr : &usedDefault;
  const char* defaultChar = utf8 ? nullptr : "?";
  const int wideLength = checkedLength(wide.size());
  int size = ::WideCharToMultiByte(acp, flags, wide.data(), wideLength, nullptr, 0, defaultChar,
                                   usedDefaultArg);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(acp, flags, wide.data(), wideLength, out.data(), size, defaultChar,
                          usedDefaultArg);
  }
  if (lossless != nullptr) *lossless = size > 0 && !usedDefault;
  return out;
}

}  // namespace

std::wstring toWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = decodeUtf8(utf8, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

std::string fromWide(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = static_cast<std::uint16_t>(wide[i]);
    if (isHighSurrogate(c) && i + 1 < wide.size() &&
        isLowSurrogate(static_cast<std::uint16_t>(wide[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(wide[i + 1]) - 0xDC00);
      ++i;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string toCodePage(std::string_view utf8) {
  return wideToCodePage(toWide(utf8), nullptr);
}

namespace {

std::string fromCodePageIn(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int length = checkedLength(bytes.size());
  int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), size);
  return fromWide(wide);
}

}  // namespace

std::string fromCodePage(std::string_view bytes) {
  return fromCodePageIn(bytes, CP_ACP);
}

std::optional<std::string> toCodePageExactly(std::string_view utf8, unsigned codePage) {
  const UINT cp = codePage == 0 ? CP_ACP : codePage;
  bool lossless = false;
  std::string bytes = wideToCodePage(toWide(utf8), &lossless, cp);
  if (!lossless || fromCodePageIn(bytes, cp) != utf8) return std::nullopt;
  return bytes;
}

bool fitsCodePage(std::string_view utf8) {
  for (unsigned char c : utf8) {
    if (c >= 0x80) {
      bool lossless = false;
      const std::string bytes = wideToCodePage(toWide(utf8), &lossless);
      return lossless && fromCodePage(bytes) == utf8;
    }
  }
  return true;  // ASCII is the same in every ANSI code page
}

}  // namespace tunebelt::platform
