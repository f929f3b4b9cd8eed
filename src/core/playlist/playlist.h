// The playlist tables and the editing commands over them. The list box only
// mirrors what these functions tell the state observer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kTrackFilter =
    "Music Files (*.mp3,*.flac,*.ogg,*.opus,*.m4a,*.wav)|*.mp3; *.flac; *.ogg; *.opus; *.m4a; "
    "*.wav";
inline constexpr std::string_view kPlaylistFilter = "Playlist Files (*.pls,*.m3u)|*.pls; *.m3u";
inline constexpr std::string_view kPlaylistFullMessage = "The playlist is full (10000 tracks).";

// Whether a path ends in ".mp3" in any case (".MP3", ".Mp3").
bool HasMp3Extension(std::string_view path);

// Whether a path ends, in any case, in the extension of a format a save
// converts into MP3: ".flac", ".ogg", ".opus", ".m4a", ".wav".
bool NeedsConversion(std::string_view path);

// What makes a name a track wherever one is taken: an MP3 or a format a
// save converts.
bool IsTrackName(std::string_view path);

// The file-name part of a path (the last character is never examined).
std::string GetFileName(std::string_view path);
// The folder part of a file path, without its final separator.
std::string getPath(std::string_view filePath);

enum class AppendResult { Added, Ignored, Full, Refused };

// Whether the game's player can play the track at `path`: an ".mp3" is
// probed (its first frames read) and must hold MPEG audio Layer III; the
// reason it cannot, for a message that names it. A file that cannot be read
// is not refused here: the save leaves it out and says why. Other tracks are
// checked when the save converts them.
std::optional<std::string> RefuseTrack(const std::string& path);

// Tells the refused tracks ("name: reason" each) in one message in the
// state's language; nothing when there are none.
void TellRefusedTracks(const std::vector<std::string>& refused, const ProgramState& state,
                       Prompts& prompts);

// Appends one entry (path and display name) and tells the observer about the
// new list line; Full when the tables hold kMaxTracks entries already.
AppendResult AppendEntry(ProgramState& state, const std::string& path, StateObserver& observer);

// Appends the path when IsTrackName and RefuseTrack has nothing against it;
// in developer mode the added entry's file name is shown. Ignored for any
// other name; Refused for an MP3 the game cannot play, which is added to
// `refused` ("name: reason"), or told at once when none is given.
AppendResult AddTrack(ProgramState& state, const std::string& path, Host& host,
                      std::vector<std::string>* refused = nullptr);

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
