// The walks on Windows. Each folder is opened relative to its open parent
// (NtCreateFile with a root handle, the system's openat) and never through a
// reparse point: a symbolic link or junction is removed or skipped itself. A
// folder being walked is held open without delete sharing, so it cannot be
// renamed away or swapped for a link meanwhile. A volume mounted on a folder
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

std::string childPath(const std::string& parent, const std::wstring& name) {
  std::string out = parent;
  if (!out.empty() && !isSep(out.back())) out += kSep;
  return out + fromWide(name);
}

bool gone(NTSTATUS status) {
  DWORD err = detail::ntToWin32(status);
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

// Opens a folder given by path, not through a reparse point in its own
// place; empty when it is none or cannot be opened.
Handle openRootFolder(const std::string& path, ACCESS_MASK access, ULONG share) {
  Handle h(::CreateFileW(detail::widePath(path).c_str(), access | SYNCHRONIZE, share, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr));
  DWORD attributes = 0, tag = 0;
  if (!h || !detail::attributeTag(h.get(), attributes, tag)) return {};
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || detail::isNameSurrogate(attributes, tag)) {
    return {};
  }
  return h;
}

// ---- size ---------------------------------------------------------------

void sizeBelow(HANDLE dir, DWORD volume, const std::string& shown, TreeSize& out) {
  std::vector<detail::WideEntry> entries;
  detail::listHandle(dir, entries);  // what could be read counts
  for (const detail::WideEntry& e : entries) {
    const bool reparse = (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !reparse) {
      out.bytes += e.size;
      ++out.files;
      continue;
    }
    Handle sub;
    if (!NT_SUCCESS(detail::openRelative(dir, e.name, kWalkAccess, kWalkShare, 0, sub))) continue;
    DWORD attributes = 0, tag = 0;
    if (!detail::attributeTag(sub.get(), attributes, tag)) continue;
    const std::string path = childPath(shown, e.name);
    if (detail::isNameSurrogate(attributes, tag)) {
      if (detail::isVolumeMountPoint(sub.get())) out.skippedMounts.push_back(path);
      continue;  // links count nothing
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      // a file with another kind of reparse data (deduplicated, cloud)
      out.bytes += e.size;
      ++out.files;
      continue;
    }
    if (volumeOf(sub.get()) != volume) {
      out.skippedMounts.push_back(path);
      continue;
    }
    sizeBelow(sub.get(), volume, path, out);
  }
}

// ---- removal ------------------------------------------------------------

class Remover {
 public:
  Remover(DWORD volume, const std::function<void()>& between)
      : volume_(volume), between_(between) {}

  // Removes everything inside the open folder; true when nothing stayed.
  bool emptyFolder(HANDLE dir, const std::string& shown) {
    std::vector<detail::WideEntry> entries;
    if (!detail::listHandle(dir, entries)) {
      problem(shown, ::GetLastError());
      return false;
    }
    bool clean = true;
    for (const detail::WideEntry& e : entries) {
      between();
      clean = removeEntry(dir, e.name, childPath(shown, e.name)) && clean;
    }
    return clean;
  }

  // Removes one entry of an open folder; true when it is gone.
  bool removeEntry(HANDLE dir, const std::wstring& name, const std::string& path) {
    Handle h;
    NTSTATUS status = detail::openRelative(dir, name, kRemoveAccess, kWalkShare, 0, h);
    if (!NT_SUCCESS(status)) return gone(status) || problem(path, detail::ntToWin32(status));
    return removeOpen(h, path);
  }

  // Removes the entry open as `h` (opened without following it).
  bool removeOpen(Handle& h, const std::string& path) {
    DWORD attributes = 0, tag = 0;
    if (!detail::attributeTag(h.get(), attributes, tag)) return problem(path, ::GetLastError());
    if (detail::isNameSurrogate(attributes, tag)) {
      if (detail::isVolumeMountPoint(h.get())) {
        problems_.push_back({path, kMountReason});
        return false;
      }
      return deleteOpen(h, attributes, path);  // the link itself
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (volumeOf(h.get()) != volume_) {
        problems_.push_back({path, kMountReason});
        return false;
      }
      if (!emptyFolder(h.get(), path)) return false;
    }
    return deleteOpen(h, attributes, path);
  }

