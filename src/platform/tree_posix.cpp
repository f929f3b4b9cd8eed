#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/fs.h"
#include "platform/fsdetail.h"
#include "platform/tree.h"

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

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr const char* kMountReason = "is a mount point of another file system; left alone";
constexpr const char* kMovedReason = "was moved while it was walked; the walk stopped there";

// A subfolder of an open folder is opened so, never through a link.
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// How many folders a walk holds open at most. A deeper walk closes the
// shallowest one it holds and opens it again from its child when it climbs
// back, so a tree of any depth needs a few descriptors, not one a level
// (the usual limit is 1,024).
constexpr std::size_t kOpenLevels = 32;

bool gone(int err) {
  return err == ENOENT;
}

// Splits a path into the folder to open and the last component; trailing
// separators are ignored. False for a path with no last component ("/").
bool splitLast(std::string_view path, std::string& parent, std::string& last) {
  std::string p(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  detail::splitParent(p, parent, last);
  return !last.empty() && last != "/";
}

// One folder on the way from the walked folder down to the one being walked.
struct Level {
  int fd = -1;  // -1 while closed to spare descriptors
  dev_t dev = 0;
  ino_t ino = 0;
  bool writable = false;  // it has a write bit: entries may be removed from it
  bool clean = true;      // the removal: nothing in it has stayed so far
  std::string name;       // its name in the folder above; empty for the walked folder
  std::vector<std::string> names;
  std::size_t next = 0;        // the next of `names` to look at
  std::size_t pathLength = 0;  // the shared path's length at this folder
};

// The folders from the walked one down to the one being walked. Each keeps
// the names listed in it and how far the walk got; the path for reports is
// one text that all of them share.
class Walk {
 public:
  Walk(std::string top, const Mount& mount)
      : path_(std::move(top)), mount_(mount), buffer_(std::make_unique<std::uint64_t[]>(kWords)) {}
  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;
  ~Walk() {
    for (Level& level : levels_) close(level);
  }

  bool done() const { return levels_.empty(); }
  std::size_t depth() const { return levels_.size(); }
  Level& top() { return levels_.back(); }
  bool sameMount(int fd) const { return mountOf(fd) == mount_; }

  // The next name in the folder being walked; false when all were seen.
  bool next(std::string& name) {
    Level& here = top();
    if (here.next == here.names.size()) return false;
    name = std::move(here.names[here.next++]);
    return true;
  }

  // Notes a problem with an entry of the folder being walked (or, for an
  // empty name, with that folder). The path is only built for the problems
  // that are kept.
  void note(TreeProblems& problems, const std::string& name, const char* reason) const {
    if (problems.keeps()) {
      problems.add(name.empty() ? path_ : joined(name), reason);
    } else {
      ++problems.count;
    }
  }
  std::string entryPath(const std::string& name) const { return reportedPath(joined(name)); }

  // Goes down into the folder open as `fd` (the walk takes it over), named
  // `name` in the folder being walked (empty for the walked folder). False,
  // with errno set and the folder closed, when it cannot be listed.
  bool enter(int fd, std::string name) {
    Level level;
    level.fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !listNames(fd, level.names)) {
      const int err = errno;
      close(level);
      errno = err;
      return false;
    }
    level.dev = st.st_dev;
    level.ino = st.st_ino;
    level.writable = (st.st_mode & kWriteBits) != 0;
    if (!name.empty()) {
      if (path_ != "/") path_ += '/';
      path_ += name;
    }
    level.pathLength = path_.size();
    level.name = std::move(name);
    levels_.push_back(std::move(level));
    while (levels_.size() - firstOpen_ > kOpenLevels && closeShallowest()) {
    }
    return true;
  }

  // Climbs out of the folder being walked; returns it, closed. The folder
  // above it is opened again when its handle was closed; when that is not
  // the same folder any more (the tree was moved meanwhile), the walk ends
  // here and the problem is noted.
  Level leave(TreeProblems& problems) {
    Level child = std::move(levels_.back());
    levels_.pop_back();
    if (!levels_.empty()) {
      Level& parent = levels_.back();
      path_.resize(parent.pathLength);
      if (parent.fd < 0) {
        if (reopen(parent, child.fd)) {
          firstOpen_ = levels_.size() - 1;
        } else {
          note(problems, {}, errno == 0 ? kMovedReason : std::strerror(errno));
          for (Level& level : levels_) close(level);
          levels_.clear();
        }
      }
    }
    if (levels_.empty()) firstOpen_ = 0;
    close(child);
    return child;
  }

  // Opens an entry of the folder being walked as a subfolder; -1, with
  // errno set, when it is no folder (any more) or cannot be opened.
  int openSubfolder(const std::string& name) {
    return retrying([&] { return ::openat(top().fd, name.c_str(), kFolderFlags); });
  }

 private:
  static constexpr std::size_t kWords = 4096;  // 32 KiB to list folders with

  std::string joined(const std::string& name) const {
    return path_ == "/" ? path_ + name : path_ + "/" + name;
  }

  // The names in an open folder, "." and ".." left out, read through the
  // handle itself.
  bool listNames(int fd, std::vector<std::string>& names) {
    char* buf = reinterpret_cast<char*>(buffer_.get());
    for (;;) {
      const ssize_t n = ::getdents64(fd, buf, kWords * sizeof(std::uint64_t));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      for (ssize_t at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buf + at);
        at += entry->d_reclen;
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
          names.emplace_back(entry->d_name);
        }
      }
    }
  }

  // Runs an open, closing held folders for as long as the process is out
  // of descriptors.
  template <typename Open>
  int retrying(Open open) {
    for (;;) {
      const int fd = open();
      if (fd >= 0 || (errno != EMFILE && errno != ENFILE)) return fd;
      const int err = errno;
      if (!closeShallowest()) {
        errno = err;
        return -1;
      }
    }
  }

  // Closes the shallowest folder held open but the one being walked; false
  // when there is none. The open ones are always the deepest, from
  // firstOpen_ on.
  bool closeShallowest() {
    if (firstOpen_ + 1 >= levels_.size()) return false;
    close(levels_[firstOpen_++]);
    return true;
  }

  // Opens `level` again as the folder above the one open as `childFd`, and
  // checks that it is the folder it was. False with errno 0 when it is not.
  bool reopen(Level& level, int childFd) {
    const int fd = retrying([&] { return ::openat(childFd, "..", kFolderFlags); });
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != level.dev || st.st_ino != level.ino) {
      ::close(fd);
      errno = 0;
      return false;
    }
    level.fd = fd;
    return true;
  }

  void close(Level& level) {
    if (level.fd < 0) return;
    ::close(level.fd);
    level.fd = -1;
  }

  std::vector<Level> levels_;
  std::string path_;
  Mount mount_;
  std::size_t firstOpen_ = 0;  // the shallowest level held open
  std::unique_ptr<std::uint64_t[]> buffer_;
};

