// Save Script: validate, write every script the game reads, copy the tracks.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/scripts/applyplan.h"
#include "core/scripts/modlayout.h"
#include "core/scripts/saveplan.h"
#include "core/scripts/trackaudio.h"
#include "core/state/host.h"
#include "core/state/state.h"
#include "platform/folderlock.h"

namespace tunebelt {

inline constexpr std::string_view kModFolderBusyMessage =
    "Another save into this mod folder is still running. Please try again when it has "
    "finished.";
// The progress window's caption when the scripts were written but some
// tracks were left out or could not be copied.
inline constexpr std::string_view kTracksMissingCaption = "Finished - some tracks were not copied";
// The progress window's caption when the save went through but the clean-up
// of mp3s could not delete everything (the message before it says what).
inline constexpr std::string_view kCleanUpIncompleteCaption =
    "Finished - some old files in mp3s could not be deleted";

// What a save gave the game, for the window's last look at it.
struct SaveSummary {
  bool scriptsWritten = false;  // the scripts are in the mod folder
  int tracks = 0;               // the tracks the save was given
  int inGame = 0;               // of them, the ones in the scripts and copied
  bool complete() const { return scriptsWritten && inGame == tracks; }
};

struct SaveOptions {
  PlanOptions plan;  // the "Delete unused mp3 files" box, the game's path form
  char decimalSeparator = '.';
  Journal* journal = nullptr;      // when given, what the save did
  SaveSummary* summary = nullptr;  // when given, what the game got
  // How long a save waits for another save into the same mod folder.
  std::chrono::milliseconds lockTimeout = std::chrono::seconds(60);
  // Levelling, and the bit rate of converted copies.
  TrackAudioOptions audio;
  // The tools that measure, convert and level (nothing: the library's), and
  // how many tracks at once (0: one per core).
  audio::AudioTools* audioTools = nullptr;
  unsigned audioThreads = 0;
};

// The audio work of a save of this state: the tools, the loudness cache and
// the copy records of its settings folder, which it writes back when it ends
// (a failure to write them loses only what the next save finds out again).
class SaveAudio {
 public:
  SaveAudio(const ProgramState& state, const SaveOptions& options);
  ~SaveAudio();
  SaveAudio(const SaveAudio&) = delete;
  SaveAudio& operator=(const SaveAudio&) = delete;
  AudioWork& work() { return work_; }

 private:
  audio::LibraryAudioTools library_;
  audio::MeasurementCache cache_;
  CopyRecords records_;
  AudioWork work_;
};

enum class SaveResult { Done, Refused, Failed };

// "N tracks were left out:" and the first ten of them, each with its path
// and why its file cannot be read, then how many more there are.
std::string LeftOutText(const std::vector<LeftOutTrack>& leftOut);

// The checks that run before a save writes anything, each with its message:
// a playlist of 1 to 950 tracks, the mod folder's checks, kb_act.lst there.
bool ValidateSave(const ProgramState& state, std::string& modFolder, Host& host);

// The mod folder box's checks every command that writes into the folder
// runs: not empty, one trailing separator trimmed (and written back through
// the host), the folder there. Says what is wrong and returns false.
bool ValidateModFolder(std::string& modFolder, Host& host);

// One command at a time per mod folder: a second one waits for the first, up
// to the timeout; then says the folder is busy and returns false.
bool LockModFolder(platform::FolderLock& lock, std::chrono::milliseconds timeout, Host& host);

// Runs the whole command. `modFolder` is the mod folder box's text; a trailing
// separator is trimmed and written back through the host. Every message goes
// through the host; nothing throws. Failed also when the save went through
// but could not do all of it (a track not copied, an old file not deleted).
SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host);

}  // namespace tunebelt
