#include "core/playlist/import.h"

#include <string>
#include <string_view>

#include "core/playlist/playlist.h"
#include "core/state/printable.h"

namespace tunebelt {

namespace {

std::string_view trimBlanks(std::string_view s) {
  std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

ImportResult ImportPlaylistFile(ProgramState& state, const std::string& path, Host& host,
                                std::vector<std::string>* refused) {
  if (path.ends_with(".pls")) return plsload(state, path, host, refused);
  if (path.ends_with(".m3u")) return m3uload(state, path, host, refused);
  host.showMessage("Error: a playlist file has not been selected: " +
                       PrintableName(GetFileName(trimBlanks(path))),
                   kErrorCaption, MessageIcon::Critical);
  return ImportResult::Refused;
}

void ImportPlaylistCommand(ProgramState& state, Host& host) {
  std::string path = host.chooseOpenFile(kPlaylistFilter, state.MusicFolder);
  if (trimBlanks(path).empty()) return;
  ImportPlaylistFile(state, path, host);
}

namespace {

void addItemsInto(ProgramState& state, const std::vector<std::string>& paths, Host& host,
                  AddItemsResult& result, std::vector<std::string>& refused) {
  bool fullTold = false;
  for (const std::string& path : paths) {
    if (path.ends_with(".pls") || path.ends_with(".m3u")) {
      ImportResult r = ImportPlaylistFile(state, path, host, &refused);
      if (r == ImportResult::Refused || r == ImportResult::Failed) {
        result.refused = true;
        return;
      }
      fullTold = fullTold || r == ImportResult::Full;
      continue;
    }
    AppendResult r = AddTrack(state, path, host, &refused);
    if (r == AppendResult::Ignored) {
      result.skipped.push_back(path);
    } else if (r == AppendResult::Full && !fullTold) {
      host.showMessage(kPlaylistFullMessage, kCaption, MessageIcon::None);
      fullTold = true;
    }
  }
}

}  // namespace

AddItemsResult AddItems(ProgramState& state, const std::vector<std::string>& paths, Host& host) {
  AddItemsResult result;
  std::vector<std::string> refused;
  addItemsInto(state, paths, host, result, refused);
  TellRefusedTracks(refused, state, host);
  return result;
}

}  // namespace tunebelt
