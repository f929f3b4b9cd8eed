// The script writing of a full save (950 tracks), in process: the building
// of the texts alone, then the writing of every file into a mod folder that
// is empty, that holds the same scripts, or that holds other scripts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/scripts/controlscript.h"
#include "core/scripts/playlistscripts.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace {

using tunebelt::ProgramState;

// 950 tracks named "Some Artist - A Fairly Long Track Title (N).mp3", or,
// with `longest`, padded to 255 bytes, the longest a file name can be.
ProgramState FullPlaylist(bool longest = false) {
  ProgramState state;
  for (int i = 1; i <= tunebelt::kMaxSaveTracks; ++i) {
    std::string name = "Some Artist - A Fairly Long Track Title (" + std::to_string(i) + ")";
    if (longest) name.resize(251, 'x');
    name += ".mp3";
    state.PlaylistPaths.push_back("/home/player/Music/Some Artist/" + name);
    state.PlaylistNames.push_back(name);
  }
  state.Mp3Volume = 80;
  state.GameVolume = 80;
  return state;
}

void BM_BuildScripts(benchmark::State& st) {
  const ProgramState state = FullPlaylist(st.range(0) != 0);
  for (auto _ : st) {
    auto playlists = tunebelt::BuildPlaylistScripts(state);
    auto control = tunebelt::BuildControlScript(state.Mp3Volume, state.GameVolume);
    benchmark::DoNotOptimize(playlists);
    benchmark::DoNotOptimize(control);
  }
}
BENCHMARK(BM_BuildScripts)->Unit(benchmark::kMillisecond)->ArgName("longest")->Arg(0)->Arg(1);

// A folder under $TMPDIR for one benchmark, removed when it ends unless
// BENCH_KEEP_FILES is set. bench/run.sh sets it and removes everything after
// the last measurement: on an ext4 without a journal every file created in
// the minute after thousands were deleted costs a scan of the deleted inodes,
// so a benchmark that cleans up slows the ones that follow.
class BenchFolder {
 public:
  BenchFolder() {
    path_ = (std::filesystem::temp_directory_path() / "tunebelt-bench-XXXXXX").string();
    if (::mkdtemp(path_.data()) == nullptr) path_.clear();
  }
  ~BenchFolder() {
    if (!path_.empty() && std::getenv("BENCH_KEEP_FILES") == nullptr) {
      std::filesystem::remove_all(path_);
    }
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// WriteControlScript writes playlist1.cfg onward and then mp3.cfg: 107 files
// for 950 tracks, 239 with the longest names. The first save: every file is new, in an empty mod
// folder. The folders of earlier iterations stay until the end, so no deletion slows the file
// creations being measured.
void BM_WriteScriptsIntoEmptyFolder(benchmark::State& st) {
  const ProgramState state = FullPlaylist(st.range(0) != 0);
  BenchFolder root;
  if (root.path().empty()) return st.SkipWithError("no temporary folder");
  tunebelt::Host host;
  int n = 0;
  for (auto _ : st) {
    st.PauseTiming();
    std::string mod = root.path() + "/mod" + std::to_string(n++);
    std::filesystem::create_directory(mod);
    st.ResumeTiming();
    tunebelt::WriteControlScript(state, mod, host);
  }
}
BENCHMARK(BM_WriteScriptsIntoEmptyFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->ArgName("longest")
    ->Arg(0)
    ->Arg(1);

// Saving the same playlist again: every file holds its new bytes already.
void BM_WriteScriptsUnchanged(benchmark::State& st) {
  const ProgramState state = FullPlaylist();
  BenchFolder mod;
  if (mod.path().empty()) return st.SkipWithError("no temporary folder");
  tunebelt::Host host;
  tunebelt::WriteControlScript(state, mod.path(), host);
  for (auto _ : st) tunebelt::WriteControlScript(state, mod.path(), host);
}
BENCHMARK(BM_WriteScriptsUnchanged)->Unit(benchmark::kMillisecond);

// Saving a changed playlist over the old scripts: every file is replaced.
void BM_WriteScriptsChanged(benchmark::State& st) {
  ProgramState a = FullPlaylist(), b = FullPlaylist();
  std::swap(b.PlaylistNames.front(), b.PlaylistNames.back());
  b.Mp3Volume = 50;
  BenchFolder mod;
  if (mod.path().empty()) return st.SkipWithError("no temporary folder");
  tunebelt::Host host;
  bool flip = false;
  for (auto _ : st) {
    tunebelt::WriteControlScript(flip ? a : b, mod.path(), host);
    flip = !flip;
  }
}
BENCHMARK(BM_WriteScriptsChanged)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

BENCHMARK_MAIN();
