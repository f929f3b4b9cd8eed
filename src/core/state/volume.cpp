#include "core/state/volume.h"

#include <optional>

#include "core/state/printable.h"
#include "core/state/settings.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

// A text of digits with at most one ".", split at the point. The whole part
// is capped just above the range, so a long text cannot overflow.
struct Decimal {
  int whole = 0;
  std::string_view fraction;  // the digits after the point
};

std::optional<Decimal> parseDecimal(std::string_view text) {
  Decimal d;
  bool point = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      d.fraction = text.substr(i + 1);
    } else if (c < '0' || c > '9') {
      return std::nullopt;
    } else if (!point) {
      d.whole = d.whole * 10 + (c - '0');
      if (d.whole > kMaxVolume) d.whole = kMaxVolume + 1;
    }
  }
  return d;
}

bool hasNonZeroDigit(std::string_view digits) {
  return digits.find_first_not_of('0') != std::string_view::npos;
}

// Above 100 only by its whole part, or as 100 followed by a fraction that
// is not all zeros; worked on the digits so "100.0000000001" counts.
bool aboveRange(const Decimal& d) {
  return d.whole > kMaxVolume || (d.whole == kMaxVolume && hasNonZeroDigit(d.fraction));
}

bool inRange(std::string_view text) {
  if (text.empty()) return true;
  const std::optional<Decimal> d = parseDecimal(text);
  return d && !aboveRange(*d);
}

}  // namespace

std::string validvolume(std::string text) {
  while (!inRange(text)) text.pop_back();
  return text;
}

std::int16_t ApplyVolumeText(std::string_view text, std::int16_t previous) {
  if (text.empty() || text == ".") return previous;
  const std::optional<Decimal> d = parseDecimal(text);
  if (!d || aboveRange(*d)) return previous;
  // Rounding on the digits: below a half down, above a half up, exactly a
  // half to the even neighbour.
  int value = d->whole;
  if (!d->fraction.empty()) {
    const char first = d->fraction.front();
    const bool moreThanHalf =
        first > '5' || (first == '5' && hasNonZeroDigit(d->fraction.substr(1)));
    const bool half = first == '5' && !moreThanHalf;
    if (moreThanHalf || (half && value % 2 == 1)) ++value;
  }
  return static_cast<std::int16_t>(value);
}

void ApplyVolumes(ProgramState& state, std::string_view mp3Text, std::string_view gameText,
                  const std::string& settingsPath, Prompts& prompts) {
  state.Mp3Volume = ApplyVolumeText(mp3Text, state.Mp3Volume);
  state.GameVolume = ApplyVolumeText(gameText, state.GameVolume);
  try {
    SaveVolumes(settingsPath, state);
  } catch (const platform::FsError& e) {
    prompts.showMessage(
        "Could not save the volumes to " + PrintableName(e.path()) + ":\n" + e.reason(),
        kErrorCaption, MessageIcon::Critical);
  }
}

}  // namespace tunebelt
