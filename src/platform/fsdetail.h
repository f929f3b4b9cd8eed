// Pieces the file-system layer's own files share; nothing outside
// src/platform includes this.
#pragma once

#include <string>

namespace tunebelt::platform::detail {

// Makes a folder and any missing parents, each private to the user. False
// when it is not a folder afterwards.
bool makePrivateFolders(const std::string& path);

}  // namespace tunebelt::platform::detail

#ifndef _WIN32

#include <sys/stat.h>
#include <unistd.h>

namespace tunebelt::platform::detail {

struct FdCloser {
  int fd;
  explicit FdCloser(int f) : fd(f) {}
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// Splits a native path into its folder ("." for none, "/" for the root) and
// its last component.
void splitParent(const std::string& native, std::string& parent, std::string& last);

// Why an entry of this mode is not read or replaced as a file.
std::string notRegularReason(unsigned mode);

// Opens a regular file for reading; anything else (FIFO, device, socket,
// folder) is refused without waiting on it. `shown` names the file in the
// error. Fills `st` with the open file's status.
int openRegularForReading(const std::string& native, const std::string& shown, struct stat& st);

void writeAll(int fd, const char* data, std::size_t size, const std::string& shown);

// Copies everything from `in` (at its offset) to `out`.
void copyContent(int in, int out, const std::string& source, const std::string& target);

}  // namespace tunebelt::platform::detail

#endif  // _WIN32
