// Pieces the Windows files of the platform layer share; nothing outside
// src/platform includes this.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h
#include <winioctl.h>
#include <winternl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/primitives.h"

namespace tunebelt::platform::detail {

using sys::Handle;

// The path as the wide calls take it. A NUL byte makes it name nothing
// (FsError, as a POSIX path would). A full path too long for the classic
// limit gets the "\\?\" form, which the system then takes up to 32,767
// characters.
std::wstring widePath(std::string_view path);

// The system's reason for a Win32 error, worded like the C library's where
// the error has a C counterpart ("No such file or directory"), so the user
// reads the same words on every system.
std::string win32Reason(DWORD err);
[[noreturn]] void throwWin32(const std::string& path, DWORD err);
// The same for the status code of an NT call.
DWORD ntToWin32(NTSTATUS status);

// True for a reparse point that stands for another place (a symbolic link,
// a junction, a volume mount point): what a walk never follows.
bool isNameSurrogate(DWORD attributes, DWORD reparseTag);

// True for a junction whose target is a whole volume ("\??\Volume{...}"):
// a mount point, which walks leave alone and report.
bool isVolumeMountPoint(HANDLE h);

// The attributes and reparse tag of an open file.
bool attributeTag(HANDLE h, DWORD& attributes, DWORD& reparseTag);

// Opens `name` inside the folder open as `parent`, never through a link in
// `name`'s own place (the call stands in for openat with O_NOFOLLOW). With
// FILE_CREATE as `disposition` it makes a new file there instead.
NTSTATUS openRelative(HANDLE parent, std::wstring_view name, ACCESS_MASK access, ULONG share,
                      ULONG options, Handle& out, ULONG disposition = FILE_OPEN);

// Marks an open file or empty folder for deletion (it goes when the handle
// closes), read-only or not. False, with GetLastError set, when refused.
bool deleteByHandle(HANDLE h);

// Read-only, hidden and system cleared, so the entry can go.
bool clearAttributes(HANDLE h, DWORD attributes);

// Parent folder and last component of a path; either separator counts.
// Trailing separators are ignored. "C:" stands for itself.
bool splitLast(std::string_view path, std::string& parent, std::string& last);

}  // namespace tunebelt::platform::detail
