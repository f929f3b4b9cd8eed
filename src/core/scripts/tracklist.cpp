#include "core/scripts/tracklist.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <system_error>

#include "core/scripts/modlayout.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/tracknames.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

std::string ExecLine(std::size_t number) {
  return "exec " + ModLayout::TrackListFileName(number);
}

}  // namespace

std::string TrackListLine(int n, const std::string& displayName) {
  return "echo \"" + std::to_string(n) + ". " + SayTrackName(displayName) + "\"";
}

std::vector<std::string> BuildTrackList(const std::vector<ScriptTrack>& tracks) {
  return PackChain(static_cast<int>(tracks.size()),
                   {[&tracks](std::string& out, int n) {
                      out += TrackListLine(n, tracks[static_cast<std::size_t>(n - 1)].displayName);
                      out += "\r\n";
                    },
                    {},
                    [](std::size_t next) { return ExecLine(next) + "\r\n"; }});
}

bool IsTrackList(std::string_view text, std::size_t number) {
  std::vector<std::string> lines = platform::splitLines(text);
  if (!lines.empty() && lines.back() == ExecLine(number + 1)) lines.pop_back();
  if (lines.empty()) return false;
  constexpr std::string_view kEcho = "echo \"";
  const std::string_view firstLine = lines[0];
  int n = 0;
  const char* digits = firstLine.data() + std::min(firstLine.size(), kEcho.size());
  if (firstLine.substr(0, kEcho.size()) != kEcho ||
      std::from_chars(digits, firstLine.data() + firstLine.size(), n).ec != std::errc() || n < 1) {
    return false;
  }
  for (const std::string& line : lines) {
    const std::string prefix = std::string(kEcho) + std::to_string(n++) + ". ";
    if (line.size() <= prefix.size() || line.compare(0, prefix.size(), prefix) != 0 ||
        line.back() != '"' || line.find('"', prefix.size()) != line.size() - 1) {
      return false;
    }
  }
  return true;
}

}  // namespace tunebelt
