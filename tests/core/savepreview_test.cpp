#include "core/scripts/savepreview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/scripts/applyplan.h"
#include "plan_helpers.h"
#include "recording_host.h"
#include "test_util.h"

namespace tunebelt {
namespace {

// The preview of a plan against what carrying that plan out then did, file
// by file and copy by copy: on a fresh folder, on the same folder again, and
// after the player changed a file and a track went missing.
TEST(PreviewSavePlan, TellsWhatApplyingThePlanThenDoes) {
  test::TempDir dir;
  const std::string mod = dir / "cstrike";
  test::writeFile(mod + "/gfx/shell/kb_act.lst", "\"+jump\" \"Jump\"\r\n");
  ProgramState state;
  for (const char* name : {"a.mp3", "b b.mp3", "bb.mp3"}) {
    const std::string path = dir / (std::string("music/") + name);
    test::writeFile(path, name);
    state.PlaylistPaths.push_back(path);
    state.PlaylistNames.push_back(name);
  }
  test::RecordingHost host;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    if (round == 2) {
      test::writeFile(mod + "/tracklist.cfg", "echo mine\r\n");
      std::filesystem::remove(test::fsPath(mod + "/mp3s/bb.mp3"));
    }
    const SavePlan plan = test::PlanFromDisk(state, mod);
    const SavePreview preview = PreviewSavePlan(plan);
    Journal journal;
    ASSERT_TRUE(ApplySavePlan(plan, host, &journal).complete());

    std::vector<FilePreview> files;
    std::vector<CopyPreview> copies;
    for (const JournalEntry& e : journal) {
      const auto size = [&] { return std::filesystem::file_size(test::fsPath(e.path)); };
      switch (e.action) {
        case JournalAction::Created:
          files.push_back({FileChange::Create, e.path, size()});
          break;
        case JournalAction::Replaced:
          files.push_back({FileChange::Replace, e.path, size()});
          break;
        case JournalAction::Unchanged:
          files.push_back({FileChange::Unchanged, e.path, size()});
          break;
        case JournalAction::Copied:
        case JournalAction::AlreadyThere:
          copies.push_back(
              {plan.copies[copies.size()].source, e.path, e.action == JournalAction::AlreadyThere});
          break;
        default:
          break;
      }
    }
    if (round > 0) {  // the hook is there: userconfig.cfg is not written
      ASSERT_FALSE(preview.files.empty());
      EXPECT_EQ(preview.files[0],
                (FilePreview{FileChange::Unchanged, ModLayout(mod).userConfig(), 14u}));
      files.insert(files.begin(), preview.files[0]);
    }
    EXPECT_EQ(preview.files, files);
    EXPECT_EQ(preview.copies, copies);
    EXPECT_EQ(preview.foldersToMake.size(), round == 0 ? 1u : 0u);
    EXPECT_FALSE(preview.cleanUp);
  }
}

}  // namespace
}  // namespace tunebelt
