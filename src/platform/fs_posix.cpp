#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "platform/filestream.h"
#include "platform/fsdetail.h"

namespace tunebelt::platform {

std::string nativePath(std::string_view path) {
  // A NUL byte would silently cut the name short at the system call: such a
  // path names nothing.
  if (path.find('\0') != std::string_view::npos)
    throw FsError(std::string(path), "Invalid argument");
  return std::string(path);
}

std::string currentFolder() {
  std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), std::free);
  return cwd ? std::string(cwd.get()) : std::string();
}

bool isAbsolutePath(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

std::string absolutePath(std::string_view path) {
  if (path.empty() || isAbsolutePath(path)) return std::string(path);
  const std::string cwd = currentFolder();
  if (cwd.empty()) return std::string(path);
  return joinPath(cwd == "/" ? "" : cwd, path);
}

std::string realPath(std::string_view path) {
  const std::string native = nativePath(path);
  std::unique_ptr<char, void (*)(void*)> resolved(::realpath(native.c_str(), nullptr), std::free);
  if (!resolved) throwErrno(native, errno);
  return resolved.get();
}

namespace detail {

void splitParent(const std::string& native, std::string& parent, std::string& last) {
  auto pos = native.find_last_of('/');
  if (pos == std::string::npos) {
    parent = ".";
    last = native;
  } else {
    parent = pos == 0 ? "/" : native.substr(0, pos);
    last = native.substr(pos + 1);
  }
}

std::string notRegularReason(unsigned mode) {
  if (S_ISDIR(mode)) return std::strerror(EISDIR);
  if (S_ISFIFO(mode)) return "is a FIFO (named pipe), not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  return "is not a regular file";
}

int openRegularForReading(const std::string& native, const std::string& shown, struct stat& st) {
  // The type is checked before the open, so a FIFO is never waited on and a
  // device never opened, and again on the open file, in case the entry was
  // swapped in between. O_NONBLOCK keeps even that open from waiting.
  if (::stat(native.c_str(), &st) != 0) throwErrno(shown, errno);
  if (!S_ISREG(st.st_mode)) throw FsError(shown, notRegularReason(st.st_mode));
  int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throwErrno(shown, errno);
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    throwErrno(shown, err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FsError(shown, notRegularReason(st.st_mode));
  }
  return fd;
}

void writeAll(int fd, const char* data, std::size_t size, const std::string& shown) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(shown, errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Moves the bytes of one open file into another: copy_file_range lets the
// kernel do it; read and write where the file systems cannot.
void copyContent(int in, int out, const std::string& source, const std::string& target) {
  for (;;) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (n == 0) return;
    if (n > 0) continue;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) break;
    throwErrno(target, errno);
  }
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(source, errno);
    }
    if (n == 0) return;
    writeAll(out, buf, static_cast<std::size_t>(n), target);
  }
}

}  // namespace detail

