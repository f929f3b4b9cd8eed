#include "core/modfolder/cleanup.h"

#include <string>

#include "core/state/printable.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

constexpr std::size_t kReportedFailures = 5;

std::string_view withoutTrailingSep(std::string_view folder) {
  if (!folder.empty() && platform::isSep(folder.back())) folder.remove_suffix(1);
  return folder;
}

// Empty or nothing but separators: the root of the file system (or, on
// Windows, of the current drive).
bool isBareRoot(std::string_view folder) {
  for (char c : folder) {
    if (!platform::isSep(c)) return false;
  }
  return true;
}

std::string failureText(const platform::TreeProblems& failures) {
  std::string text = failures.count == 1
                         ? std::string("1 item could not be deleted:")
                         : std::to_string(failures.count) + " items could not be deleted:";
  std::size_t shown = 0;
  for (; shown < failures.first.size() && shown < kReportedFailures; ++shown) {
    text += "\n" + PrintableName(failures.first[shown].path) + ": " + failures.first[shown].reason;
  }
  if (failures.count > shown)
    text += "\n... and " + std::to_string(failures.count - shown) + " more";
  return text;
}

bool clean(std::string_view folder, bool removeFolder, Host& host,
           const std::function<void()>& between) {
  std::string_view trimmed = withoutTrailingSep(folder);
  // Never empty a whole file system: "/" would otherwise be walked entirely.
  if (isBareRoot(trimmed)) return true;
  const platform::TreeProblems failures =
      platform::removeTree(trimmed, removeFolder && RemovesFolderItself(trimmed), between);
  if (failures.empty()) return true;
  host.showMessage(failureText(failures), kErrorCaption, MessageIcon::Exclamation);
  return false;
}

}  // namespace

bool RemovesFolderItself(std::string_view folder) {
  folder = withoutTrailingSep(folder);
  return folder.size() > 2 && !isBareRoot(folder);
}

bool DeleteFolderTree(std::string_view folder, Host& host, const std::function<void()>& between) {
  return clean(folder, true, host, between);
}

bool EmptyFolderTree(std::string_view folder, Host& host) {
  return clean(folder, false, host, [] {});
}

}  // namespace tunebelt
