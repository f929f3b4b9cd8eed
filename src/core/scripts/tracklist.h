// tracklist.cfg onward: the playlist as the console prints it, one echo line
// a track, so a player sees which number to give track<n>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/scripts/playlistscripts.h"

namespace tunebelt {

// The echo line of track n: echo "<n>. <name>", the name as the say lines
// show it. The quotes make the text one argument: both consoles print it
// whole, where unquoted its ":" or "," would be words of their own and its
// blanks would fold.
std::string TrackListLine(int n, const std::string& displayName);

// The text of every track-list file, entry k-1 for file k: each track's line
// with CR LF, and in each file but the last the exec line of the next one.
// The files are packed as the playlist files are, within the same bound.
std::vector<std::string> BuildTrackList(const std::vector<ScriptTrack>& tracks);

// Whether `text` is track-list file `number` as a save writes it: quoted
// echo lines of tracks numbered one after another, then either nothing more
// or the exec line of the next file.
bool IsTrackList(std::string_view text, std::size_t number);

}  // namespace tunebelt
