#include "state/volume.h"

#include <optional>

namespace tunebelt {

namespace {

// The value of a text made of digits only, capped just above the range so a
// long text cannot overflow; nothing for any other text.
std::optional<int> wholeNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kMaxVolume) value = kMaxVolume + 1;
  }
  return value;
}

bool inRange(std::string_view text) {
  if (text.empty()) return true;
  std::optional<int> value = wholeNumber(text);
  return value && *value <= kMaxVolume;
}

}  // namespace

std::string validvolume(std::string text) {
  while (!inRange(text)) text.pop_back();
  return text;
}

std::int16_t ApplyVolumeText(std::string_view text, std::int16_t previous) {
  std::optional<int> value = wholeNumber(text);
  if (!value || *value > kMaxVolume) return previous;
  return static_cast<std::int16_t>(*value);
}

}  // namespace tunebelt
