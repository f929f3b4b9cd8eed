#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

namespace tunebelt::platform {

FsError::FsError(std::string path, std::string reason)
    : std::runtime_error(path + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

void throwErrno(const std::string& path, int err) {
  throw FsError(path, std::strerror(err));
}

std::string nativePath(std::string_view path) {
  // A NUL byte would silently cut the name short at the system call: such a
  // path names nothing.
  if (path.find('\0') != std::string_view::npos)
    throw FsError(std::string(path), "Invalid argument");
  std::string out(path);
#ifndef _WIN32
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
#endif
  return out;
}

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

DirEntry entryFromStat(std::string name, const struct stat& st, bool isLink) {
  DirEntry e;
  e.isHidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
  e.name = std::move(name);
  e.isLink = isLink;
  e.isDir = !isLink && S_ISDIR(st.st_mode);
  e.isReadOnly = (st.st_mode & kWriteBits) == 0;
  e.size = (!isLink && S_ISREG(st.st_mode)) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return e;
}

// Splits a native path into its folder (with "." for none) and last component.
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

// Mode of an existing target, or -1 when there is none. A read-only target is
// refused exactly as a direct write would refuse it.
int existingMode(const std::string& target, std::uint64_t* size = nullptr) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return -1;
    throwErrno(target, errno);
  }
  if (S_ISDIR(st.st_mode)) throwErrno(target, EISDIR);
  if ((st.st_mode & kWriteBits) == 0) throwErrno(target, EACCES);
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  return static_cast<int>(st.st_mode & 07777);
}

// True when the file at `target` holds exactly `content`. Any doubt (it
// cannot be read, it is longer or shorter) answers false.
bool holdsExactly(const std::string& target, std::string_view content) {
  FdCloser f{::open(target.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) return false;
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

// A temporary file beside `target`; removed again unless released.
class TempFile {
 public:
  explicit TempFile(const std::string& target) {
    std::string parent, last;
    splitParent(target, parent, last);
    std::string base = (parent == "/" ? "" : parent) + "/.tunebelt-" + last.substr(0, 40);
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base + "-" + std::to_string(rng() % 1000000000ULL) + ".tmp";
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) return;
      if (errno != EEXIST) throwErrno(target, errno);
    }
    throwErrno(target, EEXIST);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  int fd() const { return fd_; }

  // Closes the file, sets its mode and renames it over the target.
  void commit(const std::string& target, int mode) {
    if (mode >= 0) ::fchmod(fd_, static_cast<mode_t>(mode));
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throwErrno(target, errno);
    if (::rename(path_.c_str(), target.c_str()) != 0) throwErrno(target, errno);
    path_.clear();
  }

 private:
  std::string path_;
  int fd_ = -1;
};

void writeAll(int fd, const char* data, std::size_t size, const std::string& target) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(target, errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
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
  errno = 0;
  while (struct dirent* de = ::readdir(d.get())) {
    std::string name = de->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(dfd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
    out.push_back(entryFromStat(std::move(name), st, S_ISLNK(st.st_mode)));
    errno = 0;
  }
  if (errno != 0) throwErrno(std::string(dir), errno);
  return out;
}

std::vector<DirEntry> listMatching(std::string_view path) {
  std::string native = nativePath(path);
  std::string parent, last;
  splitParent(native, parent, last);
  if (last.empty()) throwErrno(std::string(path), ENOENT);
  std::vector<DirEntry> out;
  if (!hasWildcard(last)) {
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) throwErrno(std::string(path), errno);
    out.push_back(entryFromStat(last, st, false));
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

bool pathExists(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  struct stat st {};
  return ::stat(nativePath(path).c_str(), &st) == 0;
}

bool isDirectory(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  struct stat st {};
  return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymlink(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  struct stat st {};
  return ::lstat(nativePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::uint64_t fileSize(std::string_view path) {
  struct stat st {};
  if (::stat(nativePath(path).c_str(), &st) != 0) throwErrno(std::string(path), errno);
  return static_cast<std::uint64_t>(st.st_size);
}

std::string readFile(std::string_view path) {
  std::string native = nativePath(path);
  FdCloser f{::open(native.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) throwErrno(std::string(path), errno);
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) throwErrno(std::string(path), errno);
  if (S_ISDIR(st.st_mode)) throwErrno(std::string(path), EISDIR);
  std::string out;
  if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(f.fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno(std::string(path), errno);
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> readTextLines(std::string_view path) {
  return splitLines(readFile(path));
}

void writeFileAtomic(std::string_view path, std::string_view content) {
  std::string target = nativePath(path);
  checkedParent(target);
  std::uint64_t oldSize = 0;
  int mode = existingMode(target, &oldSize);
  // A file that holds these bytes already stays as it is: saving an unchanged
  // playlist again then replaces no file (on ext4 each replacement costs a
  // new inode and a flush of its data). The checks above still refuse a
  // read-only file or folder, exactly as a write would.
  if (mode >= 0 && oldSize == content.size() && holdsExactly(target, content)) return;
  TempFile tmp(target);
  writeAll(tmp.fd(), content.data(), content.size(), std::string(path));
  tmp.commit(target, mode);
}

void copyFileAtomic(std::string_view source, std::string_view target) {
  std::string src = nativePath(source);
  std::string dst = nativePath(target);
  FdCloser in{::open(src.c_str(), O_RDONLY | O_CLOEXEC)};
  if (in.fd < 0) throwErrno(std::string(source), errno);
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) throwErrno(std::string(source), errno);
  if (S_ISDIR(st.st_mode)) throwErrno(std::string(source), EISDIR);
  checkedParent(dst);
  int mode = existingMode(dst);
  TempFile tmp(dst);
  // copy_file_range lets the kernel move the bytes; fall back to read/write
  // where the file systems cannot.
  bool fallback = false;
  for (;;) {
    ssize_t n = ::copy_file_range(in.fd, nullptr, tmp.fd(), nullptr, 1 << 30, 0);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) {
        fallback = true;
        break;
      }
      throwErrno(std::string(target), errno);
    }
  }
  if (fallback) {
    char buf[1 << 16];
    for (;;) {
      ssize_t n = ::read(in.fd, buf, sizeof buf);
      if (n < 0) {
        if (errno == EINTR) continue;
        throwErrno(std::string(source), errno);
      }
      if (n == 0) break;
      writeAll(tmp.fd(), buf, static_cast<std::size_t>(n), std::string(target));
    }
  }
  tmp.commit(dst, mode);
}

bool isTempFileName(std::string_view name) {
  constexpr std::string_view kHead = ".tunebelt-", kTail = ".tmp";
  return name.size() >= kHead.size() + kTail.size() && name.substr(0, kHead.size()) == kHead &&
         name.substr(name.size() - kTail.size()) == kTail;
}

void removeLeftoverTempFiles(std::string_view dir) {
  // Names first: only a name of the pattern costs a stat, so a folder of a
  // thousand tracks is one directory read.
  std::string native = nativePath(dir);
  int dfd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::fdopendir(dfd), ::closedir);
  if (!d) {
    ::close(dfd);
    return;
  }
  while (struct dirent* de = ::readdir(d.get())) {
    if (!isTempFileName(de->d_name)) continue;
    struct stat st{};
    if (::fstatat(dfd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    ::unlinkat(dfd, de->d_name, 0);
  }
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
