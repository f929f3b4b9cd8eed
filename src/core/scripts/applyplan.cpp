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

// "track 3", "tracks 2, 5": the tracks a copy plays for.
std::string TracksText(const std::vector<int>& tracks) {
  std::string text = tracks.size() == 1 ? "track " : "tracks ";
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(tracks[i]);
  }
  return text;
}

// The mp3s folder the copies go into, opened once: the one the save found
// there, or the one it has just made.
platform::FolderHandle OpenTrackFolder(const SavePlan& plan) {
  const std::string path = plan.layout.tracks();
  platform::FolderHandle folder = platform::FolderHandle::open(path, plan.followTracksLink);
  if (plan.tracksFolder && folder.id() != *plan.tracksFolder) {
    throw platform::FsError(path,
                            "was replaced by another folder while the save ran; no track was "
                            "copied");
  }
  return folder;
}

}  // namespace

void WriteFile(const FileWrite& file, Journal* journal) {
  switch (platform::writeFileAtomic(file.path, file.bytes, file.durability, file.links)) {
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
  WriteFile(plan.controlScript, journal);
  host.setProgressMaximum(static_cast<int>(plan.copies.size()));
}

void WriteTrackList(const SavePlan& plan, Journal* journal) {
  for (const FileWrite& file : plan.trackListFiles) WriteFile(file, journal);
}

void CreateTrackFolder(const SavePlan& plan, Progress& /*progress*/, Journal* journal) {
  const std::string tracks = plan.layout.tracks();
  if (FolderExists(tracks)) return;
  platform::makeDir(tracks);
  note(journal, JournalAction::FolderMade, tracks);
}

CopyReport CopyTracks(const SavePlan& plan, Host& host, Journal* journal) {
  CopyReport report;
  const platform::FolderHandle folder = OpenTrackFolder(plan);
  for (std::size_t i = 0; i < plan.copies.size(); ++i) {
    const TrackCopy& copy = plan.copies[i];
    if (plan.showEachSource) {
      host.showMessage(PrintableName(copy.source), kCaption, MessageIcon::None);
    }
    if (copy.current) {
      // Found there in this version a moment ago, before anything was written.
      note(journal, JournalAction::AlreadyThere, copy.target);
      host.setProgressValue(static_cast<int>(i + 1));
      continue;
    }
    try {
      const platform::CopyResult done = platform::copyIntoFolder(
          copy.source, folder, copy.name, copy.stamp ? &*copy.stamp : nullptr);
      note(journal,
           done == platform::CopyResult::AlreadyThere ? JournalAction::AlreadyThere
                                                      : JournalAction::Copied,
           copy.target);
    } catch (const platform::FsError& e) {
      const std::string where = e.path() == copy.source
                                    ? PrintableName(e.path())
                                    : PrintableName(copy.source) + " to " + PrintableName(e.path());
      report.failures.push_back(TracksText(copy.tracks) + ": " + where + ": " + e.reason());
    }
    host.setProgressValue(static_cast<int>(i + 1));
  }
  if (!folder.stillInPlace()) {
    report.swapped = PrintableName(folder.path()) +
                     " was replaced while the tracks were copied: they went into the folder that "
                     "was there when the copying began, and the game may not find them.";
  }
  return report;
}

SaveApplied ApplySavePlan(const SavePlan& plan, Host& host, Journal* journal) {
  SaveApplied applied;
  applied.cleanUpComplete = DeleteUnusedTracks(plan, host, journal);
  WriteUserConfigHook(plan, journal);
  WriteKeyBindings(plan, journal);
  WriteControlScript(plan, host, journal);
  WriteTrackList(plan, journal);
  CreateTrackFolder(plan, host, journal);
  applied.copies = CopyTracks(plan, host, journal);
  return applied;
}

}  // namespace tunebelt
