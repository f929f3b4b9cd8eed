#include "platform/folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/fs.h"

namespace tunebelt::platform {

FolderLock::FolderLock(std::string_view folder) {
  const std::string path = nativePath(folder);
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throwErrno(std::string(folder), errno);
}

FolderLock::~FolderLock() {
  if (held_) ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

bool FolderLock::tryLock() {
  if (held_) return true;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  held_ = true;
  return true;
}

}  // namespace tunebelt::platform
