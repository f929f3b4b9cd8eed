#include "core/scripts/savepreview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/scripts/removal.h"
#include "core/scripts/savescript.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolder = "<folder>";

// Carries the steps out on a snapshot of the tree (relative path -> bytes,
// or "<folder>"), as the steps say: what is created or replaced gets the
// step's size (its bytes unknown, so "?" of that length), what is deleted
// goes. Each step is also checked against what the snapshot holds before it.
class Model {
 public:
  Model(std::string root, std::map<std::string, std::string> tree)
      : root_(std::move(root)), tree_(std::move(tree)) {}

  void apply(const Step& s) {
    const std::string at = relative(s.path);
    SCOPED_TRACE(std::string(ActionName(s.action)) + " " + at);
    const auto it = tree_.find(at);
    const bool there = it != tree_.end();
    switch (s.action) {
      case Action::Create:
        EXPECT_FALSE(there);
        file(at, s.size);
        break;
      case Action::Replace:
      case Action::Rewrite:
        EXPECT_TRUE(there && it->second != kFolder);
        changed_.insert(at);
        file(at, s.size);
        break;
      case Action::Unchanged:
      case Action::AlreadyThere:
        ASSERT_TRUE(there);
        EXPECT_EQ(it->second.size(), s.size);
        break;
      case Action::MakeFolder:
        EXPECT_FALSE(there);
        tree_[at] = kFolder;
        break;
      case Action::Copy:
      case Action::Convert:
      case Action::Level:
        file(at, s.size);
        break;
      case Action::Delete:
        ASSERT_TRUE(there);
        EXPECT_EQ(it->second.size(), s.size);
        tree_.erase(it);
        break;
      case Action::CleanUp:
      case Action::DeleteFolder: {
        ASSERT_TRUE(there);
        std::uint64_t files = 0, bytes = 0;
        for (auto e = tree_.lower_bound(at + sep());
             e != tree_.end() && e->first.starts_with(at + sep());) {
          if (e->second != kFolder) ++files, bytes += e->second.size();
          e = tree_.erase(e);
        }
        EXPECT_EQ(files, s.files);
        EXPECT_EQ(bytes, s.size);
        if (s.action == Action::DeleteFolder) tree_.erase(at);
        break;
      }
      case Action::LeftOut:
        break;
    }
  }

  // The tree after the steps against the tree on the disk: the same paths,
  // the same sizes, and the bytes of every file no step touched.
  void expectMatches(const std::map<std::string, std::string>& after) const {
    std::set<std::string> paths;
    for (const auto& [path, bytes] : tree_) paths.insert(path);
    for (const auto& [path, bytes] : after) paths.insert(path);
    for (const std::string& path : paths) {
      const auto want = tree_.find(path);
      const auto got = after.find(path);
      ASSERT_TRUE(want != tree_.end()) << path << ": on the disk, in no step";
      ASSERT_TRUE(got != after.end()) << path << ": in a step, not on the disk";
      if (want->second.starts_with('?') &&
          want->second.find_first_not_of('?') == std::string::npos) {
        EXPECT_EQ(got->second.size(), want->second.size()) << path;
      } else {
        EXPECT_EQ(got->second, want->second) << path;
      }
    }
    for (const std::string& path : changed_) {
      EXPECT_NE(before_.count(path) ? before_.at(path) : std::string(), after.at(path)) << path;
    }
  }

  void keepBefore() { before_ = tree_; }

 private:
  static std::string sep() { return test::utf8(fs::path("/").make_preferred()); }
  std::string relative(const std::string& path) const {
    return test::utf8(fs::relative(test::fsPath(path), test::fsPath(root_)));
  }
  void file(const std::string& at, std::uint64_t size) { tree_[at] = std::string(size, '?'); }

  std::string root_;
  std::map<std::string, std::string> tree_;
  std::map<std::string, std::string> before_;
  std::set<std::string> changed_;
};

void ExpectStepsMadeTheChange(const std::string& mod,
                              const std::map<std::string, std::string>& before,
                              const std::vector<Step>& steps) {
  Model model(mod, before);
  model.keepBefore();
  for (const Step& s : steps) model.apply(s);
  model.expectMatches(test::treeContents(mod));
}

struct Folder {
  const char* what;
  bool savedBefore = false;   // a save of another playlist went first
  bool leftovers = false;     // then a save was killed half-way
  bool playerFiles = false;   // the player's lines and tracks of their own
  bool deleteUnused = false;  // the clean-up box
  bool missingTrack = false;  // one track's file is gone
  bool tracks = false;        // the removal takes mp3s too
};

const Folder kFolders[] = {
    {"fresh"},
    {"fresh, a track missing", false, false, false, false, true},
    {"saved before", true},
    {"saved before, cleaned up", true, false, false, true, false, true},
    {"leftovers of a killed save", true, true, false, false, false, true},
    {"player files", false, false, true},
    {"player files, saved before, cleaned up, leftovers", true, true, true, true, true, true},
};

