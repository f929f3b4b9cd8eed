// The parts of the walks that are the same on every system.
#include "platform/tree.h"

#include "platform/fs.h"

namespace tunebelt::platform {

std::string reportedPath(const std::string& path) {
  // A path this long comes only from a tree deeper than any system call
  // reaches; a report of it keeps what tells where it is.
  constexpr std::size_t kLongest = 4096, kEnd = 1024;
  if (path.size() <= kLongest) return path;
  std::size_t head = kEnd, tail = path.size() - kEnd;
  for (std::size_t k = head; k > 0; --k) {
    if (isSep(path[k])) {
      head = k;
      break;
    }
  }
  for (std::size_t k = tail; k < path.size(); ++k) {
    if (isSep(path[k])) {
      tail = k + 1;
      break;
    }
  }
  return path.substr(0, head) + kSep + "..." + kSep + path.substr(tail);
}

void TreeProblems::add(const std::string& path, std::string reason) {
  ++count;
  if (first.size() < kKept) first.push_back({reportedPath(path), std::move(reason)});
}

}  // namespace tunebelt::platform
