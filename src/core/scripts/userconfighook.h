// The "exec mp3.cfg" line in the mod's userconfig.cfg.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tunebelt {

inline constexpr const char* kHookLine = "exec mp3.cfg";

// The new userconfig.cfg for the old one's lines (nothing: no file): every
// old line with CR LF, then the hook line. Nothing when a line already
// equals the hook line: the file is then not written at all.
std::optional<std::string> HookedUserConfig(const std::optional<std::vector<std::string>>& lines);

}  // namespace tunebelt
