#include "core/scripts/applyplan.h"

#include "core/modfolder/cleanup.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "core/state/state.h"

namespace tunebelt {

namespace {

void note(Journal* journal, JournalAction action, const std::string& path) {
  if (journal != nullptr) journal->push_back({action, path});
}

}  // namespace

void WriteFile(const FileWrite& file, Journal* journal) {
  switch (platform::writeFileAtomic(file.path, file.bytes, file.durability)) {
    case platform::WriteResult::Created:
      return note(journal, JournalAction::Created, file.path);
    case platform::WriteResult::Replaced:
      return note(journal, JournalAction::Replaced, file.path);
    case platform::WriteResult::Unchanged:
      return note(journal, JournalAction::Unchanged, file.path);
  }
}

bool DeleteUnusedTracks(const SavePlan& plan, Host& host, Journal* journal) {
  if (!plan.cleanUp) return true;
  if (!EmptyFolderTree(*plan.cleanUp, host)) return false;
  note(journal, JournalAction::CleanedUp, *plan.cleanUp);
  return true;
}

void WriteUserConfigHook(const SavePlan& plan, Journal* journal) {
  if (plan.userConfig) WriteFile(*plan.userConfig, journal);
}

void WriteKeyBindings(const SavePlan& plan, Journal* journal) {
  for (const std::string& folder : plan.foldersToMake) {
    platform::makeDir(folder);
    note(journal, JournalAction::FolderMade, folder);
  }
  WriteFile(plan.keyBindings, journal);
}

void WritePlaylistScripts(const SavePlan& plan, Progress& progress, Journal* journal) {
  progress.showProgressWindow();
  for (const FileWrite& file : plan.playlistFiles) WriteFile(file, journal);
}

void WriteControlScript(const SavePlan& plan, Host& host, Journal* journal) {
  if (plan.tooManyTracks) {
    host.showMessage("Sorry playlists greater than 10000 items are not supported", kCaption,
                     MessageIcon::None);
  }
  host.setScriptText(plan.scriptText);
  WritePlaylistScripts(plan, host, journal);
  host.setStage(Stage::Copying);
  host.processEvents();
  WriteFile(plan.controlScript, journal);
  host.setProgressMaximum(plan.trackCount);
}

void WriteTrackList(const SavePlan& plan, Journal* journal) {
  for (const FileWrite& file : plan.trackListFiles) WriteFile(file, journal);
}

void CreateTrackFolder(const SavePlan& plan, Progress& progress, Journal* journal) {
  const std::string tracks = plan.layout.tracks();
  if (FolderExists(tracks)) return;
  progress.processEvents();
  platform::makeDir(tracks);
  note(journal, JournalAction::FolderMade, tracks);
}

std::vector<std::string> CopyTracks(const SavePlan& plan, Host& host, Journal* journal) {
  std::vector<std::string> failures;
  for (std::size_t i = 0; i < plan.tracks.size(); ++i) {
    const TrackCopy& track = plan.tracks[i];
    host.processEvents();
    if (plan.showEachSource) {
      host.showMessage(PrintableName(track.source), kCaption, MessageIcon::None);
    }
    // A copy that is there already stays, whatever it holds: an unchanged
    // playlist copies nothing the second time.
    try {
      const bool copied = platform::copyFileIfAbsent(track.source, track.target);
      note(journal, copied ? JournalAction::Copied : JournalAction::AlreadyThere, track.target);
    } catch (const platform::FsError& e) {
      const std::string where =
          e.path() == track.source ? PrintableName(e.path())
                                   : PrintableName(track.source) + " to " + PrintableName(e.path());
      failures.push_back(where + ": " + e.reason());
    }
    host.setProgressValue(static_cast<int>(i + 1));
  }
  return failures;
}

SaveApplied ApplySavePlan(const SavePlan& plan, Host& host, Journal* journal) {
  SaveApplied applied;
  applied.cleanUpComplete = DeleteUnusedTracks(plan, host, journal);
  WriteUserConfigHook(plan, journal);
  WriteKeyBindings(plan, journal);
  WriteControlScript(plan, host, journal);
  WriteTrackList(plan, journal);
  CreateTrackFolder(plan, host, journal);
  applied.copyFailures = CopyTracks(plan, host, journal);
  return applied;
}

}  // namespace tunebelt
