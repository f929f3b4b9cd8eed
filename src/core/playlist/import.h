// Reading PLS and extended M3U playlists into the playlist.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kNotExtendedM3u = "This is not a valid extented M3U playlist";

enum class ImportResult {
  Read,     // the file was read; what exists was appended
  Full,     // the playlist filled up on the way (the user was told)
  Refused,  // not an extended M3U (the user was told)
  Failed,   // the file could not be read (the user was told)
};

// An MP3 entry the game cannot play is not added: it goes into `refused`
// ("name: reason"), or is told when the reading ends when none is given.
ImportResult plsload(ProgramState& state, const std::string& path, Host& host,
                     std::vector<std::string>* refused = nullptr);
ImportResult m3uload(ProgramState& state, const std::string& path, Host& host,
                     std::vector<std::string>* refused = nullptr);

// Resolves a relative M3U entry against state.ImportFolder, climbing once per
// "..\" and leaving ImportFolder at the folder reached.
std::string getm3upath(ProgramState& state, std::string_view entry);
// The parent of a folder path; the path itself when it has no separator
// before its last character.
std::string NavUp(std::string_view dirPath);

// Hands a path to the reader its last four characters name: ".pls", ".m3u";
// anything else gets the "not selected" error. Used by the import command and
// the terminal front end.
ImportResult ImportPlaylistFile(ProgramState& state, const std::string& path, Host& host,
                                std::vector<std::string>* refused = nullptr);

// The import command: the open dialog (in the music folder), then the reader.
void ImportPlaylistCommand(ProgramState& state, Host& host);

struct AddItemsResult {
  bool refused = false;              // a playlist was refused or could not be read
  std::vector<std::string> skipped;  // names that are neither a playlist nor a track
};

// Takes full paths the way the window takes them: an ".pls" or ".m3u" to its
// reader, any other name to AddTrack, in order. Stops at a playlist that was
// refused or could not be read (the user was told). A playlist that fills up
// on the way is told once, and the MP3s the game cannot play, from items and
// playlists alike, in one message at the end.
AddItemsResult AddItems(ProgramState& state, const std::vector<std::string>& paths, Host& host);

}  // namespace tunebelt