// For each mod folder: what the dry run of a save said is exactly what the
// save then changed on the disk, and the save's journal is the dry run's
// list; the same for the removal that follows.
TEST(DryRun, SaysExactlyWhatTheSaveAndTheRemovalChange) {
  for (const Folder& c : kFolders) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string mod = dir / "hl/cstrike";
    const ModLayout layout(mod);
    test::writeFile(layout.keyBindings(), c.playerFiles
                                              ? "\"+attack\" \"Fire\"\r\n\"+jump\" \"Jump\"\n"
                                              : "\"+jump\"\r\n");
    if (c.playerFiles) {
      test::writeFile(layout.userConfig(), "bind x y\r\nsensitivity 3");
      test::writeFile(mod + "/mp3s/mine.mp3", "the player's own");
    }
    ProgramState state;
    state.ApplicationFolder = dir / "app";
    state.Mp3Volume = 80;
    state.GameVolume = 60;
    const auto add = [&](const std::string& name, const std::string& bytes) {
      const std::string path = dir / ("music/" + name);
      test::writeFile(path, bytes);
      state.PlaylistPaths.push_back(path);
      state.PlaylistNames.push_back(name);
    };
    add("One.mp3", "first");
    add("Two, again.mp3", "second track");
    test::RecordingHost host;
    if (c.savedBefore) {
      add("Old.mp3", "an older one");
      std::string text = mod;
      ASSERT_EQ(SaveScript(state, text, {}, host), SaveResult::Done);
      state.PlaylistPaths.erase(state.PlaylistPaths.begin() + 2);
      state.PlaylistNames.erase(state.PlaylistNames.begin() + 2);
      // One track changed since, and the playlist is longer now.
      test::writeFile(state.PlaylistPaths[1], "second track, longer now");
    }
    if (c.leftovers) {
      for (const std::string& f : {layout.folder(), layout.shell(), layout.tracks()}) {
        test::writeFile(f + std::string(1, platform::kSep) + ".tunebelt-x.cfg-7.tmp", "half");
      }
    }
    add("Three.mp3", "third");
    if (c.missingTrack) state.PlaylistPaths[0] = dir / "music/gone.mp3";

    SaveOptions options;
    options.plan.deleteUnused = c.deleteUnused;
    std::string text = mod;
    std::vector<Step> planned;
    ASSERT_EQ(PreviewSave(state, text, options, host, planned), PreviewResult::Done);
    auto before = test::treeContents(mod);
    Journal done;
    options.journal = &done;
    EXPECT_EQ(SaveScript(state, text, options, host),
              c.missingTrack ? SaveResult::Failed : SaveResult::Done);
    EXPECT_EQ(done, planned);
    ExpectStepsMadeTheChange(mod, before, planned);

    RemovalOptions removal;
    removal.tracks = c.tracks;
    removal.dryRun = true;
    removal.journal = &planned;
    ASSERT_EQ(RemoveFromModFolder(state, text, removal, host), RemovalResult::Done);
    before = test::treeContents(mod);
    removal.dryRun = false;
    removal.journal = &done;
    done.clear();
    ASSERT_EQ(RemoveFromModFolder(state, text, removal, host), RemovalResult::Done);
    EXPECT_EQ(done, planned);
    ExpectStepsMadeTheChange(mod, before, planned);
  }
}

// A script of the right length with one byte changed is no script of the
// save's: the dry run says it is replaced, and the save replaces it.
TEST(DryRun, AScriptOfTheSameLengthButOtherBytesIsReplaced) {
  test::TempDir dir;
  const std::string mod = dir / "cstrike";
  const ModLayout layout(mod);
  test::writeFile(layout.keyBindings(), "\"+jump\"\r\n");
  test::writeFile(dir / "a.mp3", "a");
  ProgramState state;
  state.PlaylistPaths = {dir / "a.mp3"};
  state.PlaylistNames = {"a.mp3"};
  test::RecordingHost host;
  std::string text = mod;
  ASSERT_EQ(SaveScript(state, text, {}, host), SaveResult::Done);
  const std::string saved = test::readFile(layout.controlScript());
  std::string changed = saved;
  changed[changed.size() / 2] ^= 1;
  test::writeFile(layout.controlScript(), changed);

  std::vector<Step> steps;
  ASSERT_EQ(PreviewSave(state, text, {}, host, steps), PreviewResult::Done);
  const auto action = [&](const std::string& path) {
    const auto it =
        std::find_if(steps.begin(), steps.end(), [&](const Step& s) { return s.path == path; });
    return it == steps.end() ? Action::LeftOut : it->action;
  };
  EXPECT_EQ(action(layout.controlScript()), Action::Replace);
  EXPECT_EQ(action(layout.playlistFile(1)), Action::Unchanged);
  ASSERT_EQ(SaveScript(state, text, {}, host), SaveResult::Done);
  EXPECT_EQ(test::readFile(layout.controlScript()), saved);
}

}  // namespace
}  // namespace tunebelt
