// The size of the mod's mp3s folder, shown under the playlist.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state/host.h"
#include "platform/tree.h"

namespace tunebelt {

// Total bytes of all files below the folder, hidden ones included. Links are
// neither counted nor followed, a link in the folder's place counts 0, and
// whatever cannot be listed counts 0. Mount points inside are not entered.
// The whole walk (the mount points left out, the folders that could not be
// read) goes to `walked` when given.
std::uint64_t GetFolderSize(std::string_view folder, platform::TreeSize* walked = nullptr);

// "0 B", "1.5 KB", "4.7684 MB", "1024 GB": at most four decimals, with the
// given decimal separator.
std::string FormatSize(std::uint64_t bytes, char decimalSeparator = '.');

// The cache label's text for the mod folder box's text, in the language
// (1 English, 2 German); nothing for any other language value.
std::optional<std::string> CacheSizeLabel(std::string_view modFolder, int language,
                                          char decimalSeparator = '.',
                                          platform::TreeSize* walked = nullptr);

// Recomputes the label and hands it to the observer (unchanged for a
// language other than 1 or 2).
void RefreshCacheSize(std::string_view modFolder, int language, char decimalSeparator,
                      StateObserver& observer);

}  // namespace tunebelt
