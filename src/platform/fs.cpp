// The parts of the file-system layer that are the same on every system.
#include "platform/fs.h"

#include <cstring>

namespace tunebelt::platform {

FsError::FsError(std::string path, std::string reason)
    : std::runtime_error(path + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

void throwErrno(const std::string& path, int err) {
  throw FsError(path, std::strerror(err));
}

std::string windowsReading(std::string_view path) {
  std::string out(path);
#ifndef _WIN32
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
#endif
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

bool sameVersion(const FileStamp& copy, const FileStamp& source) {
  constexpr std::int64_t kTwoSeconds = 2'000'000'000;
  const std::int64_t apart = copy.modified > source.modified ? copy.modified - source.modified
                                                             : source.modified - copy.modified;
  return copy.size == source.size && apart <= kTwoSeconds;
}

bool isTempFileName(std::string_view name) {
  constexpr std::string_view kHead = ".tunebelt-", kTail = ".tmp";
  return name.size() >= kHead.size() + kTail.size() && name.substr(0, kHead.size()) == kHead &&
         name.substr(name.size() - kTail.size()) == kTail;
}

}  // namespace tunebelt::platform
