// Finding the player's games: the Steam installations in the home folder,
// their libraries, and the Half-Life mod folders inside them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/modfolder/vdf.h"

namespace tunebelt {

struct DiscoveredMod {
  std::string game;       // the game's name from liblist.gam, else the folder's name
  std::string folder;     // the mod folder's full path
  bool hasKeyBindings{};  // it holds gfx/shell/kb_act.lst, which a save needs
};

struct GameDiscovery {
  std::vector<std::string> libraries;  // resolved paths, each once, in the order found
  std::vector<DiscoveredMod> mods;     // library by library, by folder name within one
  std::vector<std::string> problems;   // files left out, as "path: reason"
};

// The places a Steam installation lives below the home folder, in the order
// they are searched: ~/.steam/steam, ~/.steam/root, ~/.local/share/Steam, the
// Flatpak and the Snap installation. None for a home that is not an absolute
// path.
std::vector<std::string> SteamRootCandidates(std::string_view home);

// The library paths a libraryfolders.vdf lists, in file order: numbered
// entries of its "libraryfolders" block, each either a block with a "path"
// (the current form) or the path itself (the old form). Entries that are not
// absolute paths are left out. Nothing for a damaged file.
std::optional<std::vector<std::string>> LibraryFoldersFromVdf(std::string_view text,
                                                              VdfError* error = nullptr);

// The game's name from a liblist.gam's `game "..."` line (the key in any
// case, the first such line); empty when it has none.
std::string GameNameFromLiblist(std::string_view text);

// Searches the Steam installations below `home`, then those in
// `installFolders` (the ones the system records). Each installation (counted
// once however many links lead to it) is a library, and so is every folder
// its steamapps/libraryfolders.vdf and config/libraryfolders.vdf list that
// exists. A mod is a folder of a library's steamapps/common/Half-Life that
// holds a liblist.gam. A damaged or unreadable list gives no libraries and a
// line in `problems`; nothing here ever throws for what it finds on disk.
GameDiscovery DiscoverGames(std::string_view home,
                            const std::vector<std::string>& installFolders = {});

// The same for the user's home folder and the installations the system
// records (on Windows, the registry's and the default one).
GameDiscovery DiscoverGames();

// Where a folder browser starts: the first library's steamapps/common, or
// the library itself when it has none; empty when no library was found.
std::string BrowseStartFolder(const GameDiscovery& found);

// Where the mod folder browser starts for this user: the first Steam library
// found, else the process's current folder.
std::string BrowseStartFolder();

// An entry of the mod folder box's list: what the player reads, and the
// folder it stands for.
struct ModFolderEntry {
  std::string label;
  std::string folder;

  bool operator==(const ModFolderEntry&) const = default;
};

// The mod folder box's list: the remembered folders first, then every game
// found that a save can use (it has kb_act.lst) and that is not remembered.
// A game found is named, "Counter-Strike \u2014 .../cstrike", remembered or
// not; where two such labels would read the same, each shows its whole
// folder. Any other remembered folder shows as it is.
std::vector<ModFolderEntry> ModFolderEntries(const std::vector<std::string>& remembered,
                                             const std::vector<DiscoveredMod>& found);

}  // namespace tunebelt
