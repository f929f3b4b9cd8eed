// The two existence tests used everywhere. They never fail and never show a
// message: every error of the lookup makes them false.
#pragma once

#include <string_view>

namespace tunebelt {

// True when the path (whose last component may hold "*" or "?") matches at
// least one file that is neither a folder nor hidden.
bool FileExists(std::string_view path);

// True when the path matches at least one entry that is not hidden: a folder,
// or a file as FileExists would find it.
bool FolderExists(std::string_view path);

// FileExists for a name taken as it is written: "*" and "?" are characters
// of the name, never a pattern, and only that one entry is looked up (the
// entries of a playlist, which are names, not questions of the program).
bool NamedFileExists(std::string_view path);

}  // namespace tunebelt
