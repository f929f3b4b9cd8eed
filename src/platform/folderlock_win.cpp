#include "platform/folderlock.h"

#include <string>

#include "platform/fs.h"
#include "platform/winutil.h"

namespace tunebelt::platform {

namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

FolderLock::FolderLock(std::string_view folder) {
  const std::string path(folder);
  HANDLE h = ::CreateFileW(detail::widePath(path).c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                           kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) detail::throwWin32(path, ::GetLastError());
  folder_ = h;
}

FolderLock::~FolderLock() {
  if (lock_ != nullptr) ::CloseHandle(lock_);
  ::CloseHandle(folder_);
}

bool FolderLock::tryLock() {
  if (held_) return true;
  // The lock is the right to add files, opened on the same folder without
  // sharing that right: a second such open, by any program, is refused
  // while this one lasts. Those who list the folder or write inside it ask
  // for no such handle and are not held up.
  detail::Handle lock;
  NTSTATUS status = detail::openRelative(
      folder_, L"", FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_DIRECTORY_FILE, lock);
  if (!NT_SUCCESS(status)) return false;
  lock_ = lock.release();  // the destructor closes it
  held_ = true;
  return true;
}

}  // namespace tunebelt::platform
