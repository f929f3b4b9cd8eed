#include "core/scripts/savepreview.h"

#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

FilePreview Preview(const FileWrite& file) {
  FileChange change = FileChange::Create;
  if (file.links == platform::Links::Replace && platform::isSymlink(file.path)) {
    change = FileChange::Replace;
  } else if (platform::entryPresent(file.path)) {
    change =
        platform::fileHolds(file.path, file.bytes) ? FileChange::Unchanged : FileChange::Replace;
  }
  return {change, file.path, file.bytes.size()};
}

// Whether the save would leave the copy that is there as it is: one found
// current, or, when the plan did not look at the tracks' files, anything of
// that name.
bool CopyThere(const TrackCopy& copy) {
  return copy.current || (!copy.stamp && platform::entryPresent(copy.target));
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
  for (const TrackCopy& copy : plan.copies) {
    preview.copies.push_back({copy.source, copy.target, tracksLeft && CopyThere(copy)});
  }
  preview.leftOut = plan.leftOut;
  return preview;
}

PreviewResult PreviewSave(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                          Host& host, SavePreview& preview) {
  if (!ValidateSave(state, modFolder, host)) return PreviewResult::Refused;
  try {
    const ModLayout layout(modFolder);
    const ModFolderFiles found = ReadModFolder(layout, state.ApplicationFolder);
    preview = PreviewSavePlan(PlanSaveAsFound(state, layout, found, options.plan));
    if (!preview.leftOut.empty()) {
      host.showMessage(LeftOutText(preview.leftOut), kErrorCaption, MessageIcon::Exclamation);
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Preview stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    return PreviewResult::Failed;
  }
  return PreviewResult::Done;
}

}  // namespace tunebelt
