// The playlist tables and the editing commands over them. The list box only
// mirrors what these functions tell the state observer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kTrackFilter = "MP3 Files (*.mp3)|*.mp3";
inline constexpr std::string_view kPlaylistFilter = "Playlist Files (*.pls,*.m3u)|*.pls; *.m3u";
inline constexpr std::string_view kPlaylistFullMessage = "The playlist is full (10000 tracks).";

// Whether a path ends in ".mp3" in any case (".MP3", ".Mp3"): what makes a
// name a track wherever one is taken.
bool HasMp3Extension(std::string_view path);

// The file-name part of a path (the last character is never examined).
std::string GetFileName(std::string_view path);
// The folder part of a file path, without its final separator.
std::string getPath(std::string_view filePath);

enum class AppendResult { Added, Ignored, Full };

// Appends one entry (path and display name) and tells the observer about the
// new list line; Full when the tables hold kMaxTracks entries already.
AppendResult AppendEntry(ProgramState& state, const std::string& path, StateObserver& observer);

// Appends the path when it ends in ".mp3" in any case; in developer mode the
// added entry's file name is shown. Ignored for any other path.
AppendResult AddTrack(ProgramState& state, const std::string& path, Host& host);

void MoveTrackUp(ProgramState& state, int index);
void MoveTrackDown(ProgramState& state, int index);

// The list box's lines: PlaylistNames in order.
std::vector<std::string> PlaylistLines(const ProgramState& state);

struct EditResult {
  bool rebuilt = false;  // the list changed and was told to the observer
  Selection selection;   // the selection after the change
  int current = -1;      // the line that becomes current, -1 for none
};

// Each edit of the selection tells the observer the new lines and selection
// when it changed anything, and returns what it told.
EditResult RemoveSelected(ProgramState& state, const Selection& selected, StateObserver& observer);
EditResult MoveSelectedUp(ProgramState& state, const Selection& selected, StateObserver& observer);
EditResult MoveSelectedDown(ProgramState& state, const Selection& selected,
                            StateObserver& observer);

// The commands of the window. Each takes the tracks in the order given (a
// name that is no .mp3 is passed over), stops when the playlist is full and
// tells that once, and keeps the folder of the last track taken in
// TrackFolder.
// Add Track: the open dialog for several files, in TrackFolder (the music
// folder before the first track).
void AddTrackCommand(ProgramState& state, Host& host);
void DropCommand(ProgramState& state, const std::vector<std::string>& names, Host& host);

}  // namespace tunebelt
