#include "platform/tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/fs.h"
#include "platform/fsdetail.h"

namespace tunebelt::platform {

namespace {

using detail::FdCloser;

// Which mount a folder belongs to. The device number tells file systems
// apart; the mount id also tells a bind mount of a folder of the same file
// system from the folder it is mounted on.
struct Mount {
  dev_t dev = 0;
  std::uint64_t id = 0;
  bool hasId = false;

  bool operator==(const Mount& o) const {
    return dev == o.dev && (!hasId || !o.hasId || id == o.id);
  }
};

Mount mountOf(int fd) {
  Mount m;
  struct stat st {};
  if (::fstat(fd, &st) == 0) m.dev = st.st_dev;
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 &&
      (sx.stx_mask & STATX_MNT_ID) != 0) {
    m.id = sx.stx_mnt_id;
    m.hasId = true;
  }
  return m;
}

std::string childPath(const std::string& parent, const char* name) {
  return parent == "/" ? parent + name : parent + "/" + name;
}

// The names in an open folder, "." and ".." left out. The listing reads
// through a second handle, so `dfd` stays usable and positioned.
bool listNames(int dfd, std::vector<std::string>& names) {
  int dup = ::openat(dfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dup < 0) return false;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::fdopendir(dup), ::closedir);
  if (!d) {
    ::close(dup);
    return false;
  }
  for (;;) {
    errno = 0;
    struct dirent* de = ::readdir(d.get());
    if (de == nullptr) return errno == 0;
    if (std::strcmp(de->d_name, ".") == 0 || std::strcmp(de->d_name, "..") == 0) continue;
    names.emplace_back(de->d_name);
  }
}

// Opens a subfolder of an open folder, never through a link; -1 when the
// entry is no folder (any more) or cannot be opened.
int openSubfolder(int dfd, const char* name) {
  return ::openat(dfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Splits a path into the folder to open and the last component; trailing
// separators are ignored. False for a path with no last component ("/").
bool splitLast(std::string_view path, std::string& parent, std::string& last) {
  std::string p(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  detail::splitParent(p, parent, last);
  return !last.empty() && last != "/";
}

// ---- size ---------------------------------------------------------------

void sizeBelow(int dfd, const Mount& mount, const std::string& shown, TreeSize& out) {
  std::vector<std::string> names;
  listNames(dfd, names);  // what could be read counts
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
    if (S_ISREG(st.st_mode)) {
      out.bytes += static_cast<std::uint64_t>(st.st_size);
      ++out.files;
      continue;
    }
    if (!S_ISDIR(st.st_mode)) continue;  // links, FIFOs, devices: nothing
    FdCloser sub{openSubfolder(dfd, name.c_str())};
    if (sub.fd < 0) continue;
    const std::string path = childPath(shown, name.c_str());
    if (!(mountOf(sub.fd) == mount)) {
      out.skippedMounts.push_back(path);
      continue;
    }
    sizeBelow(sub.fd, mount, path, out);
  }
}

// ---- removal ------------------------------------------------------------

class Remover {
 public:
  Remover(const Mount& mount, const std::function<void()>& between)
      : mount_(mount), between_(between) {}

  // Removes everything inside the open folder; true when nothing stayed.
  bool emptyFolder(int dfd, const std::string& shown) {
    std::vector<std::string> names;
    if (!listNames(dfd, names)) {
      problem(shown, errno);
      return false;
    }
    bool clean = true;
    for (const std::string& name : names) {
      between();
      clean = removeEntry(dfd, name.c_str(), childPath(shown, name.c_str())) && clean;
    }
    return clean;
  }

  // Removes one entry of an open folder; true when it is gone.
  bool removeEntry(int dfd, const char* name, const std::string& path) {
    struct stat st {};
    if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return gone(errno) || problem(path, errno);
    }
    if (!S_ISDIR(st.st_mode)) return unlinkEntry(dfd, name, 0, path);
    FdCloser sub{openSubfolder(dfd, name)};
    if (sub.fd < 0) {
      // Swapped for a link or a file since the look: remove that instead,
      // never follow it.
      if (errno == ELOOP || errno == ENOTDIR) return unlinkEntry(dfd, name, 0, path);
      return gone(errno) || problem(path, errno);
    }
    if (!(mountOf(sub.fd) == mount_)) {
      problems_.push_back({path, "is a mount point of another file system; left alone"});
      return false;
    }
    if (!emptyFolder(sub.fd, path)) return false;
    return unlinkEntry(dfd, name, AT_REMOVEDIR, path);
  }

  std::vector<TreeProblem> take() { return std::move(problems_); }

  bool problem(const std::string& path, int err) {
    problems_.push_back({path, std::strerror(err)});
    return false;
  }

 private:
  // A failed removal of an entry that vanished meanwhile is no failure.
  static bool gone(int err) { return err == ENOENT; }

  bool unlinkEntry(int dfd, const char* name, int flags, const std::string& path) {
    if (::unlinkat(dfd, name, flags) == 0) return true;
    return gone(errno) || problem(path, errno);
  }

  void between() {
    if (between_) between_();
  }

  Mount mount_;
  const std::function<void()>& between_;
  std::vector<TreeProblem> problems_;
};

}  // namespace

