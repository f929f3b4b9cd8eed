// The PLS and M3U targets: the bytes become a playlist file beside a few real
// tracks, which the reader appends to an empty playlist with a silent host.
#pragma once

#include <string>
#include <vector>

#include "core/playlist/import.h"
#include "core/state/state.h"
#include "fuzz_util.h"

namespace tunebelt::fuzz {

using Reader = ImportResult (*)(ProgramState&, const std::string&, Host&,
                                std::vector<std::string>*);

// Real tracks the seeds name, relative and absolute.
inline const std::string& playlistFolder() {
  static const std::string folder = [] {
    std::string f = scratchFolder() + "/music";
    std::filesystem::create_directories(f + "/sub");
    // Four silent frames of MPEG-1 Layer III, 32 kb/s, 44.1 kHz: a track
    // the playlist takes.
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 4; ++i) {
      const uint8_t header[] = {0xFF, 0xFB, 0x10, 0x00};
      bytes.insert(bytes.end(), header, header + 4);
      bytes.resize(bytes.size() + 100, 0);
    }
    for (const char* name : {"/a.mp3", "/b c.mp3", "/sub/d.mp3", "/x.MP3"}) {
      putFile(f + name, bytes.data(), bytes.size());
    }
    return f;
  }();
  return folder;
}

inline int readPlaylist(Reader reader, const char* fileName, const uint8_t* data, size_t size) {
  const std::string path = playlistFolder() + "/" + fileName;
  putFile(path, data, size);
  ProgramState state;
  SilentHost host;
  std::vector<std::string> refused;
  reader(state, path, host, &refused);
  if (state.PlaylistPaths.size() != state.PlaylistNames.size()) fail("tables differ in length");
  if (state.TrackCount() > kMaxTracks) fail("more tracks than the tables hold");
  // A second file appended to the first must not disturb what is there.
  const ProgramState first = state;
  reader(state, path, host, &refused);
  if (state.TrackCount() < first.TrackCount()) fail("second read lost tracks");
  for (int i = 0; i < first.TrackCount(); ++i) {
    if (state.PlaylistPaths[i] != first.PlaylistPaths[i]) fail("second read changed a track");
  }
  return 0;
}

}  // namespace tunebelt::fuzz
