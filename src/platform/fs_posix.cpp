// The file-system primitives on POSIX (primitives.h), and the calls of fs.h
// that only name, list or look up: each one system call or close to it.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/fs.h"
#include "platform/fsdetail.h"
#include "platform/primitives.h"

namespace tunebelt::platform {

namespace sys {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

Kind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::Regular;
  if (S_ISDIR(mode)) return Kind::Folder;
  if (S_ISLNK(mode)) return Kind::Link;
  if (S_ISFIFO(mode)) return Kind::Fifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
  if (S_ISSOCK(mode)) return Kind::Socket;
  return Kind::Other;
}

Info infoFrom(const struct stat& st) {
  Info info;
  info.kind = kindOf(st.st_mode);
  if (info.kind == Kind::Regular) info.stamp.size = static_cast<std::uint64_t>(st.st_size);
  info.stamp.modified =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  info.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  info.writable = (st.st_mode & kWriteBits) != 0;
  info.keep = st.st_mode & 07777;
  return info;
}

bool statWith(int result, const struct stat& st, Info& out) {
  if (result != 0) return false;
  out = infoFrom(st);
  return true;
}

}  // namespace

void closeNative(Native h) {
  ::close(h);
}

Error lastError() {
  return errno;
}

std::string reasonOf(Error err) {
  return std::strerror(static_cast<int>(err));
}

bool isMissing(Error err) {
  return err == ENOENT;
}

bool isTaken(Error err) {
  return err == EEXIST;
}

bool isNoFolder(Error err) {
  return err == ELOOP || err == ENOTDIR;
}

bool isOutOfHandles(Error err) {
  return err == EMFILE || err == ENFILE;
}

bool statPath(const std::string& native, bool follow, Info& out) {
  struct stat st {};
  return statWith(follow ? ::stat(native.c_str(), &st) : ::lstat(native.c_str(), &st), st, out);
}

bool identify(const std::string& native, Info& out) {
  return statPath(native, true, out);
}

bool statAt(Native dir, const std::string& name, Info& out) {
  struct stat st {};
  return statWith(::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW), st, out);
}

bool infoOf(Native h, Info& out) {
  struct stat st {};
  return statWith(::fstat(h, &st), st, out);
}

bool resolveLink(const std::string& native, std::string& out) {
  std::unique_ptr<char, void (*)(void*)> resolved(::realpath(native.c_str(), nullptr), std::free);
  if (!resolved) return false;
  out = resolved.get();
  return true;
}

Handle openRegularForReading(const std::string& native, const std::string& shown, Info& out) {
  // The kind is checked before the open, so a FIFO is never waited on and a
  // device never opened, and again on the open file, in case the entry was
  // swapped in between. O_NONBLOCK keeps even that open from waiting.
  if (!statPath(native, true, out)) fail(shown, errno);
  if (out.kind != Kind::Regular) throw FsError(shown, notRegularReason(out.kind));
  Handle h(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!h) fail(shown, errno);
  if (!infoOf(h.get(), out)) fail(shown, errno);
  if (out.kind != Kind::Regular) throw FsError(shown, notRegularReason(out.kind));
  return h;
}

std::size_t readSome(Native h, char* data, std::size_t size, const std::string& shown) {
  for (;;) {
    const ssize_t n = ::read(h, data, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) fail(shown, errno);
  }
}

std::size_t readAt(Native h, std::uint64_t offset, char* data, std::size_t size,
                   const std::string& shown) {
  for (;;) {
    const ssize_t n = ::pread(h, data, size, static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) fail(shown, errno);
  }
}

std::size_t writeSome(Native h, const char* data, std::size_t size, const std::string& shown) {
  for (;;) {
    const ssize_t n = ::write(h, data, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) fail(shown, errno);
  }
}

std::size_t writeAt(Native h, std::uint64_t offset, const char* data, std::size_t size,
                    const std::string& shown) {
  for (;;) {
    const ssize_t n = ::pwrite(h, data, size, static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) fail(shown, errno);
  }
}

// copy_file_range lets the kernel move the bytes; read and write where the
// file systems cannot.
void copyContent(Native in, Native out, const std::string& source, const std::string& target) {
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (n == 0) return;
    if (n > 0) continue;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) break;
    fail(target, errno);
  }
  char buf[1 << 16];
  for (;;) {
    const std::size_t got = readSome(in, buf, sizeof buf, source);
    if (got == 0) return;
    for (std::size_t done = 0; done < got;) {
      done += writeSome(out, buf + done, got - done, target);
    }
  }
}

void rewind(Native h, const std::string& shown) {
  if (::lseek(h, 0, SEEK_SET) != 0) fail(shown, errno);
}

void setModified(Native h, const FileStamp& stamp, const std::string& shown) {
  constexpr std::int64_t kSecond = 1'000'000'000;
  std::int64_t seconds = stamp.modified / kSecond, nanos = stamp.modified % kSecond;
  if (nanos < 0) {
    nanos += kSecond;
    --seconds;
  }
  const struct timespec times[2] = {{0, UTIME_NOW},
                                    {static_cast<time_t>(seconds), static_cast<long>(nanos)}};
  if (::futimens(h, times) != 0) fail(shown, errno);
}

