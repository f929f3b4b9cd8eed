// The one place that knows where a save's files go in a mod folder, and how
// the game's scripts name a track.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tunebelt {

inline constexpr std::string_view kTracksFolderName = "mp3s";
inline constexpr std::string_view kControlScriptName = "mp3.cfg";
inline constexpr std::string_view kUserConfigName = "userconfig.cfg";
inline constexpr std::string_view kKeyBindingsName = "kb_act.lst";

// The paths of one mod folder (its text as the save uses it, trimmed), built
// with the program's separator.
class ModLayout {
 public:
  explicit ModLayout(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }
  std::string tracks() const { return in(kTracksFolderName); }  // mp3s
  std::string track(std::string_view cleanedName) const {
    return platform::joinPath(tracks(), cleanedName);
  }
  std::string gfx() const { return in("gfx"); }
  std::string shell() const { return platform::joinPath(gfx(), "shell"); }
  std::string keyBindings() const { return platform::joinPath(shell(), kKeyBindingsName); }
  std::string controlScript() const { return in(kControlScriptName); }
  std::string userConfig() const { return in(kUserConfigName); }
  std::string playlistFile(std::size_t number) const { return in(PlaylistFileName(number)); }
  std::string trackListFile(std::size_t number) const { return in(TrackListFileName(number)); }

  // "playlist<number>.cfg": the name the chain's exec lines use.
  static std::string PlaylistFileName(std::size_t number) {
    return "playlist" + std::to_string(number) + ".cfg";
  }
  // "tracklist.cfg" for the first file of the track list, the one the player
  // runs; "tracklist<number>.cfg" for the others.
  static std::string TrackListFileName(std::size_t number) {
    return number == 1 ? "tracklist.cfg" : "tracklist" + std::to_string(number) + ".cfg";
  }
  // What the game's scripts call a track: mp3s, the separator the game reads
  // on this platform, and the cleaned name.
  static std::string GameTrackPath(std::string_view cleanedName, char separator) {
    std::string out(kTracksFolderName);
    out += separator;
    out += cleanedName;
    return out;
  }

 private:
  std::string in(std::string_view name) const { return platform::joinPath(folder_, name); }

  std::string folder_;
};

}  // namespace tunebelt
