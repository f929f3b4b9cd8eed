#include "modfolder/cleanup.h"

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr std::size_t kReportedFailures = 5;

struct Failure {
  std::string path;
  std::string reason;
};

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

// True when nothing is left at the path, not even a dangling link: a failed
// delete of an entry that vanished meanwhile is no failure.
bool gone(const std::string& path) {
  std::error_code ec;
  auto status = std::filesystem::symlink_status(platform::nativePath(path), ec);
  return status.type() == std::filesystem::file_type::not_found;
}

void removeEntry(const std::string& path, bool isDir, std::vector<Failure>& failures) {
  try {
    if (isDir) {
      platform::removeDir(path);
    } else {
      platform::removeFile(path);  // unlinks links themselves, never their targets
    }
  } catch (const platform::FsError& e) {
    if (!gone(path)) failures.push_back({e.path(), e.reason()});
  }
}

void deleteTree(const std::string& folder, Host& host, std::vector<Failure>& failures) {
  // A link in the folder's place is removed as the link it is.
  if (platform::isSymlink(folder)) {
    removeEntry(folder, false, failures);
    return;
  }
  std::vector<platform::DirEntry> entries;
  try {
    entries = platform::listDir(folder);
  } catch (const platform::FsError& e) {
    if (!gone(folder)) failures.push_back({e.path(), e.reason()});
    return;
  }
  // The whole listing is taken before anything is deleted.
  struct Item {
    std::string path;
    bool isDir;
  };
  std::vector<Item> items;
  items.reserve(entries.size());
  for (const platform::DirEntry& e : entries) {
    host.processEvents();
    items.push_back({platform::joinPath(folder, e.name), e.isDir && !e.isLink});
  }
  const std::size_t failedBefore = failures.size();
  for (const Item& item : items) {
    host.processEvents();
    if (item.isDir) {
      deleteTree(item.path, host, failures);
    } else {
      removeEntry(item.path, false, failures);
    }
  }
  // Something left inside means the folder cannot go; that was reported.
  if (failures.size() == failedBefore && RemovesFolderItself(folder)) {
    removeEntry(folder, true, failures);
  }
}

std::string failureText(const std::vector<Failure>& failures) {
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
  std::vector<Failure> failures;
  deleteTree(std::string(trimmed), host, failures);
  if (failures.empty()) return true;
  host.showMessage(failureText(failures), kErrorCaption, MessageIcon::Exclamation);
  return false;
}

}  // namespace tunebelt