namespace {

using detail::FdCloser;
using detail::splitParent;

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

DirEntry entryFromStat(std::string name, const struct stat& st, bool isLink) {
  DirEntry e;
  e.isHidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
  e.name = std::move(name);
  e.isLink = isLink;
  e.isDir = !isLink && S_ISDIR(st.st_mode);
  e.size = (!isLink && S_ISREG(st.st_mode)) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return e;
}

bool hasWildcard(std::string_view s) {
  return s.find_first_of("*?") != std::string_view::npos;
}

// The folder a temporary file for `target` goes in, checked for writability.
std::string checkedParent(const std::string& target) {
  std::string parent, last;
  splitParent(target, parent, last);
  struct stat st {};
  if (::stat(parent.c_str(), &st) != 0) throwErrno(parent, errno);
  if (!S_ISDIR(st.st_mode)) throwErrno(parent, ENOTDIR);
  // A folder without write permission is read-only for everybody, root too:
  // the program never writes into a folder the player has protected.
  if ((st.st_mode & kWriteBits) == 0) throwErrno(parent, EACCES);
  return parent;
}

// What existingMode answers for a link that is not followed.
constexpr int kLink = -2;

// Mode of an existing target, or -1 when there is none. A read-only target is
// refused exactly as a direct write would refuse it, and anything but a
// regular file is never replaced.
// With `follow` false a link is taken for what it is, not what it points to.
int existingMode(const std::string& target, const std::string& shown, std::uint64_t* size = nullptr,
                 bool follow = true) {
  struct stat st {};
  if ((follow ? ::stat(target.c_str(), &st) : ::lstat(target.c_str(), &st)) != 0) {
    if (errno == ENOENT) return -1;
    throwErrno(shown, errno);
  }
  if (!follow && S_ISLNK(st.st_mode)) return kLink;
  if (!S_ISREG(st.st_mode)) throw FsError(shown, detail::notRegularReason(st.st_mode));
  if ((st.st_mode & kWriteBits) == 0) throwErrno(shown, EACCES);
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  return static_cast<int>(st.st_mode & 07777);
}

// Where a write to `target` lands: the target itself, or, for a symbolic
// link, the file it points to, so that the player's link stays a link.
std::string writeTarget(const std::string& target, const std::string& shown) {
  struct stat st {};
  if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
  std::unique_ptr<char, void (*)(void*)> resolved(::realpath(target.c_str(), nullptr), std::free);
  if (!resolved) {
    if (errno == ENOENT) throw FsError(shown, "is a link to a file that does not exist");
    throwErrno(shown, errno);
  }
  return resolved.get();
}

// True when the file at `target` holds exactly `content`. Any doubt (it
// cannot be read, it is longer or shorter) answers false.
bool holdsExactly(const std::string& target, std::string_view content) {
  FdCloser f{::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (f.fd < 0) return false;
  struct stat st {};
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char buf[65536];
  std::size_t pos = 0;
  for (;;) {
    ssize_t n = ::read(f.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return pos == content.size();
    auto got = static_cast<std::size_t>(n);
    if (pos + got > content.size() || content.compare(pos, got, buf, got) != 0) return false;
    pos += got;
  }
}

void syncFolder(const std::string& folder, const std::string& shown) {
  FdCloser d{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (d.fd < 0) throwErrno(shown, errno);
  if (::fsync(d.fd) != 0 && errno != EINVAL) throwErrno(shown, errno);
}

// A temporary file beside `target`; removed again unless released. With a
// folder handle `dir`, `target` is a name inside that folder and everything
// happens relative to it.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& shown, int dir = AT_FDCWD) : dir_(dir) {
    std::string parent, last;
    splitParent(target, parent, last);
    std::string base = (parent == "/" ? "" : parent) + "/.tunebelt-" + last.substr(0, 40);
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base + "-" + std::to_string(rng() % 1000000000ULL) + ".tmp";
      fd_ = ::openat(dir_, path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) return;
      if (errno != EEXIST) {
        path_.clear();
        throwErrno(shown, errno);
      }
    }
    path_.clear();
    throwErrno(shown, EEXIST);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlinkat(dir_, path_.c_str(), 0);
  }
  int fd() const { return fd_; }

  // Closes the file, sets its mode and renames it over the target.
  void commit(const std::string& target, int mode, const std::string& shown) {
    if (mode >= 0) ::fchmod(fd_, static_cast<mode_t>(mode));
    close(shown);
    if (::renameat(dir_, path_.c_str(), dir_, target.c_str()) != 0) throwErrno(shown, errno);
    path_.clear();
  }

 private:
  void close(const std::string& shown) {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throwErrno(shown, errno);
  }

  int dir_ = AT_FDCWD;
  std::string path_;
  int fd_ = -1;
};

// Links an unnamed file (O_TMPFILE) into place under `target` (a name in the
// folder open as `dir`, or a path); false when the name is taken.
bool linkUnnamed(int fd, const std::string& target, const std::string& shown, int dir = AT_FDCWD) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), dir, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return true;
  }
  if (errno == EEXIST) return false;
  throwErrno(shown, errno);
}

