#include "core/scripts/userconfighook.h"

#include "platform/fs.h"
#include "core/state/exists.h"

namespace tunebelt {

void WriteUserConfigHook(const std::string& modFolder) {
  const std::string file = platform::joinPath(modFolder, "userconfig.cfg");
  std::string kept;
  if (FileExists(file)) {
    for (const std::string& line : platform::readTextLines(file)) {
      if (line == kHookLine) return;  // already hooked: the file stays as it is
      kept += line + "\r\n";
    }
  }
  platform::writeFileAtomic(file, kept + kHookLine + "\r\n", platform::Durability::Synced);
}

}  // namespace tunebelt
