// The walks on Windows. Each folder is opened relative to its open parent
// (NtCreateFile with a root handle, the system's openat) and never through a
// reparse point: a symbolic link or junction is removed or skipped itself. A
// folder being walked is held open without delete sharing, so it cannot be
// renamed away or swapped for a link meanwhile (handles are no scarce
// resource here, so every level keeps its own). A volume mounted on a folder
// is left alone and reported, and so is any folder of another volume.
#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/fs.h"
#include "platform/tree.h"
#include "platform/winutil.h"

namespace tunebelt::platform {

namespace {

using detail::Handle;

constexpr ACCESS_MASK kWalkAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kRemoveAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// Others may read and write below a walked folder, but not rename or delete
// it while the walk holds it.
constexpr ULONG kWalkShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr const char* kMountReason = "is a mount point of another file system; left alone";

DWORD volumeOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(h, &info) ? info.dwVolumeSerialNumber : 0;
}

bool gone(NTSTATUS status) {
  DWORD err = detail::ntToWin32(status);
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool isFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens a folder given by path, not through a reparse point in its own
// place; empty when it is none or cannot be opened.
Handle openRootFolder(const std::string& path, ACCESS_MASK access, ULONG share) {
  Handle h(::CreateFileW(detail::widePath(path).c_str(), access | SYNCHRONIZE, share, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr));
  DWORD attributes = 0, tag = 0;
  if (!h || !detail::attributeTag(h.get(), attributes, tag)) return {};
  if (!isFolder(attributes) || detail::isNameSurrogate(attributes, tag)) return {};
  return h;
}

// Marks the entry open as `h` (opened without following it) for deletion,
// read-only, hidden and system ones too: their attributes are cleared
// first, on the entry itself. False, with `err` set, when refused.
bool deleteOpen(Handle& h, DWORD attributes, DWORD& err) {
  detail::clearAttributes(h.get(), attributes);
  if (!detail::deleteByHandle(h.get())) {
    err = ::GetLastError();
    return err == ERROR_FILE_NOT_FOUND;
  }
  h.reset();
  return true;
}

// One folder on the way from the walked folder down to the one being walked.
struct Level {
  Handle h;
  DWORD attributes = 0;
  bool clean = true;  // the removal: nothing in it has stayed so far
  std::wstring name;  // its name in the folder above; empty for the walked folder
  std::vector<detail::WideEntry> entries;
  std::size_t next = 0;        // the next of `entries` to look at
  std::size_t pathLength = 0;  // the shared path's length at this folder
};

// The folders from the walked one down to the one being walked. Each keeps
// the entries listed in it and how far the walk got; the path for reports
// is one text that all of them share.
class Walk {
 public:
  explicit Walk(std::string top) : path_(std::move(top)) {}

  bool done() const { return levels_.empty(); }
  std::size_t depth() const { return levels_.size(); }
  Level& top() { return levels_.back(); }

  // The next entry of the folder being walked; false when all were seen.
  bool next(detail::WideEntry& entry) {
    Level& here = top();
    if (here.next == here.entries.size()) return false;
    entry = std::move(here.entries[here.next++]);
    return true;
  }

  // Notes a problem with an entry of the folder being walked. The path is
  // only built for the problems that are kept.
  void note(TreeProblems& problems, const std::wstring& name, std::string reason) const {
    if (!problems.keeps()) {
      ++problems.count;
    } else {
      problems.add(childPath(name), std::move(reason));
    }
  }
  std::string entryPath(const std::wstring& name) const { return reportedPath(childPath(name)); }

  // Goes down into the folder open as `h` (the walk takes it over), named
  // `name` in the folder being walked (empty for the walked folder). False,
  // with GetLastError set, when it cannot be listed.
  bool enter(Handle h, DWORD attributes, const std::wstring& name) {
    Level level;
    if (!detail::listHandle(h.get(), level.entries)) return false;
    level.h = std::move(h);
    level.attributes = attributes;
    if (!name.empty()) {
      if (!path_.empty() && !isSep(path_.back())) path_ += kSep;
      path_ += fromWide(name);
    }
    level.pathLength = path_.size();
    level.name = name;
    levels_.push_back(std::move(level));
    return true;
  }

  // Climbs out of the folder being walked and hands it back, still open.
  Level leave() {
    Level child = std::move(levels_.back());
    levels_.pop_back();
    if (!levels_.empty()) path_.resize(levels_.back().pathLength);
    return child;
  }

 private:
  std::string childPath(const std::wstring& name) const {
    std::string out = path_;
    if (!out.empty() && !isSep(out.back())) out += kSep;
    return out + fromWide(name);
  }

  std::vector<Level> levels_;
  std::string path_;
};

// ---- size ---------------------------------------------------------------

void sizeBelow(Walk& walk, DWORD volume, TreeSize& out) {
  detail::WideEntry e;
  while (!walk.done()) {
    if (!walk.next(e)) {
      walk.leave();
      continue;
    }
    const bool reparse = (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!isFolder(e.attributes) && !reparse) {
      out.bytes += e.size;
      ++out.files;
      continue;
    }
    Handle sub;
    NTSTATUS status =
        detail::openRelative(walk.top().h.get(), e.name, kWalkAccess, kWalkShare, 0, sub);
    if (!NT_SUCCESS(status)) {
      if (!gone(status))
        walk.note(out.unread, e.name, detail::win32Reason(detail::ntToWin32(status)));
      continue;
    }
    DWORD attributes = 0, tag = 0;
    if (!detail::attributeTag(sub.get(), attributes, tag)) {
      walk.note(out.unread, e.name, detail::win32Reason(::GetLastError()));
      continue;
    }
    if (detail::isNameSurrogate(attributes, tag)) {
      if (detail::isVolumeMountPoint(sub.get()))
        out.skippedMounts.push_back(walk.entryPath(e.name));
      continue;  // links count nothing
    }
    if (!isFolder(attributes)) {
      // a file with another kind of reparse data (deduplicated, cloud)
      out.bytes += e.size;
      ++out.files;
      continue;
    }
    if (volumeOf(sub.get()) != volume) {
      out.skippedMounts.push_back(walk.entryPath(e.name));
      continue;
    }
    if (!walk.enter(std::move(sub), attributes, e.name)) {
      walk.note(out.unread, e.name, detail::win32Reason(::GetLastError()));
    }
  }
}

// ---- removal ------------------------------------------------------------

class Remover {
 public:
  Remover(Walk& walk, DWORD volume, const std::function<void()>& between, TreeProblems& problems)
      : walk_(walk), volume_(volume), between_(between), problems_(problems) {}

  // Removes everything inside the walked folder; true when nothing stayed.
  // The walked folder itself comes back in `root`, still open.
  bool emptyAll(Level& root) {
    detail::WideEntry e;
    while (!walk_.done()) {
      if (walk_.next(e)) {
        if (between_) between_();
        removeEntry(e.name);
        continue;
      }
      const bool top = walk_.depth() == 1;
      Level left = walk_.leave();
      if (top) {
        root = std::move(left);
        return root.clean;
      }
      // The folder just emptied goes too, unless something in it stayed.
      if (!left.clean || !remove(left.h, left.attributes, left.name)) walk_.top().clean = false;
    }
    return false;
  }

 private:
  // Removes one entry of the folder being walked, or goes down into it.
  void removeEntry(const std::wstring& name) {
    Handle h;
    NTSTATUS status =
        detail::openRelative(walk_.top().h.get(), name, kRemoveAccess, kWalkShare, 0, h);
    if (!NT_SUCCESS(status)) {
      if (!gone(status)) fail(name, detail::ntToWin32(status));
      return;
    }
    DWORD attributes = 0, tag = 0;
    if (!detail::attributeTag(h.get(), attributes, tag)) return fail(name, ::GetLastError());
    if (detail::isNameSurrogate(attributes, tag)) {
      if (detail::isVolumeMountPoint(h.get())) {
        walk_.top().clean = false;
        walk_.note(problems_, name, kMountReason);
      } else if (!remove(h, attributes, name)) {  // the link itself
        walk_.top().clean = false;
      }
      return;
    }
    if (!isFolder(attributes)) {
      if (!remove(h, attributes, name)) walk_.top().clean = false;
    } else if (volumeOf(h.get()) != volume_) {
      walk_.top().clean = false;
      walk_.note(problems_, name, kMountReason);
    } else if (!walk_.enter(std::move(h), attributes, name)) {
      fail(name, ::GetLastError());
    }
  }

  // Deletes an entry of the folder being walked, open as `h`.
  bool remove(Handle& h, DWORD attributes, const std::wstring& name) {
    DWORD err = 0;
    if (deleteOpen(h, attributes, err)) return true;
    walk_.note(problems_, name, detail::win32Reason(err));
    return false;
  }

  void fail(const std::wstring& name, DWORD err) {
    walk_.top().clean = false;
    walk_.note(problems_, name, detail::win32Reason(err));
  }

  Walk& walk_;
  DWORD volume_;
  const std::function<void()>& between_;
  TreeProblems& problems_;
};

// The temporary files directly in `dir`, removed when `remove` is set;
// their full paths.
std::vector<std::string> leftoverTempFiles(std::string_view dir, bool remove) {
  std::vector<std::string> found;
  if (dir.find('\0') != std::string_view::npos || dir.empty()) return found;
  try {
    const std::string path(dir);
    Handle d = openRootFolder(path, kWalkAccess, kShareAll);
    if (!d) return found;
    std::vector<detail::WideEntry> entries;
    detail::listHandle(d.get(), entries);
    for (const detail::WideEntry& e : entries) {
      const std::string name = fromWide(e.name);
      if (!isTempFileName(name)) continue;
      if ((e.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
      // A temporary file that a live save holds open does not share deletion:
      // the open fails and the file stays.
      Handle f;
      if (!NT_SUCCESS(detail::openRelative(d.get(), e.name, DELETE | FILE_READ_ATTRIBUTES,
                                           kShareAll, FILE_NON_DIRECTORY_FILE, f))) {
        continue;
      }
      DWORD attributes = 0, tag = 0;
      if (!detail::attributeTag(f.get(), attributes, tag) ||
          (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        continue;
      }
      if (remove && !detail::deleteByHandle(f.get())) continue;
      found.push_back(joinPath(path, name));
    }
  } catch (const FsError&) {
    // best effort
  }
  return found;
}

}  // namespace

TreeSize treeSize(std::string_view folder) {
  TreeSize out;
  if (folder.find('\0') != std::string_view::npos || folder.empty()) return out;
  const std::string path(folder);
  Handle root = openRootFolder(path, kWalkAccess, kWalkShare | FILE_SHARE_DELETE);
  if (!root) return out;
  const DWORD volume = volumeOf(root.get());
  Walk walk(path);
  if (!walk.enter(std::move(root), FILE_ATTRIBUTE_DIRECTORY, {})) {
    out.unread.add(path, detail::win32Reason(::GetLastError()));
    return out;
  }
  sizeBelow(walk, volume, out);
  return out;
}

TreeProblems removeTree(std::string_view folder, bool removeFolder,
                        const std::function<void()>& between) {
  const std::string shown(folder);
  TreeProblems problems;
  std::string parentPath, last;
  if (folder.find('\0') != std::string_view::npos || !detail::splitLast(folder, parentPath, last)) {
    problems.add(shown, std::strerror(EINVAL));
    return problems;
  }
  Handle parent(::CreateFileW(detail::widePath(parentPath).c_str(),
                              FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!parent) {
    DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) {
      problems.add(shown, detail::win32Reason(err));
    }
    return problems;
  }
  Handle root;
  NTSTATUS status =
      detail::openRelative(parent.get(), toWide(last), kRemoveAccess, kWalkShare, 0, root);
  if (!NT_SUCCESS(status)) {
    if (!gone(status)) problems.add(shown, detail::win32Reason(detail::ntToWin32(status)));
    return problems;
  }
  DWORD attributes = 0, tag = 0;
  if (!detail::attributeTag(root.get(), attributes, tag)) {
    problems.add(shown, detail::win32Reason(::GetLastError()));
    return problems;
  }
  DWORD err = 0;
  if (detail::isNameSurrogate(attributes, tag)) {
    // A link in the folder's place is removed as the link it is; a volume
    // mounted there is left alone.
    if (detail::isVolumeMountPoint(root.get())) {
      problems.add(shown, kMountReason);
    } else if (!deleteOpen(root, attributes, err)) {
      problems.add(shown, detail::win32Reason(err));
    }
    return problems;
  }
  if (!isFolder(attributes)) {
    problems.add(shown, std::strerror(ENOTDIR));
    return problems;
  }
  const DWORD volume = volumeOf(root.get());
  if (volume != volumeOf(parent.get())) {
    problems.add(shown, kMountReason);
    return problems;
  }
  Walk walk(shown);
  if (!walk.enter(std::move(root), attributes, {})) {
    problems.add(shown, detail::win32Reason(::GetLastError()));
    return problems;
  }
  Remover remover(walk, volume, between, problems);
  Level top;
  if (remover.emptyAll(top) && removeFolder && !deleteOpen(top.h, top.attributes, err)) {
    problems.add(shown, detail::win32Reason(err));
  }
  return problems;
}

std::vector<std::string> findLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, false);
}

std::vector<std::string> removeLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, true);
}

}  // namespace tunebelt::platform
