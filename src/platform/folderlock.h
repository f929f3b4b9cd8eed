// A lock on a folder, held by one program at a time: two saves into one mod
// folder take turns instead of writing over each other. The folder itself is
// locked, so no lock file is ever left behind: on POSIX an flock on the
// folder opened for reading; on Windows a second handle on the folder whose
// share mode admits no other such handle (listing and writing inside the
// folder stay open to everybody).
#pragma once

#include <string_view>

namespace tunebelt::platform {

class FolderLock {
 public:
  // Opens the folder; throws FsError when it cannot be opened.
  explicit FolderLock(std::string_view folder);
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  // Takes the lock if nobody holds it; true when this object holds it now.
  bool tryLock();

 private:
#ifdef _WIN32
  void* folder_ = nullptr;  // HANDLE of the folder
  void* lock_ = nullptr;    // HANDLE that holds the lock
#else
  int fd_ = -1;
#endif
  bool held_ = false;
};

}  // namespace tunebelt::platform
