#include "core/modfolder/cachesize.h"

#include "core/scripts/modlayout.h"
#include "core/state/exists.h"
#include "core/state/state.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

// Sizes are kept in ten-thousandths of a byte, so the divided values carry
// four decimal places. 128 bits leave room for any 64-bit byte count.
__extension__ typedef unsigned __int128 Fixed;
constexpr unsigned kScale = 10000;

// v / 1024, rounded to the nearest ten-thousandth; a half goes to the even
// digit.
Fixed divide1024(Fixed v) {
  Fixed q = v / 1024;
  Fixed r = v % 1024;
  if (r > 512 || (r == 512 && (q & 1) != 0)) ++q;
  return q;
}

std::string digits(Fixed v) {
  std::string out;
  do {
    out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  } while (v != 0);
  return out;
}

// The fixed-point value with up to four decimals, trailing zeros dropped.
std::string formatFixed(Fixed v, char decimalSeparator) {
  std::string text = digits(v / kScale);
  auto frac = static_cast<unsigned>(v % kScale);
  if (frac == 0) return text;
  std::string decimals = std::to_string(frac + kScale).substr(1);  // four digits
  decimals.erase(decimals.find_last_not_of('0') + 1);
  return text + decimalSeparator + decimals;
}

}  // namespace

std::uint64_t GetFolderSize(std::string_view folder, platform::TreeSize* walked) {
  platform::TreeSize size = platform::treeSize(folder);
  const std::uint64_t bytes = size.bytes;
  if (walked != nullptr) *walked = std::move(size);
  return bytes;
}

std::string FormatSize(std::uint64_t bytes, char decimalSeparator) {
  static constexpr const char* kUnits[] = {" KB", " MB", " GB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  Fixed s = static_cast<Fixed>(bytes) * kScale;
  for (int unit = 0;; ++unit) {
    s = divide1024(s);
    if (unit == 2 || s < Fixed{1024} * kScale) {
      return formatFixed(s, decimalSeparator) + kUnits[unit];
    }
  }
}

std::optional<std::string> CacheSizeLabel(std::string_view modFolder, int language,
                                          char decimalSeparator, platform::TreeSize* walked) {
  if (language != kEnglish && language != kGerman) return std::nullopt;
  const bool english = language == kEnglish;
  const std::string cache = ModLayout(std::string(modFolder)).tracks();
  if (!FolderExists(cache)) {
    return english ? "Current mp3 cache size: <no mp3 folder>"
                   : "Strömung mp3 Größe cache < kein Verzeichnis >";
  }
  std::string prefix = english ? "Current mp3 cache size: " : "Strömung mp3 Größe cache: ";
  return prefix + FormatSize(GetFolderSize(cache, walked), decimalSeparator);
}

void RefreshCacheSize(std::string_view modFolder, int language, char decimalSeparator,
                      StateObserver& observer) {
  if (auto label = CacheSizeLabel(modFolder, language, decimalSeparator)) {
    observer.cacheLabelChanged(*label);
  }
}

}  // namespace tunebelt
