#include "core/scripts/userconfighook.h"

namespace tunebelt {

std::optional<std::string> HookedUserConfig(const std::optional<std::vector<std::string>>& lines) {
  std::string kept;
  if (lines) {
    for (const std::string& line : *lines) {
      if (line == kHookLine) return std::nullopt;  // already hooked: the file stays as it is
      kept += line + "\r\n";
    }
  }
  return kept + kHookLine + "\r\n";
}

}  // namespace tunebelt
