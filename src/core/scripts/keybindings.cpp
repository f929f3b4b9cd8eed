#include "core/scripts/keybindings.h"

#include <cstddef>
#include <string_view>

namespace tunebelt {

namespace {

constexpr std::string_view kHeading = "MP3 Player Controls";

// The first line of a section: its characters 2 to 6 read "blank".
bool StartsSection(const std::string& line) {
  return line.size() >= 6 && std::string_view(line).substr(1, 5) == "blank";
}

std::string Entry(const std::string& command, const std::string& caption) {
  return "\"" + command + "\"" + std::string(12, ' ') + "\"" + caption + "\"";
}

}  // namespace

std::vector<std::string> ControlsSection() {
  const std::string rule(25, '=');
  return {
      Entry("blank", rule),
      Entry("blank", std::string(kHeading)),
      Entry("blank", rule),
      Entry("playtrack", "Play Track"),
      Entry("looptrack", "Loop Track"),
      Entry("mp3 stop", "Stop Playback"),
      Entry("nexttracks", "Next Track"),
      Entry("prevtrack", "Previous Track"),
      Entry("saytrack", "Say Track"),
      Entry("tsaytrack", "Team Say Track"),
      Entry("mp3volup", "MP3 Volume Up"),
      Entry("mp3voldown", "MP3 Volume Down"),
      Entry("gvolup", "Game Volume Up"),
      Entry("gvoldown", "Game Volume Down"),
  };
}

std::vector<std::string> WithoutControlsSection(const std::vector<std::string>& lines,
                                                bool* found) {
  std::vector<std::string> kept;
  if (found != nullptr) *found = false;
  std::size_t i = 0;
  while (i < lines.size()) {
    const std::string& line = lines[i++];
    if (line.find(kHeading) != std::string::npos) {
      if (found != nullptr) *found = true;
      if (!kept.empty()) kept.pop_back();                        // the rule line above the heading
      if (i < lines.size()) ++i;                                 // the rule line below it
      while (i < lines.size() && !StartsSection(lines[i])) ++i;  // the old entries
      continue;  // a section line that ends the old section is read next, by the same rule
    }
    if (!line.empty()) kept.push_back(line);
  }
  return kept;
}

std::vector<std::string> RewriteKeyBindings(const std::vector<std::string>& oldLines) {
  std::vector<std::string> kept = WithoutControlsSection(oldLines);
  for (std::string& l : ControlsSection()) kept.push_back(std::move(l));
  return kept;
}

std::string KeyBindingsText(const std::vector<std::string>& oldLines) {
  std::string out;
  for (const std::string& line : RewriteKeyBindings(oldLines)) out += line + "\r\n";
  return out;
}

}  // namespace tunebelt
