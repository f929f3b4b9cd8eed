// A lock on a folder, held by one program at a time: two saves into one mod
// folder take turns instead of writing over each other. The folder itself is
// locked (opened for reading), so no lock file is ever left behind.
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
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace tunebelt::platform
