// playlist1.cfg onward: six aliases per track, chained file to file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tunebelt {

// One track as the scripts know it; track n of the scripts is entry n-1.
struct ScriptTrack {
  std::string displayName;  // what the say lines and the track list show
  std::string copyName;     // the name of its copy in mp3s
  bool operator==(const ScriptTrack&) const = default;
};

// The most bytes one playlist file may hold, every CR LF and its closing exec
// line counted. Half of GoldSrc's 16,384-byte command buffer, so both consoles
// take a file whole even with 8 KB of other commands still waiting.
inline constexpr std::size_t kMaxPlaylistFileBytes = 8000;

// How a list of items is spread over a chain of script files, each file
// running the next: the bytes of one item, what ends every file, and the
// link that ends each file but the last (the exec line of file `next`).
struct ChainFormat {
  std::function<void(std::string& out, int n)> appendItem;  // item n, 1-based
  std::string_view fileEnd;
  std::function<std::string(std::size_t next)> link;
};

// The text of each file of the chain, entry k-1 for file k. Items fill the
// files in order; a file takes the next item only while it stays within
// kMaxPlaylistFileBytes counting its end and its link, also when it turns out
// to be the last, so where an item goes never depends on the items after it.
// The first item of a file stays whatever its size.
std::vector<std::string> PackChain(int count, const ChainFormat& format);

// The text of every playlist file, entry k-1 for playlist<k>.cfg, exactly
// as written (each file's lines, the exec line of all but the last, CR LF).
// Tracks fill the files in order; a file takes the next track only while it
// stays within kMaxPlaylistFileBytes, counting its closing lines. The play
// and loop lines name a track's copy with `gamePathSeparator` after "mp3s".
// track<n> makes track n the current one for every key, as stepping to it
// does: it plays it and points playtrack, looptrack, saytrack, tsaytrack,
// nexttracks and prevtrack at it.
std::vector<std::string> BuildPlaylistScripts(const std::vector<ScriptTrack>& tracks,
                                              char gamePathSeparator = platform::kSep);

// Whether `text` is playlist<number>.cfg as a save writes it: an empty line,
// the six alias lines of each of its tracks, numbered one after another,
// and at the end either nothing more or an empty line and the exec line of
// the next file. A player's own file of that name is not.
bool IsPlaylistScript(std::string_view text, std::size_t number);

}  // namespace tunebelt