TreeSize treeSize(std::string_view folder) {
  TreeSize out;
  if (folder.find('\0') != std::string_view::npos) return out;
  const std::string path(folder);
  // O_NOFOLLOW: a link in the folder's place is no folder of files.
  FdCloser root{::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
  if (root.fd < 0) return out;
  sizeBelow(root.fd, mountOf(root.fd), path, out);
  return out;
}

std::vector<TreeProblem> removeTree(std::string_view folder, bool removeFolder,
                                    const std::function<void()>& between) {
  const std::string shown(folder);
  std::string parentPath, last;
  if (folder.find('\0') != std::string_view::npos || !splitLast(folder, parentPath, last)) {
    return {{shown, std::strerror(EINVAL)}};
  }
  Remover remover(Mount{}, between);
  FdCloser parent{::open(parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (parent.fd < 0) {
    if (errno != ENOENT) remover.problem(shown, errno);
    return remover.take();
  }
  FdCloser root{openSubfolder(parent.fd, last.c_str())};
  if (root.fd < 0) {
    if (errno == ENOENT) return {};
    struct stat st {};
    if ((errno == ELOOP || errno == ENOTDIR) &&
        ::fstatat(parent.fd, last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
      // A link in the folder's place is removed as the link it is.
      if (::unlinkat(parent.fd, last.c_str(), 0) != 0 && errno != ENOENT) {
        remover.problem(shown, errno);
      }
      return remover.take();
    }
    remover.problem(shown, errno);
    return remover.take();
  }
  const Mount mount = mountOf(root.fd);
  if (!(mount == mountOf(parent.fd))) {
    return {{shown, "is a mount point of another file system; left alone"}};
  }
  Remover walk(mount, between);
  if (walk.emptyFolder(root.fd, shown) && removeFolder) {
    if (::unlinkat(parent.fd, last.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
      walk.problem(shown, errno);
    }
  }
  return walk.take();
}

void removeLeftoverTempFiles(std::string_view dir) {
  if (dir.find('\0') != std::string_view::npos) return;
  const std::string path(dir);
  FdCloser d{::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
  if (d.fd < 0) return;
  std::vector<std::string> names;
  listNames(d.fd, names);
  // Names first: only a name of the pattern costs a stat, so a folder of a
  // thousand tracks is one directory read.
  for (const std::string& name : names) {
    if (!isTempFileName(name)) continue;
    struct stat st {};
    if (::fstatat(d.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
      continue;
    }
    ::unlinkat(d.fd, name.c_str(), 0);
  }
}

}  // namespace tunebelt::platform
