// The script writing of a full save (950 tracks), in process: first the
// building of the texts alone, then the writing of every file into a folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "scripts/controlscript.h"
#include "scripts/playlistscripts.h"
#include "state/host.h"
#include "state/state.h"

namespace {

using tunebelt::ProgramState;

ProgramState FullPlaylist() {
  ProgramState state;
  for (int i = 1; i <= tunebelt::kMaxSaveTracks; ++i) {
    std::string name = "Some Artist - A Fairly Long Track Title (" + std::to_string(i) + ").mp3";
    state.PlaylistPaths.push_back("/home/player/Music/Some Artist/" + name);
    state.PlaylistNames.push_back(name);
  }
  state.Mp3Volume = 80;
  state.GameVolume = 80;
  return state;
}

void BM_BuildScripts(benchmark::State& st) {
  const ProgramState state = FullPlaylist();
  for (auto _ : st) {
    auto playlists = tunebelt::BuildPlaylistScripts(state);
    auto control = tunebelt::BuildControlScript(state.Mp3Volume, state.GameVolume);
    benchmark::DoNotOptimize(playlists);
    benchmark::DoNotOptimize(control);
  }
}
BENCHMARK(BM_BuildScripts)->Unit(benchmark::kMillisecond);

// WriteControlScript writes playlist1.cfg onward and then mp3.cfg.
void BM_WriteScripts(benchmark::State& st) {
  const ProgramState state = FullPlaylist();
  std::string folder =
      (std::filesystem::temp_directory_path() / "tunebelt-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    st.SkipWithError("no temporary folder");
    return;
  }
  tunebelt::Host host;
  for (auto _ : st) tunebelt::WriteControlScript(state, folder, host);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteScripts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
