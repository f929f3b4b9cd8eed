// The walks' primitives on POSIX: folders opened relative to their open
// parent with openat, never through a link (O_NOFOLLOW).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/primitives.h"

namespace tunebelt::platform::sys {

namespace {

// A subfolder of an open folder is opened so, never through a link.
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

std::string shownName(const Name& name) {
  return name;
}

Name toName(const std::string& name) {
  return name;
}

bool listFolder(Native dir, std::vector<Listed>& out) {
  constexpr std::size_t kBytes = std::size_t{32} * 1024;
  thread_local const std::unique_ptr<std::uint64_t[]> buffer =
      std::make_unique<std::uint64_t[]>(kBytes / sizeof(std::uint64_t));
  char* buf = reinterpret_cast<char*>(buffer.get());
  for (;;) {
    const ssize_t n = ::getdents64(dir, buf, kBytes);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(buf + at);
      at += entry->d_reclen;
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        out.push_back({entry->d_name});
      }
    }
  }
}

bool lookAt(Native dir, const Listed& e, Use /*use*/, Entry& out) {
  return statAt(dir, e.name, out.info);
}

bool openFolderAt(Native dir, const Name& name, Use /*use*/, Entry& e) {
  e.h = Handle(::openat(dir, name.c_str(), kFolderFlags));
  return static_cast<bool>(e.h);
}

bool openFolderByPath(const std::string& path, bool follow, Use /*use*/, Handle& out) {
  out = Handle(::open(path.c_str(), follow ? O_RDONLY | O_DIRECTORY | O_CLOEXEC : kFolderFlags));
  return static_cast<bool>(out);
}

bool openParentOf(Native child, Handle& out) {
  out = Handle(::openat(child, "..", kFolderFlags));
  return static_cast<bool>(out);
}

// A deeper walk closes the shallowest folder it holds and opens it again
// from its child when it climbs back, so a tree of any depth needs a few
// descriptors, not one a level (the usual limit is 1,024).
std::size_t heldLevels() {
  return 32;
}

bool removeAt(Native dir, const Name& name, Entry& /*e*/, bool folder) {
  return ::unlinkat(dir, name.c_str(), folder ? AT_REMOVEDIR : 0) == 0;
}

Mount mountOf(Native h) {
  Mount m;
  struct stat st {};
  if (::fstat(h, &st) == 0) m.device = static_cast<std::uint64_t>(st.st_dev);
  struct statx sx {};
  if (::statx(h, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 &&
      (sx.stx_mask & STATX_MNT_ID) != 0) {
    m.id = sx.stx_mnt_id;
    m.hasId = true;
  }
  return m;
}

}  // namespace tunebelt::platform::sys
