#include "core/modfolder/remember.h"

#include <algorithm>

#include "platform/codepage.h"

namespace tunebelt {

bool RememberModFolder(ProgramState& state, const std::string& folder, StateObserver& observer) {
  auto& folders = state.ModFolders;
  if (std::find(folders.begin(), folders.end(), folder) != folders.end()) return false;
  if (state.ModFolderCount() >= kMaxModFolders) return false;
  // A longer path would run into the next record of the settings file.
  if (platform::toCodePage(folder).size() > kMaxStoredPathBytes) return false;
#ifdef _WIN32
  // The settings file holds the ANSI code page: a folder it cannot spell
  // would come back as another path.
  if (!platform::fitsCodePage(folder)) return false;
#endif
  folders.push_back(folder);
  observer.modFolderRemembered(folder);
  return true;
}

}  // namespace tunebelt
