// Carries out a save plan in the order the game's files depend on: clean-up,
// userconfig.cfg, kb_act.lst, the playlist files, mp3.cfg, the track list,
// the mp3s folder, the track copies; with the progress window's calls at
// their places. Each step is a function of its own, and each can note what it
// did in a journal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/scripts/saveplan.h"
#include "core/state/host.h"

namespace tunebelt {

enum class JournalAction {
  Created,       // a file that was not there
  Replaced,      // a file whose bytes changed
  Unchanged,     // a file that held these bytes already
  FolderMade,    // a folder that was not there
  Copied,        // a track copied into mp3s (also over a copy of another version)
  AlreadyThere,  // a track whose copy of this version was there already
  CleanedUp,     // the mp3s folder deleted
  Deleted,       // a file a save wrote, taken away again
};

struct JournalEntry {
  JournalAction action;
  std::string path;
  bool operator==(const JournalEntry&) const = default;
};

// What a save did, step by step, in order.
using Journal = std::vector<JournalEntry>;

// What went wrong in the copy step, which goes on past a copy that fails.
struct CopyReport {
  // One line per copy that failed: the tracks whose keys then play nothing,
  // which file, where to, and why.
  std::vector<std::string> failures;
  // Set when the mp3s folder was swapped for another one while the copies
  // went in: what happened.
  std::optional<std::string> swapped;
  bool ok() const { return failures.empty() && !swapped; }
};

// Writes one planned file atomically and notes whether it was created,
// replaced or left as it was. Throws platform::FsError.
void WriteFile(const FileWrite& file, Journal* journal);

// The steps, in their order. Each throws platform::FsError naming the file
// that failed, but for the clean-up and the copies: what they could not do
// is told in their result, and the rest goes on.
// The clean-up empties mp3s (the folder itself stays as it is); false, after
// telling the user what stayed, when something could not be deleted.
bool DeleteUnusedTracks(const SavePlan& plan, Host& host, Journal* journal);
void WriteUserConfigHook(const SavePlan& plan, Journal* journal);
void WriteKeyBindings(const SavePlan& plan, Journal* journal);
// Shows the progress window, then writes playlist1.cfg onward.
void WritePlaylistScripts(const SavePlan& plan, Progress& progress, Journal* journal);
// Puts the script into the progress window, writes the playlist files,
// switches to the copying stage, writes mp3.cfg and sets the progress maximum.
void WriteControlScript(const SavePlan& plan, Host& host, Journal* journal);
// tracklist.cfg onward.
void WriteTrackList(const SavePlan& plan, Journal* journal);
void CreateTrackFolder(const SavePlan& plan, Progress& progress, Journal* journal);
// Opens the mp3s folder once and copies each file into that open folder
// (platform::copyIntoFolder: a copy of this version stays, one of another
// version is replaced). A folder that is no longer the one the save found
// (swapped for a link or another folder before the copies began) throws
// platform::FsError; one swapped while they went in is reported.
CopyReport CopyTracks(const SavePlan& plan, Host& host, Journal* journal);

// What a save could not do, though it went on to its end.
struct SaveApplied {
  bool cleanUpComplete = true;  // the clean-up deleted all it should
  CopyReport copies;

  bool complete() const { return cleanUpComplete && copies.ok(); }
};

// All the steps in order.
SaveApplied ApplySavePlan(const SavePlan& plan, Host& host, Journal* journal = nullptr);

}  // namespace tunebelt
