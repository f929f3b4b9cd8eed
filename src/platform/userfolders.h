// The user's special folders: documents, music, fonts, and the system folder.
// The look-up answers like the Windows shell call it stands in for: a result
// code and, on success, the folder's path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunebelt::platform {

// Folder identifiers, each with the flag that creates a missing folder.
inline constexpr int kFolderDocuments = 0x8005;
inline constexpr int kFolderSystem = 0x8025;
inline constexpr int kFolderMusic = 0x800D;
inline constexpr int kFolderFonts = 0x8014;

// Result codes.
inline constexpr std::int32_t kFolderFound = 0;
inline constexpr std::int32_t kFolderMissing = 1;  // valid identifier, no folder
inline constexpr std::int32_t kFolderInvalidId = static_cast<std::int32_t>(0x80070057u);

struct FolderLookup {
  std::int32_t result = kFolderMissing;
  std::string path;  // meaningful only when result is kFolderFound
};

// Looks up one special folder.
//
// On POSIX:
// - documents and music come from the XDG user-dirs file
//   ($XDG_CONFIG_HOME, or ~/.config, then user-dirs.dirs), falling back to
//   ~/Documents and ~/Music;
// - fonts is ${XDG_DATA_HOME:-~/.local/share}/fonts;
// - nothing is created: a folder that is missing is found all the same (it
//   is made when something is put there); a file in its place, or a HOME
//   that is needed but not set, gives kFolderMissing;
// - the system folder does not exist on Linux, and nothing is installed
//   there: the look-up succeeds (kFolderFound) with an empty path, so no
//   message is shown and every step that needs the folder is skipped.
// An unknown identifier gives kFolderInvalidId.
//
// On Windows the shell's known folders (SHGetKnownFolderPath, not creating
// or checking the folder): a folder the shell does not know gives
// kFolderMissing, another failure the shell's result code.
FolderLookup getSpecialFolder(int id);

// The user's home folder: $HOME when it is an absolute path; empty
// otherwise.
std::string homeFolder();

// The Steam installations the system itself records, in the order they are
// searched. On Windows: the SteamPath value of HKCU\Software\Valve\Steam
// (written with "/" by Steam; given back with "\"), then Steam's default
// folder in Program Files (x86). Nothing on other systems, where Steam lives
// below the home folder.
std::vector<std::string> steamInstallFolders();

// The user's configuration home: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config; empty when neither gives one. On Windows:
// %APPDATA% when it is a full path, else the roaming application-data folder.
std::string configHome();

// The value of the user-dirs entry (XDG_MUSIC_DIR and the like) in the text of
// a user-dirs.dirs file, with a leading $HOME replaced by `home`. Empty when
// the entry is missing, malformed, or needs a home that is empty.
std::string parseUserDir(const std::string& fileText, const std::string& key,
                         const std::string& home);

}  // namespace tunebelt::platform
