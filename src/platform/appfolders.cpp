#include "platform/appfolders.h"

#include <filesystem>

#include "platform/fs.h"
#include "platform/fsdetail.h"
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

// "a/bin/../share" as "a/share". The path goes through std::filesystem as
// UTF-8 explicitly: a plain std::string would be read in the ANSI code page
// on Windows.
std::string lexicallyNormal(const std::string& path) {
  std::u8string in(path.begin(), path.end());
  std::u8string out = std::filesystem::path(in).lexically_normal().u8string();
  return std::string(out.begin(), out.end());
}

}  // namespace

AppFolders findAppFolders(const std::string& programFolder, bool createSettingsFolder) {
  AppFolders out;
  out.program = programFolder;
  out.data = programFolder;
  out.settings = programFolder;
  if (!holdsData(programFolder)) {
    std::string installed = lexicallyNormal(joinPath(programFolder, kInstalledDataFolder));
    if (holdsData(installed)) out.data = installed;
  }
  if (out.data == programFolder && folderWritable(programFolder)) return out;

  const std::string config = configHome();
  if (config.empty()) return out;
  out.settings = joinPath(config, kConfigFolderName);
  if (createSettingsFolder) detail::makePrivateFolders(out.settings);
  return out;
}

}  // namespace tunebelt::platform
