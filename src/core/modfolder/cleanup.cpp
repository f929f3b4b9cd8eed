#include "core/modfolder/cleanup.h"

#include <string>
#include <vector>

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

std::string failureText(const std::vector<platform::TreeProblem>& failures) {
  std::string text = failures.size() == 1
                         ? std::string("1 item could not be deleted:")
                         : std::to_string(failures.size()) + " items could not be deleted:";
  for (std::size_t i = 0; i < failures.size() && i < kReportedFailures; ++i) {
    text += "\n" + failures[i].path + ": " + failures[i].reason;
  }
  if (failures.size() > kReportedFailures) {
    text += "\n... and " + std::to_string(failures.size() - kReportedFailures) + " more";
  }
  return text;
}

}  // namespace

bool RemovesFolderItself(std::string_view folder) {
  folder = withoutTrailingSep(folder);
  return folder.size() > 2 && !isBareRoot(folder);
}

bool DeleteFolderTree(std::string_view folder, Host& host) {
  std::string_view trimmed = withoutTrailingSep(folder);
  // Never empty a whole file system: "/" would otherwise be walked entirely.
  if (isBareRoot(trimmed)) return true;
  std::vector<platform::TreeProblem> failures = platform::removeTree(
      trimmed, RemovesFolderItself(trimmed), [&host] { host.processEvents(); });
  if (failures.empty()) return true;
  host.showMessage(failureText(failures), kErrorCaption, MessageIcon::Exclamation);
  return false;
}

}  // namespace tunebelt
