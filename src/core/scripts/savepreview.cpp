#include "core/scripts/savepreview.h"

#include <set>

#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

FilePreview Preview(const FileWrite& file) {
  FileChange change = FileChange::Create;
  if (platform::entryPresent(file.path)) {
    change =
        platform::fileHolds(file.path, file.bytes) ? FileChange::Unchanged : FileChange::Replace;
  }
  return {change, file.path, file.bytes.size()};
}

}  // namespace

SavePreview PreviewSavePlan(const SavePlan& plan) {
  SavePreview preview;
  if (plan.cleanUp) {
    const platform::TreeSize size = platform::treeSize(*plan.cleanUp);
    preview.cleanUp = CleanUpPreview{*plan.cleanUp, size.files, size.bytes};
  }
  if (plan.userConfig) {
    preview.files.push_back(Preview(*plan.userConfig));
  } else if (auto size = platform::fileSize(plan.layout.userConfig())) {
    // It holds the hook already and is not written.
    preview.files.push_back({FileChange::Unchanged, plan.layout.userConfig(), *size});
  }
  preview.foldersToMake = plan.foldersToMake;
  preview.files.push_back(Preview(plan.keyBindings));
  for (const FileWrite& file : plan.playlistFiles) preview.files.push_back(Preview(file));
  preview.files.push_back(Preview(plan.controlScript));
  for (const FileWrite& file : plan.trackListFiles) preview.files.push_back(Preview(file));

  const std::string tracks = plan.layout.tracks();
  // The clean-up empties mp3s and keeps it, but takes a link in its place.
  const bool folderStays = FolderExists(tracks) && !(plan.cleanUp && platform::isSymlink(tracks));
  const bool tracksLeft = !plan.cleanUp && folderStays;
  if (!folderStays) preview.foldersToMake.push_back(tracks);
  std::set<std::string> copied;
  for (const TrackCopy& track : plan.tracks) {
    const bool there =
        (tracksLeft && platform::entryPresent(track.target)) || !copied.insert(track.target).second;
    preview.copies.push_back({track.source, track.target, there});
  }
  return preview;
}

PreviewResult PreviewSave(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                          Host& host, SavePreview& preview) {
  if (!ValidateSave(state, modFolder, host)) return PreviewResult::Refused;
  try {
    const ModLayout layout(modFolder);
    const ModFolderFiles found = ReadModFolder(layout, state.ApplicationFolder);
    preview = PreviewSavePlan(PlanSave(state, layout, found, options.plan));
  } catch (const platform::FsError& e) {
    host.showMessage("Preview stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    return PreviewResult::Failed;
  }
  return PreviewResult::Done;
}

}  // namespace tunebelt