// An unnamed file in `folder` (relative to `dir`), or -1 where the file
// system or the system cannot make one (the caller then uses a temporary
// name).
int openUnnamed(const std::string& folder, const std::string& shown, int dir = AT_FDCWD) {
  // Linking the file into place goes through /proc.
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  if (!procMounted) return -1;
  int fd = ::openat(dir, folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
  if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT) return -1;
  throwErrno(shown, errno);
}

FileStamp stampOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::string readOpenFile(int fd, std::uint64_t maxBytes, bool refuseLonger,
                         const std::string& shown, std::uint64_t sizeHint) {
  std::string out;
  if (sizeHint > 0) out.reserve(static_cast<std::size_t>(std::min(sizeHint, maxBytes)));
  char buf[65536];
  for (;;) {
    std::uint64_t room = maxBytes - out.size();
    // One byte beyond the limit tells a longer file from one that fits.
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf, room + 1));
    ssize_t n = ::read(fd, buf, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(shown, errno);
    }
    if (n == 0) return out;
    auto got = static_cast<std::size_t>(n);
    if (got > room) {
      if (refuseLonger) {
        throw FsError(shown, "is larger than " + std::to_string(maxBytes >> 20) +
                                 " MiB; such a file is not read");
      }
      out.append(buf, static_cast<std::size_t>(room));
      return out;
    }
    out.append(buf, got);
  }
}

}  // namespace

std::vector<DirEntry> listDir(std::string_view dir) {
  std::string native = nativePath(dir);
  if (native.empty()) throwErrno(std::string(dir), ENOENT);
  int dfd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) throwErrno(std::string(dir), errno);
  std::unique_ptr<DIR, int (*)(DIR*)> d(::fdopendir(dfd), ::closedir);
  if (!d) {
    int err = errno;
    ::close(dfd);
    throwErrno(std::string(dir), err);
  }
  std::vector<DirEntry> out;
  for (;;) {
    errno = 0;
    struct dirent* de = ::readdir(d.get());
    if (de == nullptr) break;
    std::string name = de->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(dfd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
    out.push_back(entryFromStat(std::move(name), st, S_ISLNK(st.st_mode)));
  }
  if (errno != 0) throwErrno(std::string(dir), errno);
  return out;
}

std::optional<DirEntry> lookupEntry(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) {
    errno = EINVAL;
    return std::nullopt;
  }
  std::string native(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  std::string parent, last;
  splitParent(native, parent, last);
  if (last.empty() && native != "/") {
    errno = ENOENT;
    return std::nullopt;
  }
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return std::nullopt;
  return entryFromStat(last.empty() ? native : last, st, false);
}

std::vector<DirEntry> listMatching(std::string_view path) {
  std::string native = nativePath(path);
  // "a/b/" and "a/b//" name the entry "b"; "/" alone stays the root.
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  std::string parent, last;
  splitParent(native, parent, last);
  if (last.empty()) {
    if (native != "/") throwErrno(std::string(path), ENOENT);
    last = "/";
  }
  std::vector<DirEntry> out;
  if (!hasWildcard(last)) {
    std::optional<DirEntry> e = lookupEntry(native);
    if (!e) throwErrno(std::string(path), errno);
    out.push_back(std::move(*e));
    return out;
  }
  for (DirEntry& e : listDir(parent)) {
    if (::fnmatch(last.c_str(), e.name.c_str(), 0) != 0) continue;
    if (e.isLink) {
      // A lookup by name follows the link: report what it points to.
      struct stat st {};
      if (::stat((parent + "/" + e.name).c_str(), &st) != 0) continue;
      e = entryFromStat(e.name, st, false);
    }
    out.push_back(std::move(e));
  }
  return out;
}

namespace {

bool statPath(std::string_view path, struct stat& st, bool follow) {
  if (path.find('\0') != std::string_view::npos) return false;
  std::string native(path);
  return (follow ? ::stat(native.c_str(), &st) : ::lstat(native.c_str(), &st)) == 0;
}

}  // namespace