// ---- size ---------------------------------------------------------------

void sizeBelow(Walk& walk, TreeSize& out) {
  std::string name;
  while (!walk.done()) {
    if (!walk.next(name)) {
      walk.leave(out.unread);
      continue;
    }
    struct stat st {};
    if (::fstatat(walk.top().fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      out.bytes += static_cast<std::uint64_t>(st.st_size);
      ++out.files;
      continue;
    }
    if (!S_ISDIR(st.st_mode)) continue;  // links, FIFOs, devices: nothing
    const int sub = walk.openSubfolder(name);
    if (sub < 0) {
      // Swapped for a link or a file since the look, or gone: nothing.
      if (errno != ELOOP && errno != ENOTDIR && !gone(errno)) {
        walk.note(out.unread, name, std::strerror(errno));
      }
    } else if (!walk.sameMount(sub)) {
      ::close(sub);
      out.skippedMounts.push_back(walk.entryPath(name));
    } else if (!walk.enter(sub, name)) {
      walk.note(out.unread, name, std::strerror(errno));
    }
  }
}

// ---- removal ------------------------------------------------------------

class Remover {
 public:
  Remover(Walk& walk, const std::function<void()>& between, TreeProblems& problems)
      : walk_(walk), between_(between), problems_(problems) {}

  // Removes everything inside the walked folder; true when nothing stayed.
  bool emptyAll() {
    std::string name;
    while (!walk_.done()) {
      if (walk_.next(name)) {
        if (between_) between_();
        removeEntry(name);
        continue;
      }
      const bool top = walk_.depth() == 1;
      const Level left = walk_.leave(problems_);
      if (top) return left.clean;
      if (walk_.done()) return false;  // the walk had to stop
      // The folder just emptied goes too, unless something in it stayed.
      if (!left.clean || !unlinkEntry(left.name, AT_REMOVEDIR)) walk_.top().clean = false;
    }
    return false;
  }

 private:
  // Removes one entry of the folder being walked, or goes down into it.
  void removeEntry(const std::string& name) {
    struct stat st {};
    if (::fstatat(walk_.top().fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (!gone(errno)) fail(name, errno);
      return;
    }
    if (!S_ISDIR(st.st_mode)) {
      if (!unlinkEntry(name, 0)) walk_.top().clean = false;
      return;
    }
    const int sub = walk_.openSubfolder(name);
    if (sub < 0) {
      // Swapped for a link or a file since the look: that goes instead,
      // never followed.
      if (errno == ELOOP || errno == ENOTDIR) {
        if (!unlinkEntry(name, 0)) walk_.top().clean = false;
      } else if (!gone(errno)) {
        fail(name, errno);
      }
    } else if (!walk_.sameMount(sub)) {
      ::close(sub);
      walk_.top().clean = false;
      walk_.note(problems_, name, kMountReason);
    } else if (!walk_.enter(sub, name)) {
      fail(name, errno);
    }
  }

  // Removes an entry of the folder being walked; true when it is gone.
  // Nothing goes from a folder without a write bit, whoever asks.
  bool unlinkEntry(const std::string& name, int flags) {
    const Level& here = walk_.top();
    if (!here.writable) {
      walk_.note(problems_, name, std::strerror(EACCES));
      return false;
    }
    if (::unlinkat(here.fd, name.c_str(), flags) == 0 || gone(errno)) return true;
    walk_.note(problems_, name, std::strerror(errno));
    return false;
  }

  void fail(const std::string& name, int err) {
    walk_.top().clean = false;
    walk_.note(problems_, name, std::strerror(err));
  }

  Walk& walk_;
  const std::function<void()>& between_;
  TreeProblems& problems_;
};

bool writableFolder(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && (st.st_mode & kWriteBits) != 0;
}

// The temporary files directly in `dir`, removed when `remove` is set;
// their full paths.
std::vector<std::string> leftoverTempFiles(std::string_view dir, bool remove) {
  std::vector<std::string> found;
  if (dir.find('\0') != std::string_view::npos) return found;
  const std::string path(dir);
  const int fd = ::open(path.c_str(), kFolderFlags);
  if (fd < 0) return found;
  Walk walk(path, mountOf(fd));
  if (!walk.enter(fd, {})) return found;
  // Names first: only a name of the pattern costs a stat, so a folder of a
  // thousand tracks is one directory read.
  std::string name;
  while (walk.next(name)) {
    if (!isTempFileName(name)) continue;
    struct stat st {};
    const int at = walk.top().fd;
    if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
      continue;
    }
    if (remove && ::unlinkat(at, name.c_str(), 0) != 0) continue;
    found.push_back(joinPath(path, name));
  }
  return found;
}

}  // namespace

