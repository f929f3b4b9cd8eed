// The names under which tracks are copied and played, and the mod folder's
// path rules.
#pragma once

#include <string>
#include <string_view>

namespace tunebelt {

// The display name with every character the game's console cannot take
// inside a quoted alias or reads as a word of its own dropped (space, quotes,
// the listed punctuation, ";", ",", "{", "}", ":", "\" and control characters).
// The copy target and the script lines both use it.
std::string CleanTrackName(std::string_view displayName);

// The display name as it may stand inside the quoted "say" lines: '"', ";"
// and control characters dropped, everything else kept.
std::string SayTrackName(std::string_view displayName);

// The last component of a folder path: the text after the last "\" or "/";
// empty when there is none or the separator is last.
std::string ModFolderName(std::string_view path);

// Removes one trailing "\" or "/" from the mod folder text; true when it did.
bool TrimModFolder(std::string& modFolder);

}  // namespace tunebelt
