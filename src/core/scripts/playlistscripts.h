// playlist1.cfg onward: six aliases per track, chained file to file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/state/state.h"
#include "platform/fs.h"

namespace tunebelt {

// The most bytes one playlist file may hold, every CR LF and its closing exec
// line counted. Half of GoldSrc's 16,384-byte command buffer, so both consoles
// take a file whole even with 8 KB of other commands still waiting.
inline constexpr std::size_t kMaxPlaylistFileBytes = 8000;

// The text of every playlist file, entry k-1 for playlist<k>.cfg, exactly
// as written (each file's lines, the exec line of all but the last, CR LF).
// Tracks fill the files in order; a file takes the next track only while it
// stays within kMaxPlaylistFileBytes, counting its closing lines. The play
// and loop lines name a track with `gamePathSeparator` after "mp3s".
std::vector<std::string> BuildPlaylistScripts(const ProgramState& state,
                                              char gamePathSeparator = platform::kSep);

}  // namespace tunebelt
