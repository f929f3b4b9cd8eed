// The walks' primitives on Windows. Each entry is opened relative to its
// open parent (NtCreateFile with a root handle, the system's openat) and
// never through a reparse point: a symbolic link or junction is removed or
// skipped itself, and deleted through the handle it was looked at with. A
// folder being walked is held open without delete sharing, so it cannot be
// renamed away or swapped for a link meanwhile (handles are no scarce
// resource here, so every level keeps its own). A volume mounted on a folder
// is a mount link.
#include <limits>

#include "platform/codepage.h"
#include "platform/primitives.h"
#include "platform/winutil.h"

namespace tunebelt::platform::sys {

namespace {

constexpr ACCESS_MASK kWalkAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kRemoveAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// Others may read and write below a walked folder, but not rename or delete
// it while the walk holds it.
constexpr ULONG kWalkShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::string shownName(const Name& name) {
  return fromWide(name);
}

Name toName(const std::string& name) {
  return toWide(name);
}

bool listFolder(Native dir, std::vector<Listed>& out) {
  alignas(8) unsigned char buf[64 * 1024];
  FILE_INFO_BY_HANDLE_CLASS cls = FileFullDirectoryRestartInfo;
  for (;;) {
    if (!::GetFileInformationByHandleEx(dir, cls, buf, sizeof buf)) {
      return ::GetLastError() == ERROR_NO_MORE_FILES;
    }
    cls = FileFullDirectoryInfo;
    const unsigned char* p = buf;
    for (;;) {
      const auto* e = reinterpret_cast<const FILE_FULL_DIR_INFO*>(p);
      std::wstring_view name(e->FileName, e->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        // A file without reparse data is a regular file by the listing alone.
        const bool known =
            (e->FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        out.push_back(
            {std::wstring(name), known, static_cast<std::uint64_t>(e->EndOfFile.QuadPart)});
      }
      if (e->NextEntryOffset == 0) break;
      p += e->NextEntryOffset;
    }
  }
}

bool lookAt(Native dir, const Listed& e, Use use, Entry& out) {
  ACCESS_MASK access = kWalkAccess;
  ULONG share = kWalkShare, options = 0;
  if (use == Use::Remove) access = kRemoveAccess;
  if (use == Use::RemoveTemp) {
    // A temporary file that a live save holds open does not share deletion:
    // the open fails and the file stays.
    access = DELETE | FILE_READ_ATTRIBUTES;
    share = kShareAll;
    options = FILE_NON_DIRECTORY_FILE;
  }
  const NTSTATUS status = detail::openRelative(dir, e.name, access, share, options, out.h);
  if (!NT_SUCCESS(status)) {
    ::SetLastError(detail::ntToWin32(status));
    return false;
  }
  DWORD attributes = 0, tag = 0;
  if (!detail::attributeTag(out.h.get(), attributes, tag)) return false;
  out.info = Info{};
  out.info.keep = attributes;
  if (detail::isNameSurrogate(attributes, tag)) {
    out.info.kind = Kind::Link;
    out.info.mountLink = detail::isVolumeMountPoint(out.h.get());
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    out.info.kind = Kind::Folder;
  } else {
    // a file, perhaps with another kind of reparse data (deduplicated, cloud)
    out.info.kind = Kind::Regular;
    out.info.stamp.size = e.size;
  }
  return true;
}

bool openFolderAt(Native dir, const Name& name, Use use, Entry& e) {
  if (e.h) return true;  // opened when it was looked at
  const NTSTATUS status = detail::openRelative(
      dir, name, use == Use::Measure ? kWalkAccess : kRemoveAccess, kWalkShare, 0, e.h);
  if (!NT_SUCCESS(status)) {
    ::SetLastError(detail::ntToWin32(status));
    return false;
  }
  return true;
}

bool openFolderByPath(const std::string& path, bool follow, Use use, Handle& out) {
  if (follow) {
    out = Handle(::CreateFileW(detail::widePath(path).c_str(),
                               FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return static_cast<bool>(out);
  }
  // Not through a reparse point in its own place.
  const ULONG share = use == Use::Measure ? kWalkShare | FILE_SHARE_DELETE : kShareAll;
  out = Handle(::CreateFileW(detail::widePath(path).c_str(), kWalkAccess | SYNCHRONIZE, share,
                             nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  DWORD attributes = 0, tag = 0;
  if (!out || !detail::attributeTag(out.get(), attributes, tag)) {
    out.reset();
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || detail::isNameSurrogate(attributes, tag)) {
    out.reset();
    ::SetLastError(ERROR_DIRECTORY);
    return false;
  }
  return true;
}

bool openParentOf(Native /*child*/, Handle& /*out*/) {
  ::SetLastError(ERROR_NOT_SUPPORTED);  // never needed: no level is closed
  return false;
}

std::size_t heldLevels() {
  return std::numeric_limits<std::size_t>::max();
}

bool removeAt(Native /*dir*/, const Name& /*name*/, Entry& e, bool /*folder*/) {
  // Read-only, hidden and system ones too: their attributes are cleared
  // first, on the entry itself.
  if (!e.h) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  detail::clearAttributes(e.h.get(), static_cast<DWORD>(e.info.keep));
  if (!detail::deleteByHandle(e.h.get())) return false;
  e.h.reset();
  return true;
}

Mount mountOf(Native h) {
  BY_HANDLE_FILE_INFORMATION info{};
  Mount m;
  if (::GetFileInformationByHandle(h, &info)) m.device = info.dwVolumeSerialNumber;
  return m;
}

}  // namespace tunebelt::platform::sys
