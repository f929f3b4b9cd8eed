// settings.jst: a random-access file of 128-byte records.
#pragma once

#include <string>

#include "core/state/state.h"

namespace tunebelt {

inline constexpr const char* kSettingsFileName = "settings.jst";

// The settings file of this state: in its settings folder, else beside the
// program's other files.
std::string SettingsFilePath(const ProgramState& state);

// Writes the default volumes (80, 80) and the marker unless the marker is
// there already. Throws platform::FsError when the file cannot be written.
void EnsureSettingsDefaults(const std::string& path);

// True when the marker says the volumes have been written (by the defaults
// or since). Throws platform::FsError when the file cannot be read.
bool SettingsHoldVolumes(const std::string& path);

// Reads the folder list, the last save's folder, the last track's folder,
// language, sample-track flag, volumes and audio options (a bit rate that is
// none of MP3's reads as the default); returns the stored value of the
// "Delete unused" box (0 or 1). A missing file reads as zeros, and a file
// written before the later records were kept reads them as empty or as the
// defaults. Throws platform::FsError when the file exists but cannot be read.
int LoadSettings(const std::string& path, ProgramState& state);

// The starting volumes as the program uses them, window and terminal alike:
// each stored volume when the marker says they were written and it lies
// within 0..100; otherwise the default 80 (a file never set up, or a damaged
// one).
void NormalizeVolumes(ProgramState& state, bool volumesStored);

// Writes Mp3Volume and GameVolume. Throws platform::FsError.
void SaveVolumes(const std::string& path, const ProgramState& state);

// Writes the audio options (LevelLoudness, BitrateKbps). Throws
// platform::FsError.
void SaveAudioOptions(const std::string& path, const ProgramState& state);

// Writes the sample-track flag alone. Throws platform::FsError.
void SaveSampleTrackOffered(const std::string& path, const ProgramState& state);

// Writes the folder list, the last save's and the last track's folder,
// language, sample-track flag and the box's value. A folder too long for its
// record is stored as empty. Throws platform::FsError.
void SaveSettingsOnExit(const std::string& path, const ProgramState& state, int deleteUnused);

}  // namespace tunebelt
