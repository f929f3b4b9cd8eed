#include "core/playlist/reader.h"

#include "core/playlist/playlist.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/codepage.h"
#include "platform/fs.h"

namespace tunebelt::reader {

std::optional<std::vector<std::string>> readPlaylist(const std::string& path, Host& host) {
  try {
    std::vector<std::string> lines = platform::readTextLines(path);
    for (std::string& line : lines) line = platform::fromCodePage(line);
    return lines;
  } catch (const platform::FsError& e) {
    host.showMessage("Could not read the playlist " + PrintableName(path) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    return std::nullopt;
  }
}

bool isAbsoluteEntry(std::string_view entry) {
  if (entry.size() >= 3 && entry[1] == ':' && entry[2] == '\\') return true;
#ifndef _WIN32
  if (!entry.empty() && entry[0] == '/') return true;
#endif
  return false;
}

bool entryExists(std::string_view path) {
  if (path.size() > kLongestPath || path.find('\0') != std::string_view::npos) return false;
  // One lookup of that one name: a pattern would cost a listing of the
  // folder for every entry. A FIFO or a device is no track.
  return NamedFileExists(path) && platform::isRegularFile(path);
}

std::optional<std::string> findEntry(std::string_view folder, std::string_view entry) {
  auto place = [folder](std::string_view e) {
    return folder.empty() ? std::string(e) : platform::joinPath(folder, e);
  };
  std::string literal = place(entry);
  if (entryExists(literal)) return literal;
  std::string windows = place(platform::windowsReading(entry));
  if (windows != literal && entryExists(windows)) return windows;
  return std::nullopt;
}

bool append(ProgramState& state, const std::string& path, Host& host,
            std::vector<std::string>& refused) {
  if (auto reason = RefuseTrack(path)) {
    refused.push_back(PrintableName(GetFileName(path)) + ": " + *reason);
    return true;
  }
  if (AppendEntry(state, path, host) == AppendResult::Added) return true;
  host.showMessage(kPlaylistFullMessage, kCaption, MessageIcon::None);
  return false;
}

}  // namespace tunebelt::reader
