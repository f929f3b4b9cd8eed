#include "platform/appfolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/fs.h"
#include "platform/userfolders.h"

namespace tunebelt::platform {

namespace {

// Folders only the shipped data has; either one marks a data folder.
constexpr std::string_view kDataMarkers[] = {"background", "kb_act"};

bool holdsData(const std::string& folder) {
  for (std::string_view marker : kDataMarkers) {
    if (isDirectory(joinPath(folder, marker))) return true;
  }
  return false;
}

// Makes a folder and any missing parents, each private to the user, as the
// XDG base-directory rules ask. False when it is not a folder afterwards.
bool makeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return isDirectory(path);
}

}  // namespace

std::string executableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return ".";
  return exe.parent_path().string();
}

bool folderWritable(const std::string& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return ::access(folder.c_str(), W_OK) == 0;
}

AppFolders findAppFolders(const std::string& programFolder, bool createSettingsFolder) {
  AppFolders out;
  out.program = programFolder;
  out.data = programFolder;
  out.settings = programFolder;
  if (!holdsData(programFolder)) {
    std::string installed =
        std::filesystem::path(joinPath(programFolder, kInstalledDataFolder)).lexically_normal();
    if (holdsData(installed)) out.data = installed;
  }
  if (out.data == programFolder && folderWritable(programFolder)) return out;

  const std::string config = configHome();
  if (config.empty()) return out;
  out.settings = joinPath(config, kConfigFolderName);
  if (createSettingsFolder) makeFolders(out.settings);
  return out;
}

}  // namespace tunebelt::platform
