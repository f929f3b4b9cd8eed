// Walks over a folder tree: its size, its removal, the sweep of temporary
// files. They descend by directory handle (each step relative to the open
// parent, never by a rebuilt path string), never follow a symbolic link,
// never go through a link in the walked folder's own place, and never cross
// into another file system or mount.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tunebelt::platform {

// Something a walk left alone or could not do, with its path for the report.
struct TreeProblem {
  std::string path;
  std::string reason;
};

struct TreeSize {
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;                 // the regular files counted
  std::vector<std::string> skippedMounts;  // mount points found and not entered
};

// Total bytes and number of the regular files below the folder, hidden ones
// included.
// Links are neither counted nor followed, a link in the folder's place counts
// 0, and whatever cannot be opened or listed counts 0.
TreeSize treeSize(std::string_view folder);

// Removes the folder's content: files of any permission, hidden files,
// subfolders; a link is removed itself, never what it points to. A link in
// the folder's own place is removed as the link it is. A mount point inside
// is left alone and reported, and so is the folder itself when it is a mount
// point. `between` runs between entries (the caller keeps its window
// painted there). When `removeFolder` is set and nothing stayed behind, the
// folder itself goes too. Returns what could not be removed.
std::vector<TreeProblem> removeTree(std::string_view folder, bool removeFolder,
                                    const std::function<void()>& between);

// Removes the temporary files (isTempFileName) a killed earlier run left
// directly in the folder: regular files only, never a link or a folder, and
// nothing when the folder itself is a link. Best effort: never throws.
void removeLeftoverTempFiles(std::string_view dir);

}  // namespace tunebelt::platform