bool pathExists(std::string_view path) {
  struct stat st {};
  return statPath(path, st, true);
}

bool entryPresent(std::string_view path) {
  struct stat st {};
  return statPath(path, st, false);
}

bool isDirectory(std::string_view path) {
  struct stat st {};
  return statPath(path, st, true) && S_ISDIR(st.st_mode);
}

bool isRegularFile(std::string_view path) {
  struct stat st {};
  return statPath(path, st, true) && S_ISREG(st.st_mode);
}

std::optional<std::uint64_t> fileSize(std::string_view path) {
  struct stat st {};
  if (!statPath(path, st, true) || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool isSymlink(std::string_view path) {
  struct stat st {};
  return statPath(path, st, false) && S_ISLNK(st.st_mode);
}

std::string readFile(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  struct stat st {};
  FdCloser f{detail::openRegularForReading(nativePath(path), shown, st)};
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    throw FsError(shown, "is larger than " + std::to_string(maxBytes >> 20) +
                             " MiB; such a file is not read");
  }
  return readOpenFile(f.fd, maxBytes, true, shown, static_cast<std::uint64_t>(st.st_size));
}

std::string readFileHead(std::string_view path, std::uint64_t maxBytes) {
  const std::string shown(path);
  struct stat st {};
  FdCloser f{detail::openRegularForReading(nativePath(path), shown, st)};
  return readOpenFile(f.fd, maxBytes, false, shown, static_cast<std::uint64_t>(st.st_size));
}

bool fileHolds(std::string_view path, std::string_view content) {
  struct stat st {};
  // The type is looked at first, so a device is never opened.
  if (!statPath(path, st, true) || !S_ISREG(st.st_mode)) return false;
  if (static_cast<std::uint64_t>(st.st_size) != content.size()) return false;
  return holdsExactly(std::string(path), content);
}

WriteResult writeFileAtomic(std::string_view path, std::string_view content, Durability durability,
                            Links links) {
  const std::string shown(path);
  const std::string native = nativePath(path);
  const std::string target = links == Links::Follow ? writeTarget(native, shown) : native;
  const std::string parent = checkedParent(target);
  std::uint64_t oldSize = 0;
  int mode = existingMode(target, shown, &oldSize, links == Links::Follow);
  // A link the new file replaces: what it points to is neither read nor kept.
  const bool link = mode == kLink;
  if (link) mode = -1;
  // A file that holds these bytes already stays as it is: saving an unchanged
  // playlist again then replaces no file (on ext4 each replacement costs a
  // new inode and a flush of its data). The checks above still refuse a
  // read-only file or folder, exactly as a write would.
  if (mode >= 0 && oldSize == content.size() && holdsExactly(target, content)) {
    return WriteResult::Unchanged;
  }
  TempFile tmp(target, shown);
  detail::writeAll(tmp.fd(), content.data(), content.size(), shown);
  const bool synced = durability == Durability::Synced;
  if (synced && ::fsync(tmp.fd()) != 0) throwErrno(shown, errno);
  tmp.commit(target, mode, shown);
  if (synced) syncFolder(parent, shown);
  return mode >= 0 || link ? WriteResult::Replaced : WriteResult::Created;
}

void copyFileAtomic(std::string_view source, std::string_view target) {
  const std::string from(source), to(target);
  struct stat st {};
  FdCloser in{detail::openRegularForReading(nativePath(source), from, st)};
  const std::string dst = nativePath(target);
  checkedParent(dst);
  int mode = existingMode(dst, to);
  TempFile tmp(dst, to);
  detail::copyContent(in.fd, tmp.fd(), from, to);
  tmp.commit(dst, mode, to);
}

std::optional<FileStamp> fileStamp(std::string_view path) {
  struct stat st {};
  if (!statPath(path, st, false) || !S_ISREG(st.st_mode)) return std::nullopt;
  return stampOf(st);
}

FileFacts regularFileFacts(std::string_view path) {
  const std::string shown(path);
  struct stat st {};
  if (::stat(nativePath(path).c_str(), &st) != 0) throwErrno(shown, errno);
  if (!S_ISREG(st.st_mode)) throw FsError(shown, detail::notRegularReason(st.st_mode));
  return {{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
          stampOf(st)};
}

std::vector<FileLook> regularFilesFacts(const std::vector<std::string>& paths) {
  std::vector<FileLook> looks(paths.size());
  FdCloser dir{-1};  // the folder of the path before, when it opened
  std::string dirPath;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    if (path.find('\0') != std::string::npos) {
      looks[i].reason = std::strerror(EINVAL);
      continue;
    }
    const std::size_t slash = path.find_last_of('/');
    const bool inFolder = slash != std::string::npos && slash > 0 && slash + 1 < path.size();
    if (inFolder && std::string_view(path).substr(0, slash) != dirPath) {
      if (dir.fd >= 0) ::close(dir.fd);
      dirPath = path.substr(0, slash);
      dir.fd = ::open(dirPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    struct stat st {};
    const int result = inFolder && dir.fd >= 0 ? ::fstatat(dir.fd, path.c_str() + slash + 1, &st, 0)
                                               : ::stat(path.c_str(), &st);
    if (result != 0) {
      looks[i].reason = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
      looks[i].reason = detail::notRegularReason(st.st_mode);
    } else {
      looks[i].facts =
          FileFacts{{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
                    stampOf(st)};
    }
  }
  return looks;
}

std::optional<FileStamp> fileStampIn(const FolderHandle& folder, std::string_view name) {
  const std::string leaf(name);
  if (leaf.empty() || leaf.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
    return std::nullopt;
  }
  struct stat st {};
  if (::fstatat(folder.native(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return stampOf(st);
}

void checkOpensForReading(std::string_view path) {
  struct stat st {};
  FdCloser f{detail::openRegularForReading(nativePath(path), std::string(path), st)};
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : path_(std::move(other.path_)), id_(other.id_), fd_(other.fd_) {
  other.fd_ = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    id_ = other.id_;
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

FolderHandle FolderHandle::open(std::string_view path, bool followLink) {
  FolderHandle h;
  h.path_ = std::string(path);
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  h.fd_ = ::open(nativePath(path).c_str(), flags);
  if (h.fd_ < 0) {
    struct stat st {};
    if (!followLink && ::lstat(h.path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      throw FsError(h.path_, "is a symbolic link, not a folder");
    }
    throwErrno(h.path_, errno);
  }
  struct stat st {};
  if (::fstat(h.fd_, &st) != 0) throwErrno(h.path_, errno);
  h.id_ = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return h;
}

bool FolderHandle::stillInPlace() const {
  struct stat st {};
  return ::stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         static_cast<std::uint64_t>(st.st_dev) == id_.device &&
         static_cast<std::uint64_t>(st.st_ino) == id_.index;
}

CopyResult copyIntoFolder(std::string_view source, const FolderHandle& folder,
                          std::string_view name, const FileStamp* known) {
  const std::string from(source);
  const std::string shown = joinPath(folder.path(), name);
  const std::string leaf = nativePath(name);
  if (leaf.empty() || leaf == "." || leaf == ".." || leaf.find('/') != std::string::npos) {
    throwErrno(shown, EINVAL);
  }
  const int dir = folder.native();
  struct stat old {};
  bool present = ::fstatat(dir, leaf.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (!present && errno != ENOENT) throwErrno(shown, errno);
  const bool oldFile = present && S_ISREG(old.st_mode);
  struct stat src {};
  if (oldFile) {
    if (known == nullptr) {
      if (::stat(nativePath(source).c_str(), &src) != 0) throwErrno(from, errno);
      if (!S_ISREG(src.st_mode)) throw FsError(from, detail::notRegularReason(src.st_mode));
    }
    if (sameVersion(stampOf(old), known != nullptr ? *known : stampOf(src))) {
      return CopyResult::AlreadyThere;
    }
  }
  // A folder is never replaced; a link or anything else but a file is.
  if (present && S_ISDIR(old.st_mode)) throw FsError(shown, std::strerror(EISDIR));
  if (oldFile && (old.st_mode & kWriteBits) == 0) throwErrno(shown, EACCES);
  struct stat folderStat {};
  if (::fstat(dir, &folderStat) != 0) throwErrno(folder.path(), errno);
  if ((folderStat.st_mode & kWriteBits) == 0) throwErrno(folder.path(), EACCES);

  FdCloser in{detail::openRegularForReading(nativePath(source), from, src)};
  // The copy keeps the source's modification time: the next save tells by
  // it that the copy is still of this version.
  const struct timespec times[2] = {{0, UTIME_NOW}, src.st_mtim};
  if (!present) {
    FdCloser unnamed{openUnnamed(".", shown, dir)};
    if (unnamed.fd >= 0) {
      detail::copyContent(in.fd, unnamed.fd, from, shown);
      if (::futimens(unnamed.fd, times) != 0) throwErrno(shown, errno);
      if (linkUnnamed(unnamed.fd, leaf, shown, dir)) return CopyResult::Copied;
      // Something took the name meanwhile: it is replaced like an old copy.
      if (::lseek(in.fd, 0, SEEK_SET) != 0) throwErrno(from, errno);
      present = true;
    }
  }
  TempFile tmp(leaf, shown, dir);
  detail::copyContent(in.fd, tmp.fd(), from, shown);
  if (::futimens(tmp.fd(), times) != 0) throwErrno(shown, errno);
  tmp.commit(leaf, oldFile ? static_cast<int>(old.st_mode & 07777) : -1, shown);
  return present ? CopyResult::Replaced : CopyResult::Copied;
}

void makeDir(std::string_view path) {
  if (::mkdir(nativePath(path).c_str(), 0777) != 0) throwErrno(std::string(path), errno);
}

void removeFile(std::string_view path) {
  if (::unlink(nativePath(path).c_str()) != 0) throwErrno(std::string(path), errno);
}

void removeDir(std::string_view path) {
  if (::rmdir(nativePath(path).c_str()) != 0) throwErrno(std::string(path), errno);
}

// ---- filestream.h -------------------------------------------------------------

InputFile::InputFile(std::string_view path) : path_(path) {
  struct stat st {};
  fd_ = detail::openRegularForReading(nativePath(path), path_, st);
  stamp_ = stampOf(st);
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd_, static_cast<char*>(data) + done, size - done,
                        static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(path_, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  position_ = offset + done;
  return done;
}

struct PendingFile::Impl {
  Impl(const std::string& shown, std::string nativeTarget)
      : target(std::move(nativeTarget)), tmp(target, shown) {}
  std::string target;
  TempFile tmp;
};

namespace {

// Where a new version of `path` goes, checked as writeFileAtomic checks it.
std::string pendingTarget(std::string_view path) {
  const std::string shown(path);
  std::string target = writeTarget(nativePath(path), shown);
  checkedParent(target);
  existingMode(target, shown);
  return target;
}

}  // namespace

PendingFile::PendingFile(std::string_view target)
    : target_(target), impl_(std::make_unique<Impl>(target_, pendingTarget(target))) {}

PendingFile::~PendingFile() = default;
PendingFile::PendingFile(PendingFile&&) noexcept = default;
PendingFile& PendingFile::operator=(PendingFile&&) noexcept = default;

void PendingFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  std::uint64_t at = offset;
  for (std::size_t left = size; left > 0;) {
    ssize_t n = ::pwrite(impl_->tmp.fd(), p, left, static_cast<off_t>(at));
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(target_, errno);
    }
    p += n;
    at += static_cast<std::uint64_t>(n);
    left -= static_cast<std::size_t>(n);
  }
  size_ = std::max(size_, at);
}

void PendingFile::commit() {
  int mode = existingMode(impl_->target, target_);
  impl_->tmp.commit(impl_->target, mode, target_);
}

}  // namespace tunebelt::platform