  std::vector<TreeProblem> take() { return std::move(problems_); }

  bool problem(const std::string& path, DWORD err) {
    problems_.push_back({path, detail::win32Reason(err)});
    return false;
  }

 private:
  bool deleteOpen(Handle& h, DWORD attributes, const std::string& path) {
    // Read-only, hidden and system files go too: their attributes are
    // cleared first, on the entry itself.
    detail::clearAttributes(h.get(), attributes);
    if (!detail::deleteByHandle(h.get())) {
      DWORD err = ::GetLastError();
      return err == ERROR_FILE_NOT_FOUND || problem(path, err);
    }
    h.reset();
    return true;
  }

  void between() {
    if (between_) between_();
  }

  DWORD volume_;
  const std::function<void()>& between_;
  std::vector<TreeProblem> problems_;
};

}  // namespace

TreeSize treeSize(std::string_view folder) {
  TreeSize out;
  if (folder.find('\0') != std::string_view::npos || folder.empty()) return out;
  const std::string path(folder);
  Handle root = openRootFolder(path, kWalkAccess, kWalkShare | FILE_SHARE_DELETE);
  if (!root) return out;
  sizeBelow(root.get(), volumeOf(root.get()), path, out);
  return out;
}

std::vector<TreeProblem> removeTree(std::string_view folder, bool removeFolder,
                                    const std::function<void()>& between) {
  const std::string shown(folder);
  std::string parentPath, last;
  if (folder.find('\0') != std::string_view::npos || !detail::splitLast(folder, parentPath, last)) {
    return {{shown, std::strerror(EINVAL)}};
  }
  Remover remover(0, between);
  Handle parent(::CreateFileW(detail::widePath(parentPath).c_str(),
                              FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!parent) {
    DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) remover.problem(shown, err);
    return remover.take();
  }
  Handle root;
  NTSTATUS status =
      detail::openRelative(parent.get(), toWide(last), kRemoveAccess, kWalkShare, 0, root);
  if (!NT_SUCCESS(status)) {
    if (!gone(status)) remover.problem(shown, detail::ntToWin32(status));
    return remover.take();
  }
  DWORD attributes = 0, tag = 0;
  if (!detail::attributeTag(root.get(), attributes, tag)) {
    remover.problem(shown, ::GetLastError());
    return remover.take();
  }
  if (detail::isNameSurrogate(attributes, tag)) {
    // A link in the folder's place is removed as the link it is; a volume
    // mounted there is left alone.
    Remover links(0, between);
    links.removeOpen(root, shown);
    return links.take();
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {{shown, std::strerror(ENOTDIR)}};
  const DWORD volume = volumeOf(root.get());
  if (volume != volumeOf(parent.get())) return {{shown, kMountReason}};
  Remover walk(volume, between);
  if (walk.emptyFolder(root.get(), shown) && removeFolder) {
    detail::clearAttributes(root.get(), attributes);
    if (!detail::deleteByHandle(root.get())) walk.problem(shown, ::GetLastError());
  }
  return walk.take();
}

void removeLeftoverTempFiles(std::string_view dir) {
  if (dir.find('\0') != std::string_view::npos || dir.empty()) return;
  try {
    Handle d = openRootFolder(std::string(dir), kWalkAccess, kShareAll);
    if (!d) return;
    std::vector<detail::WideEntry> entries;
    detail::listHandle(d.get(), entries);
    for (const detail::WideEntry& e : entries) {
      if (!isTempFileName(fromWide(e.name))) continue;
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
      detail::deleteByHandle(f.get());
    }
  } catch (const FsError&) {
    // best effort
  }
}

}  // namespace tunebelt::platform
