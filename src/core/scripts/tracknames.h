// The names under which tracks are copied and played, and the mod folder's
// path rules.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt {

// How a code page writes one character (one UTF-8 sequence): its bytes, or
// nothing when the code page has no form of its own for it.
using CodePage = std::function<std::optional<std::string>(std::string_view character)>;

// The code page the game reads its scripts and names its files in: on POSIX
// UTF-8, where every character is its own bytes; on Windows the ANSI code
// page.
const CodePage& GameCodePage();

// The display name with every character the game's console cannot take
// inside a quoted alias or reads as a word of its own dropped (space, quotes,
// the listed punctuation, ";", ",", "{", "}", ":", "\" and control characters),
// and every character the game's code page has no form for. A character the
// code page writes in more than one byte is dropped too when one of its
// bytes is one the console treats specially ("\ / \" ; { } ( ) ' , :" or a
// control byte): in a double-byte code page such as 932 the second byte of a
// letter may be a "\" or a "{".
std::string CleanTrackName(std::string_view displayName, const CodePage& codePage = GameCodePage());

// The display name as it may stand inside the quoted "say" lines and the
// track list: '"', ";" and control characters dropped, and every "^" that
// stands before a digit, which Xash3D reads as a colour code and would not
// print; everything else kept.
std::string SayTrackName(std::string_view displayName);

// The name as Windows and the game's file systems compare names: ASCII and
// the Latin, Greek, Cyrillic and full-width letters that have one simple
// lower-case form folded to it.
std::string FoldCase(std::string_view name);

// One file to be copied into mp3s: the display name of its first track and
// that track's number in the scripts.
struct CopyNameSource {
  std::string displayName;
  int trackNumber = 0;
};

// The names of the copies in mp3s, one per file, in the files' order. Each is
// the cleaned display name with its ".mp3" in lower case (a track a save
// converts, ".flac", ".ogg", ".opus", ".m4a" or ".wav", gets ".mp3" in place
// of its extension); a name the
// cleaning leaves empty becomes "track_<n>.mp3" for its track number n, and
// one of the device names Windows reserves (CON, NUL, COM1, ... before its
// first ".") gets a "_" right after it. A name that equals an earlier one
// without regard to case gets "_2", "_3", ... before its ".mp3" until it is
// free. The cleaning drops every "_", so no cleaned name ever looks like one
// of these. Every name stays within 255 bytes. The same files in the same
// order always get the same names.
std::vector<std::string> CopyNames(const std::vector<CopyNameSource>& files,
                                   const CodePage& codePage = GameCodePage());

// The last component of a folder path: the text after the last "\" or "/";
// empty when there is none or the separator is last.
std::string ModFolderName(std::string_view path);

// Removes one trailing "\" or "/" from the mod folder text; true when it did.
bool TrimModFolder(std::string& modFolder);

}  // namespace tunebelt