void keepFrom(Native h, const Info& old) {
  ::fchmod(h, static_cast<mode_t>(old.keep));
}

bool createNew(Native dir, const std::string& name, Handle& out) {
  out = Handle(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  return static_cast<bool>(out);
}

void finishNew(Native dir, Handle& file, const std::string& name, const std::string& target,
               bool synced, const std::string& shown) {
  if (synced && ::fsync(file.get()) != 0) fail(shown, errno);
  // A write error may only show when the file closes (NFS).
  if (::close(file.release()) != 0) fail(shown, errno);
  if (::renameat(dir, name.c_str(), dir, target.c_str()) != 0) fail(shown, errno);
  if (!synced) return;
  Handle folder;
  if (dir == kCurrentFolder) {
    std::string parent, last;
    splitLast(target, parent, last);
    folder = Handle(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) fail(shown, errno);
  }
  if (::fsync(folder ? folder.get() : dir) != 0 && errno != EINVAL) fail(shown, errno);
}

void dropNew(Native dir, Handle& file, const std::string& name) {
  file.reset();
  ::unlinkat(dir, name.c_str(), 0);
}

Handle openUnnamed(Native dir, const std::string& shown) {
  // Naming the file goes through /proc.
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  if (!procMounted) return {};
  Handle h(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (h) return h;
  if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT) return {};
  fail(shown, errno);
}

bool linkUnnamed(Native dir, Native file, const std::string& name, const std::string& shown) {
  const std::string self = "/proc/self/fd/" + std::to_string(file);
  if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  fail(shown, errno);
}

bool splitLast(std::string_view path, std::string& parent, std::string& last) {
  std::string p(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  const auto pos = p.find_last_of('/');
  if (pos == std::string::npos) {
    parent = ".";
    last = p;
  } else {
    parent = pos == 0 ? "/" : p.substr(0, pos);
    last = p.substr(pos + 1);
  }
  return !last.empty() && last != "/";
}

}  // namespace sys

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
  std::string resolved;
  if (!sys::resolveLink(native, resolved)) throwErrno(native, errno);
  return resolved;
}

namespace {

DirEntry entryFromStat(std::string name, const struct stat& st, bool isLink) {
  DirEntry e;
  e.isHidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
  e.name = std::move(name);
  e.isLink = isLink;
  e.isDir = !isLink && S_ISDIR(st.st_mode);
  e.size = (!isLink && S_ISREG(st.st_mode)) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return e;
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
  const std::string native = detail::withoutTrailingSeps(std::string(path));
  std::string parent, last;
  if (!sys::splitLast(native, parent, last) && native != "/") {
    errno = ENOENT;
    return std::nullopt;
  }
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return std::nullopt;
  return entryFromStat(native == "/" ? native : last, st, false);
}

namespace sys {

std::vector<DirEntry> matchingEntries(const std::string& /*pattern*/, const std::string& parent,
                                      const std::string& last, const std::string& /*shown*/) {
  std::vector<DirEntry> out;
  for (DirEntry& e : listDir(parent)) {
    if (::fnmatch(last.c_str(), e.name.c_str(), 0) == 0) out.push_back(std::move(e));
  }
  return out;
}

}  // namespace sys

std::vector<FileLook> regularFilesFacts(const std::vector<std::string>& paths) {
  // Paths in the folder of the path before them are looked at relative to
  // that folder, opened once.
  std::vector<FileLook> looks(paths.size());
  sys::Handle dir;
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
      dirPath = path.substr(0, slash);
      dir = sys::Handle(::open(dirPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    struct stat st {};
    const int result = inFolder && dir ? ::fstatat(dir.get(), path.c_str() + slash + 1, &st, 0)
                                       : ::stat(path.c_str(), &st);
    const sys::Info info = sys::infoFrom(st);
    if (result != 0) {
      looks[i].reason = std::strerror(errno);
    } else if (info.kind != sys::Kind::Regular) {
      looks[i].reason = sys::notRegularReason(info.kind);
    } else {
      looks[i].facts = FileFacts{info.id, info.stamp};
    }
  }
  return looks;
}

FolderHandle FolderHandle::open(std::string_view path, bool followLink) {
  FolderHandle h;
  h.path_ = std::string(path);
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  h.native_ = ::open(nativePath(path).c_str(), flags);
  if (h.native_ < 0) {
    struct stat st {};
    if (!followLink && ::lstat(h.path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      throw FsError(h.path_, "is a symbolic link, not a folder");
    }
    throwErrno(h.path_, errno);
  }
  sys::Info info;
  if (!sys::infoOf(h.native_, info)) throwErrno(h.path_, errno);
  h.id_ = info.id;
  return h;
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

}  // namespace tunebelt::platform
