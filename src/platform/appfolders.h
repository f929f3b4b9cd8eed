// Where the running program finds what it ships with and where it keeps
// settings.jst. Two layouts are known:
//
// - an application folder: the program with its data beside it (the build's
//   bin folder, or a copy unpacked anywhere); settings.jst lives there too;
// - an installation: bin/tunebelt with the data in ../share/tunebelt; the
//   settings then live in ${XDG_CONFIG_HOME:-~/.config}/tunebelt.
//
// An application folder that cannot be written keeps its settings in that
// same configuration folder, so a read-only copy still remembers them. On
// Windows the configuration folder is %APPDATA%\Tunebelt (an installation
// under Program Files, which a user cannot write, keeps its settings there).
#pragma once

#include <string>
#include <string_view>

namespace tunebelt::platform {

// The installed data folder, relative to the program's folder.
inline constexpr std::string_view kInstalledDataFolder = "../share/tunebelt";
// The settings folder's name inside the configuration home.
#ifdef _WIN32
inline constexpr std::string_view kConfigFolderName = "Tunebelt";
#else
inline constexpr std::string_view kConfigFolderName = "tunebelt";
#endif

struct AppFolders {
  std::string program;   // the folder that holds the running executable
  std::string data;      // skins, key-binding lists, credits, read-me, sample track, font
  std::string settings;  // the folder of settings.jst
};

// The folder that holds the running executable ("." when it cannot be told).
std::string executableFolder();

// The program's folders for an executable in `programFolder`.
// Data: the program's own folder when it holds shipped data, else the
// installed data folder when that does, else the program's folder.
// Settings: the program's folder when the data is beside it (or nowhere)
// and the folder can be written; otherwise the configuration folder. With
// `createSettingsFolder`, a configuration folder that is missing is made
// (private to the user); a front end that only reads leaves it alone.
// When neither XDG_CONFIG_HOME nor HOME gives a configuration home, the
// settings stay in the program's folder.
AppFolders findAppFolders(const std::string& programFolder, bool createSettingsFolder);

// True when the program may write into `folder`: it is a folder, it has a
// write permission bit (a folder without one is read-only for everybody,
// root too, as for every file the program writes) and the system grants
// writing (owner, group, mount).
bool folderWritable(const std::string& folder);

}  // namespace tunebelt::platform
