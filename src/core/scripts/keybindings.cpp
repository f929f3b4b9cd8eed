#include "core/scripts/keybindings.h"

#include <cstddef>
#include <string_view>

namespace tunebelt {

namespace {

constexpr std::string_view kHeading = "MP3 Player Controls";

std::string Entry(const std::string& command, const std::string& caption) {
  return "\"" + command + "\"" + std::string(12, ' ') + "\"" + caption + "\"";
}

// One line of a text: where it starts, its text, and where the next begins.
struct Line {
  std::size_t start = 0;
  std::string_view text;
  std::size_t next = 0;  // after its line end
};

Line LineAt(std::string_view text, std::size_t start) {
  std::size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) return {start, text.substr(start), text.size()};
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
  return {start, text.substr(start, end - start), next};
}

// Where the controls section starting at `start` ends (after the line end of
// its last line); npos when the 14 lines there are not the section.
std::size_t SectionEnd(std::string_view text, std::size_t start,
                       const std::vector<std::string>& section) {
  std::size_t at = start;
  for (const std::string& want : section) {
    if (at >= text.size()) return std::string_view::npos;
    const Line line = LineAt(text, at);
    if (line.text != want) return std::string_view::npos;
    at = line.next;
  }
  return at;
}

// The first line end of the text, or CR LF when it has none.
std::string_view LineEndOf(std::string_view text) {
  std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\r\n";
  if (text[end] == '\n') return "\n";
  return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
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

std::string WithoutControlsSection(std::string_view text, bool* found) {
  const std::vector<std::string> section = ControlsSection();
  std::string kept;
  kept.reserve(text.size());
  if (found != nullptr) *found = false;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = SectionEnd(text, at, section);
    if (end != std::string_view::npos) {
      if (found != nullptr) *found = true;
      at = end;
      continue;
    }
    const Line line = LineAt(text, at);
    kept.append(text.substr(at, line.next - at));
    at = line.next;
  }
  return kept;
}

std::string KeyBindingsText(std::string_view oldText) {
  std::string out = WithoutControlsSection(oldText);
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += LineEndOf(out);
  for (const std::string& line : ControlsSection()) out += line + "\r\n";
  return out;
}

}  // namespace tunebelt
