#include "core/state/exists.h"

#include <optional>

#include "platform/fs.h"

namespace tunebelt {

namespace {

// Hidden entries are never found; on Windows neither are system entries.
bool listed(const platform::DirEntry& e) {
#ifdef _WIN32
  if (e.isSystem) return false;
#endif
  return !e.isHidden;
}

template <typename Accept>
bool anyMatch(std::string_view path, Accept accept) {
  try {
    for (const platform::DirEntry& e : platform::listMatching(path)) {
      if (listed(e) && accept(e)) return true;
    }
  } catch (const platform::FsError&) {
  }
  return false;
}

}  // namespace

bool FileExists(std::string_view path) {
  return anyMatch(path, [](const platform::DirEntry& e) { return !e.isDir; });
}

bool FolderExists(std::string_view path) {
  return anyMatch(path, [](const platform::DirEntry&) { return true; });
}

bool NamedFileExists(std::string_view path) {
  const std::optional<platform::DirEntry> e = platform::lookupEntry(path);
  return e && listed(*e) && !e->isDir;
}

}  // namespace tunebelt
