// Deleting the mod's mp3s folder before a save.
#pragma once

#include <functional>
#include <string_view>

#include "core/state/host.h"

namespace tunebelt {

// Removes the folder with everything in it: files of any permission, hidden
// files, subfolders; a link is removed itself, never followed. Files that
// cannot be deleted are reported once through the host (path and reason) and
// the rest is still deleted; returns false then. Nothing is deleted from a
// folder without any write permission bit, whoever runs the program (root
// too). A bare root is never removed. `between` runs between entries (where
// the tests change the tree under the walk, as another program could).
bool DeleteFolderTree(
    std::string_view folder, Host& host, const std::function<void()>& between = [] {});

// The same, but the folder itself stays, with its permissions, owner and
// identity: the save's clean-up of mp3s, which the save fills again. (A
// link in the folder's place still goes as the link it is.)
bool EmptyFolderTree(std::string_view folder, Host& host);

// Whether DeleteFolderTree removes the folder itself once it is empty: not for
// a text of two characters or less after the one trailing separator is cut
// (a bare drive such as "C:"), nor for a bare root such as "/".
bool RemovesFolderItself(std::string_view folder);

}  // namespace tunebelt
