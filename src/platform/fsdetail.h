// Pieces the file-system layer's own files share; nothing outside
// src/platform includes this.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tunebelt::platform::detail {

// Makes a folder and any missing parents, each private to the user. False
// when it is not a folder afterwards.
bool makePrivateFolders(const std::string& path);

// Whether a name holds a wildcard ("*", "?").
inline bool hasWildcard(std::string_view s) {
  return s.find_first_of("*?") != std::string_view::npos;
}

// "a/b/" and "a/b//" name the entry "b"; a root ("/", "C:\") stays itself.
inline std::string withoutTrailingSeps(std::string p) {
  while (p.size() > 1 && isSep(p.back())) {
    if (kSep == '\\' && p.size() == 3 && p[1] == ':') break;
    p.pop_back();
  }
  return p;
}

}  // namespace tunebelt::platform::detail
