// Pieces the file-system layer's own files share; nothing outside
// src/platform includes this.
#pragma once

#include <string>

namespace tunebelt::platform::detail {

// Makes a folder and any missing parents, each private to the user. False
// when it is not a folder afterwards.
bool makePrivateFolders(const std::string& path);

}  // namespace tunebelt::platform::detail
