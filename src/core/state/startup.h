// Start-up and shut-down: the sequence, in its order, with the steps that
// need a window handed to the window (StartUpWindow); the special folders,
// the settings file and its failure policy, the stored language and volumes,
// and the first-start sample track. Nothing here stops the start-up: what
// fails is told to the user. Nothing is written into the player's home but
// the settings, unless the player asks for the sample track.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/modfolder/discovery.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kFolderMissingMessage = "The folder does not exist";
inline constexpr std::string_view kInvalidFolderIdMessage = "An invalid folder ID was specified";

inline constexpr std::string_view kSampleTrackFile = "velloran_glasshour.mp3";
// The skin's font, shipped beside the program; the window loads it for
// itself, nothing installs it for the user.
inline constexpr std::string_view kFontFile = "HLFLIFE2.TTF";
#ifdef _WIN32
inline constexpr std::string_view kCopyTrackQuestion =
    "Do you want to copy the free track, 'Velloran - Glasshour' to your windows music folder?";
#else
inline constexpr std::string_view kCopyTrackQuestion =
    "Do you want to copy the free track, 'Velloran - Glasshour' to your music folder?";
#endif
inline constexpr std::string_view kCopyTrackCaption = "Copy Track";

// Screens lower than this (in twips) get the shortened window.
inline constexpr int kSmallScreenHeight = 11600;
inline constexpr int kShortenedWindowHeight = 11190;

// Looks up the documents, system, music and fonts folders in that order,
// keeping the last result code in FolderResult. A folder that is not found
// is told to the user and its path stays empty; the steps that need it are
// then skipped. Nothing is created: a folder that is missing is made when
// something is put there.
void GetSpecialFolders(ProgramState& state, Prompts& prompts);

// A stored Language other than English or German becomes English.
void NormalizeLanguage(ProgramState& state);

// The outer window height for a screen of the given height (twips): the
// shortened height on a small screen, nothing (keep the designed height)
// otherwise.
std::optional<int> ShortenedHeight(int screenHeightTwips);

// On the first start with the sample track beside the program: makes it the
// only track (the observer gets the new list) and marks it offered. Returns
// true when it did; the copy is then offered (OfferSampleTrackCopy) once the
// main window shows.
bool PutSampleTrack(ProgramState& state, Host& host);

// settings.jst as the window uses it: a failure to read or write it is told
// once, naming the file and the reason; the program goes on without it.
class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // Runs one operation on the file; a failure is told (once) and false.
  template <typename Operation>
  bool use(Operation operation, Prompts& prompts) {
    try {
      operation(path_);
      return true;
    } catch (const std::exception& e) {
      tellFailure(e, prompts);
      return false;
    }
  }
  // The next failure is told even when one was told already (at shut-down,
  // after a failure at start-up).
  void tellNextFailure() { told_ = false; }

 private:
  void tellFailure(const std::exception& error, Prompts& prompts);

  std::string path_;
  bool told_ = false;
};

// The steps of the start-up that are the window's own, in the order the
// start-up calls them.
class StartUpWindow {
 public:
  virtual ~StartUpWindow() = default;
  virtual void turnOffDeveloperMenu() = 0;  // the menu's check mark
  virtual void placeHoverImages() = 0;      // each over its button
  virtual int screenHeightTwips() = 0;
  virtual void shortenTo(int outerHeightTwips) = 0;
  // The remembered folders into the mod folder box's list, and the stored
  // value of the "Delete unused" box.
  virtual void showSettings(const std::vector<std::string>& folders, bool deleteUnused) = 0;
  // The games found in the player's Steam libraries, offered after the
  // remembered folders (and not stored unless a save uses one).
  virtual void offerModFolders(const std::vector<DiscoveredMod>& mods) = 0;
  // Captions, skin and cache label of the language (1 English, 2 German).
  virtual void applyLanguage(int language) = 0;
};

// The whole start-up, in order: developer mode off, hover images placed, the
// window shortened on a small screen, the special folders, the settings
// (defaults, then read: folders, language, sample-track flag, the box,
// volumes), the mod folders found in the Steam libraries, the language, the
// first-start sample track. Returns true when the sample track was put into
// the playlist: the window then offers its copy once it shows.
bool RunStartUp(ProgramState& state, SettingsFile& settings, Host& host, StartUpWindow& window);

// Asks whether to copy the sample track into the music folder; on Yes the
// folder is made when missing and the track copied (a copy there is
// replaced). That the track was offered is stored at once, so neither "Exit"
// nor a crash brings the question back. Nothing is asked when the track is
// gone or there is no music folder.
void OfferSampleTrackCopy(ProgramState& state, SettingsFile& settings, Host& host);

// The mod folder box's text at start: the folder of the last save that wrote
// the scripts, else the first remembered folder, else the first entry of the
// list (a game found), else nothing.
std::string StartModFolderText(const ProgramState& state,
                               const std::vector<ModFolderEntry>& entries);

// The shut-down of both ways out (closing the window and "Exit"): the folder
// list, the last save's folder, the last track's folder, language,
// sample-track flag and the box's value are written (a failure is told even
// if one was at start-up).
void RunShutDown(const ProgramState& state, SettingsFile& settings, bool deleteUnused,
                 Prompts& prompts);

}  // namespace tunebelt
