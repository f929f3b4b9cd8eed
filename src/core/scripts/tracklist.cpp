#include "core/scripts/tracklist.h"

#include <cstddef>

#include "core/scripts/modlayout.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/tracknames.h"

namespace tunebelt {

std::string TrackListLine(int n, const std::string& displayName) {
  return "echo \"" + std::to_string(n) + ". " + SayTrackName(displayName) + "\"";
}

std::vector<std::string> BuildTrackList(const ProgramState& state) {
  return PackChain(
      state.TrackCount(),
      {[&state](std::string& out, int n) {
         out += TrackListLine(n, state.PlaylistNames[static_cast<std::size_t>(n - 1)]);
         out += "\r\n";
       },
       {},
       [](std::size_t next) { return "exec " + ModLayout::TrackListFileName(next) + "\r\n"; }});
}

}  // namespace tunebelt
