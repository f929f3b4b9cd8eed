// The script writing of a full save (950 tracks), in process: the building
// of the texts alone, then the writing of every file into a mod folder that
// is empty, that holds the same scripts, or that holds other scripts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "core/scripts/saveplan.h"
#include "core/state/state.h"
#include "recording_host.h"

namespace {

using tunebelt::ProgramState;
using tunebelt::SavePlan;
using tunebelt::test::RecordingHost;

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

// The save of the playlist into a mod folder that holds nothing yet.
SavePlan PlanFor(const ProgramState& state, const std::string& modFolder) {
  return tunebelt::PlanSave(state, tunebelt::ModLayout(modFolder), {}, {});
}

// mp3.cfg, playlist1.cfg onward and the track list, as a save writes them.
void WriteScripts(const SavePlan& plan, RecordingHost& host) {
  tunebelt::WriteControlScript(plan, host, nullptr);
  tunebelt::WriteTrackList(plan, host, nullptr);
}

void BM_BuildScripts(benchmark::State& st) {
  const ProgramState state = FullPlaylist(st.range(0) != 0);
  for (auto _ : st) {
    SavePlan plan = PlanFor(state, "/nowhere/cstrike");
    benchmark::DoNotOptimize(plan);
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

// The playlist files, mp3.cfg and the track list: 107 files for 950 tracks,
// 239 with the longest names. The first save: every file is new, in an empty
// mod folder. The folders of earlier iterations stay until the end, so no
// deletion slows the file creations being measured.
void BM_WriteScriptsIntoEmptyFolder(benchmark::State& st) {
  const ProgramState state = FullPlaylist(st.range(0) != 0);
  BenchFolder root;
  if (root.path().empty()) return st.SkipWithError("no temporary folder");
  RecordingHost host;
  int n = 0;
  for (auto _ : st) {
    st.PauseTiming();
    std::string mod = root.path() + "/mod" + std::to_string(n++);
    std::filesystem::create_directory(mod);
    const SavePlan plan = PlanFor(state, mod);
    st.ResumeTiming();
    WriteScripts(plan, host);
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
  BenchFolder mod;
  if (mod.path().empty()) return st.SkipWithError("no temporary folder");
  const SavePlan plan = PlanFor(FullPlaylist(), mod.path());
  RecordingHost host;
  WriteScripts(plan, host);
  for (auto _ : st) WriteScripts(plan, host);
}
BENCHMARK(BM_WriteScriptsUnchanged)->Unit(benchmark::kMillisecond);

// Saving a changed playlist over the old scripts: every file is replaced.
void BM_WriteScriptsChanged(benchmark::State& st) {
  ProgramState a = FullPlaylist(), b = FullPlaylist();
  std::swap(b.PlaylistNames.front(), b.PlaylistNames.back());
  b.Mp3Volume = 50;
  BenchFolder mod;
  if (mod.path().empty()) return st.SkipWithError("no temporary folder");
  const SavePlan planA = PlanFor(a, mod.path()), planB = PlanFor(b, mod.path());
  RecordingHost host;
  bool flip = false;
  for (auto _ : st) {
    WriteScripts(flip ? planA : planB, host);
    flip = !flip;
  }
}
BENCHMARK(BM_WriteScriptsChanged)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

BENCHMARK_MAIN();
