// The "exec mp3.cfg" line in the mod's userconfig.cfg.
#pragma once

#include <string>

namespace tunebelt {

inline constexpr const char* kHookLine = "exec mp3.cfg";

// Appends the hook line to userconfig.cfg unless a line already equals it,
// in which case the file is not touched. Throws platform::FsError.
void WriteUserConfigHook(const std::string& modFolder);

}  // namespace tunebelt
