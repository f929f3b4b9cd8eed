// What the PLS and M3U readers share: reading the file, telling an absolute
// entry from a relative one, looking the entry up, and appending it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/playlist/import.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt::reader {

// The playlist's lines, or nothing when the file could not be read; the user
// has then been told which file and why.
std::optional<std::vector<std::string>> readPlaylist(const std::string& path, Host& host);

// "X:\..." is absolute everywhere; a leading "/" is absolute on POSIX too.
bool isAbsoluteEntry(std::string_view entry);

// True when the path names one regular file that exists, looked up by that
// name alone ("*" and "?" are characters of it, never a pattern). A FIFO or
// device is no entry, and a path no file system can hold (too long, or with
// a NUL byte in it) is never found.
bool entryExists(std::string_view path);

// The file an entry names, relative to `folder` (empty for an absolute
// entry): the entry as written when that names a file, else its Windows
// reading ("\" as a separator), so playlists written on Windows still
// resolve; nothing when neither names a file.
std::optional<std::string> findEntry(std::string_view folder, std::string_view entry);

// Names no file system takes: longer ones are never looked up.
#ifdef _WIN32
inline constexpr std::size_t kLongestPath = 32767;
#else
inline constexpr std::size_t kLongestPath = 4095;
#endif

// Appends an entry unless RefuseTrack refuses it (then added to `refused`);
// false when the playlist is full, after telling the user.
bool append(ProgramState& state, const std::string& path, Host& host,
            std::vector<std::string>& refused);

}  // namespace tunebelt::reader