TreeSize treeSize(std::string_view folder) {
  TreeSize out;
  if (folder.find('\0') != std::string_view::npos) return out;
  const std::string path(folder);
  // O_NOFOLLOW: a link in the folder's place is no folder of files.
  const int root = ::open(path.c_str(), kFolderFlags);
  if (root < 0) {
    if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP) {
      out.unread.add(path, std::strerror(errno));
    }
    return out;
  }
  Walk walk(path, mountOf(root));
  if (!walk.enter(root, {})) {
    out.unread.add(path, std::strerror(errno));
    return out;
  }
  sizeBelow(walk, out);
  return out;
}

TreeProblems removeTree(std::string_view folder, bool removeFolder,
                        const std::function<void()>& between) {
  const std::string shown(folder);
  TreeProblems problems;
  std::string parentPath, last;
  if (folder.find('\0') != std::string_view::npos || !splitLast(folder, parentPath, last)) {
    problems.add(shown, std::strerror(EINVAL));
    return problems;
  }
  FdCloser parent{::open(parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (parent.fd < 0) {
    if (!gone(errno)) problems.add(shown, std::strerror(errno));
    return problems;
  }
  // Taking the folder, or a link in its place, away takes its parent's write
  // permission: a parent without any write bit is never changed, root or not.
  const auto unlinkFromParent = [&](int flags) {
    if (!writableFolder(parent.fd)) {
      problems.add(shown, std::strerror(EACCES));
    } else if (::unlinkat(parent.fd, last.c_str(), flags) != 0 && !gone(errno)) {
      problems.add(shown, std::strerror(errno));
    }
  };
  const int root = ::openat(parent.fd, last.c_str(), kFolderFlags);
  if (root < 0) {
    const int err = errno;
    struct stat st {};
    if (gone(err)) return problems;
    if ((err == ELOOP || err == ENOTDIR) &&
        ::fstatat(parent.fd, last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
      unlinkFromParent(0);  // a link in the folder's place goes as the link it is
    } else {
      problems.add(shown, std::strerror(err));
    }
    return problems;
  }
  const Mount mount = mountOf(root);
  if (!(mount == mountOf(parent.fd))) {
    ::close(root);
    problems.add(shown, kMountReason);
    return problems;
  }
  Walk walk(shown, mount);
  if (!walk.enter(root, {})) {
    problems.add(shown, std::strerror(errno));
    return problems;
  }
  Remover remover(walk, between, problems);
  if (remover.emptyAll() && removeFolder) unlinkFromParent(AT_REMOVEDIR);
  return problems;
}

std::vector<std::string> findLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, false);
}

std::vector<std::string> removeLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, true);
}

}  // namespace tunebelt::platform
