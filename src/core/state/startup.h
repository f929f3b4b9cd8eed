// The parts of start-up that need no window: the special folders, the stored
// language, the small-screen height, the first-start sample track and the
// font. Each tells the user through the host and never stops the start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

inline constexpr std::string_view kFolderMissingMessage = "The folder does not exist";
inline constexpr std::string_view kInvalidFolderIdMessage = "An invalid folder ID was specified";

inline constexpr std::string_view kSampleTrackFile = "velloran_glasshour.mp3";
inline constexpr std::string_view kFontFile = "HLFLIFE2.TTF";
inline constexpr std::string_view kCopyTrackQuestion =
    "Do you want to copy the free track, 'Velloran - Glasshour' to your windows music folder?";
inline constexpr std::string_view kCopyTrackCaption = "Copy Track";

// Screens lower than this (in twips) get the shortened window.
inline constexpr int kSmallScreenHeight = 11600;
inline constexpr int kShortenedWindowHeight = 11190;

// Looks up the documents, system, music and fonts folders in that order,
// keeping the last result code in FolderResult. A folder that is not found
// is told to the user and its path stays empty; the steps that need it are
// then skipped.
void GetSpecialFolders(ProgramState& state, Host& host);

// A stored Language other than English or German becomes English.
void NormalizeLanguage(ProgramState& state);

// The outer window height for a screen of the given height (twips): the
// shortened height on a small screen, nothing (keep the designed height)
// otherwise.
std::optional<int> ShortenedHeight(int screenHeightTwips);

// On the first start with the sample track beside the program: makes it the
// only track (the host gets the rebuilt list), marks it offered and asks
// whether to copy it into the music folder. Returns true when it was offered.
bool OfferSampleTrack(ProgramState& state, Host& host);

// Copies the font into the fonts folder when it is not there yet.
void InstallFont(ProgramState& state, Host& host);

}  // namespace tunebelt
