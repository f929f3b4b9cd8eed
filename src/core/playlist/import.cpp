#include "core/playlist/import.h"

#include <string>
#include <string_view>

#include "core/playlist/playlist.h"

namespace tunebelt {

namespace {

std::string_view trimBlanks(std::string_view s) {
  std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

ImportResult ImportPlaylistFile(ProgramState& state, const std::string& path, Host& host) {
  if (path.ends_with(".pls")) return plsload(state, path, host);
  if (path.ends_with(".m3u")) return m3uload(state, path, host);
  host.showMessage("Error: a playlist file has not been selected: " + GetFileName(trimBlanks(path)),
                   kErrorCaption, MessageIcon::Critical);
  return ImportResult::Refused;
}

void ImportPlaylistCommand(ProgramState& state, Host& host) {
  host.hideHoverImages();
  std::string path = host.chooseOpenFile(kPlaylistFilter);
  if (trimBlanks(path).empty()) return;
  ImportPlaylistFile(state, path, host);
}

}  // namespace tunebelt
