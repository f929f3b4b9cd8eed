// The state every window and command shares: one instance per running
// program, owned by the front end and passed to the commands that change it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/audio/convert.h"

namespace tunebelt {

inline constexpr int kMaxTracks = 10000;    // size of the playlist tables
inline constexpr int kMaxSaveTracks = 950;  // the most the game loads
inline constexpr int kMaxModFolders = 100;  // remembered mod folders
inline constexpr int kDefaultVolume = 80;

inline constexpr std::int16_t kEnglish = 1;
inline constexpr std::int16_t kGerman = 2;

struct ProgramState {
  // The playlist: two parallel tables in play order; entry i is track i+1 in
  // every generated script. Both always have TrackCount() entries.
  std::vector<std::string> PlaylistPaths;
  std::vector<std::string> PlaylistNames;
  int TrackCount() const { return static_cast<int>(PlaylistPaths.size()); }

  // Mod folders used before, in the order they were first used.
  std::vector<std::string> ModFolders;
  int ModFolderCount() const { return static_cast<int>(ModFolders.size()); }
  // The mod folder of the last save that wrote the scripts; the window shows
  // it at start.
  std::string LastSaveFolder;
  // The folder of the last track the window took; Add Track starts there.
  std::string TrackFolder;

  int DebugMode = 0;  // 1 = developer messages are shown

  std::string DocumentsFolder;
  std::string SystemFolder;
  std::string MusicFolder;
  std::string FontsFolder;
  std::int32_t FolderResult = 0;

  std::string ImportFolder;  // base of the M3U entry being resolved

  std::int16_t Language = 0;
  std::int16_t SampleTrackOffered = 0;
  std::int16_t Mp3Volume = 0;
  std::int16_t GameVolume = 0;

  // The audio options: every copy levelled to one loudness, and the bit rate
  // of the copies a save converts.
  bool LevelLoudness = false;
  int BitrateKbps = audio::kDefaultBitrateKbps;

  // The folder that holds the files shipped with the program: beside it, or
  // where they were installed.
  std::string ApplicationFolder;
  // The folder of settings.jst; empty means the application folder.
  std::string SettingsFolder;
};

}  // namespace tunebelt
