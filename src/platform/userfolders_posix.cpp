#include "platform/userfolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fs.h"

namespace tunebelt::platform {

namespace {

// An environment variable that holds an absolute path, or empty.
std::string absoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::string home() {
  const char* value = std::getenv("HOME");
  return value == nullptr ? std::string() : std::string(value);
}

// A folder that is there or may be made when something is put there; a
// file or anything else in its place is no folder.
FolderLookup found(std::string path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (path.empty() || (std::filesystem::exists(status) && !std::filesystem::is_directory(status))) {
    return {kFolderMissing, {}};
  }
  return {kFolderFound, std::move(path)};
}

std::string readOrEmpty(const std::string& path) {
  try {
    return readFile(path);
  } catch (const FsError&) {
    return {};
  }
}

// A user-dirs entry, else the folder of that name in the home folder.
FolderLookup userDir(const std::string& key, const char* fallbackName) {
  std::string homeDir = home();
  std::string config = configHome();
  if (!config.empty()) {
    std::string dir = parseUserDir(readOrEmpty(config + "/user-dirs.dirs"), key, homeDir);
    if (!dir.empty()) return found(dir);
  }
  if (homeDir.empty()) return {kFolderMissing, {}};
  return found(homeDir + "/" + fallbackName);
}

FolderLookup fontsDir() {
  std::string data = absoluteEnv("XDG_DATA_HOME");
  if (data.empty()) {
    std::string homeDir = home();
    if (homeDir.empty()) return {kFolderMissing, {}};
    data = homeDir + "/.local/share";
  }
  return found(data + "/fonts");
}

}  // namespace

std::string homeFolder() {
  return absoluteEnv("HOME");
}

std::vector<std::string> steamInstallFolders() {
  return {};
}

std::string configHome() {
  std::string config = absoluteEnv("XDG_CONFIG_HOME");
  if (config.empty() && !home().empty()) config = home() + "/.config";
  return config;
}

FolderLookup getSpecialFolder(int id) {
  switch (id) {
    case kFolderDocuments:
      return userDir("XDG_DOCUMENTS_DIR", "Documents");
    case kFolderMusic:
      return userDir("XDG_MUSIC_DIR", "Music");
    case kFolderFonts:
      return fontsDir();
    case kFolderSystem:
      return {kFolderFound, {}};
    default:
      return {kFolderInvalidId, {}};
  }
}

}  // namespace tunebelt::platform
