#include "core/scripts/controlscript.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr std::array<int, 23> kLadder = {0,  2,  5,  9,  13, 15, 20, 25, 30, 35, 40, 45,
                                         50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100};

// A ladder step as the game's volume: s / 100 with two decimals and a point.
std::string Level(int step) {
  std::string cents = std::to_string(step % 100);
  if (cents.size() < 2) cents.insert(0, "0");
  return std::to_string(step / 100) + "." + cents;
}

std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view piece : pieces) out += piece;
  return out;
}

// One ladder: for "vol" and "mp3volume", lines such as
// alias vol13 "mp3volume 0.13; alias mp3volup vol15; alias mp3voldown vol9;"
void AppendLadder(std::vector<std::string>& lines, const std::string& alias,
                  const std::string& command, const std::string& upDown) {
  for (std::size_t i = 0; i < kLadder.size(); ++i) {
    const int step = kLadder[i];
    const int up = kLadder[i + 1 < kLadder.size() ? i + 1 : i];
    const int down = kLadder[i > 0 ? i - 1 : 0];
    lines.push_back(Joined({"alias ", alias, std::to_string(step), " \"", command, " ", Level(step),
                            "; alias ", upDown, "up ", alias, std::to_string(up), "; alias ",
                            upDown, "down ", alias, std::to_string(down), ";\""}));
  }
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

// "vol" or "gvol" and a whole number: the line that sets a starting volume.
bool IsVolumeLine(std::string_view line, std::string_view alias) {
  if (line.substr(0, alias.size()) != alias) return false;
  std::string_view digits = line.substr(alias.size());
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  return !digits.empty() && digits.size() <= 6 &&
         digits.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::span<const int> VolumeSteps() {
  return kLadder;
}

int NearestVolumeStep(int volume) {
  int nearest = kLadder.front();
  for (int step : kLadder) {
    // Later steps are higher, so a tie goes to the higher one.
    if (std::abs(step - volume) <= std::abs(nearest - volume)) nearest = step;
  }
  return nearest;
}

std::string BuildControlScript(std::int16_t mp3Volume, std::int16_t gameVolume) {
  std::vector<std::string> lines = {
      "alias looptrack \"lptrack1\"",
      "alias playtrack \"track1\"",
      "alias nexttracks \"nexttrack1\"",
      "alias prevtrack \"prevtrack1\"",
      "",
  };
  AppendLadder(lines, "vol", "mp3volume", "mp3vol");
  lines.emplace_back();
  AppendLadder(lines, "gvol", "volume", "gvol");
  lines.insert(lines.end(), {
                                "",
                                "vol" + std::to_string(NearestVolumeStep(mp3Volume)),
                                "gvol" + std::to_string(NearestVolumeStep(gameVolume)),
                                "",
                                "alias saytrack saytrack1",
                                "alias tsaytrack tsaytrack1",
                                "",
                                "exec playlist1.cfg",
                                "",
                                "echo Tunebelt Script Loaded",
                            });
  return JoinCrLf(lines);
}

bool IsControlScript(std::string_view text) {
  const std::vector<std::string> want = platform::splitLines(BuildControlScript(0, 0));
  const std::vector<std::string> have = platform::splitLines(text);
  if (have.size() != want.size()) return false;
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (have[i] == want[i]) continue;
    if (want[i] == "vol0" && IsVolumeLine(have[i], "vol")) continue;
    if (want[i] == "gvol0" && IsVolumeLine(have[i], "gvol")) continue;
    return false;
  }
  return true;
}

}  // namespace tunebelt
