// Walks over a folder tree: its size, its removal, the sweep of temporary
// files. They descend by directory handle (each step relative to the open
// parent, never by a rebuilt path string), never follow a symbolic link,
// never go through a link in the walked folder's own place, and never cross
// into another file system or mount.
//
// Depth costs little: a walk keeps one list of names per level and one path
// (for reports) shared by all levels, and on POSIX it holds at most a few
// dozen folders open at once, opening a folder again from its child ("..",
// checked to be the same folder) when it climbs back. Each walk is a loop,
// not a recursion, so no stack limit bounds the depth either.
#pragma once

#include <cstddef>
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

// What a walk could not do: the first ones with their paths, and how many
// there were in all. A path longer than any system call takes is kept
// shortened to its start and its end.
struct TreeProblems {
  static constexpr std::size_t kKept = 100;
  std::vector<TreeProblem> first;
  std::uint64_t count = 0;

  bool empty() const { return count == 0; }
  // Whether the next problem is kept with its path, or only counted.
  bool keeps() const { return first.size() < kKept; }
  void add(const std::string& path, std::string reason);
};

// The path of a report: as it is, or, longer than 4,096 bytes, its start and
// its end with "/.../" (the system's separator) between them.
std::string reportedPath(const std::string& path);

struct TreeSize {
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;                 // the regular files counted
  std::vector<std::string> skippedMounts;  // mount points found and not entered
  TreeProblems unread;                     // folders that could not be read: not counted
};

// Total bytes and number of the regular files below the folder, hidden ones
// included. Links are neither counted nor followed, and a link in the
// folder's place, a missing folder or a file count 0. A folder that cannot
// be opened or listed counts 0 and is named in `unread`.
TreeSize treeSize(std::string_view folder);

// Removes the folder's content: files of any permission, hidden files,
// subfolders; a link is removed itself, never what it points to. A link in
// the folder's own place is removed as the link it is. A mount point inside
// is left alone and reported, and so is the folder itself when it is a mount
// point. Nothing is removed from a folder without any write permission bit
// (read-only for everybody, root too: POSIX). `between` runs between entries
// (the caller keeps its window painted there). When `removeFolder` is set
// and nothing stayed behind, the folder itself goes too. Returns what could
// not be removed.
TreeProblems removeTree(std::string_view folder, bool removeFolder,
                        const std::function<void()>& between);

// The temporary files (isTempFileName) a killed earlier run left directly in
// the folder: regular files only, never a link or a folder, and none when
// the folder itself is a link. Full paths; best effort: never throws.
std::vector<std::string> findLeftoverTempFiles(std::string_view dir);

// Removes the files findLeftoverTempFiles finds; returns those removed.
// Best effort: never throws.
std::vector<std::string> removeLeftoverTempFiles(std::string_view dir);
// Removes one file findLeftoverTempFiles found, by the same rules (it is
// still a regular temporary file, in a folder that is no link); whether it
// went. Best effort: never throws.
bool removeLeftoverTempFile(std::string_view path);

}  // namespace tunebelt::platform
