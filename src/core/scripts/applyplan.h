// Carries out a save plan in the order the game's files depend on: clean-up,
// userconfig.cfg, kb_act.lst, the playlist files, mp3.cfg, the track list,
// the mp3s folder, the track copies; with the progress window's calls at their places. Each
// step is a function of its own, and each can note what it did in a journal.
#pragma once

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
  Copied,        // a track copied into mp3s
  AlreadyThere,  // a track whose copy was there already
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
// Copies each track whose copy is not there yet; returns one line per track
// that could not be copied (which, where to, and why).
std::vector<std::string> CopyTracks(const SavePlan& plan, Host& host, Journal* journal);

// What a save could not do, though it went on to its end.
struct SaveApplied {
  bool cleanUpComplete = true;            // the clean-up deleted all it should
  std::vector<std::string> copyFailures;  // one line per track that was not copied

  bool complete() const { return cleanUpComplete && copyFailures.empty(); }
};

// All the steps in order.
SaveApplied ApplySavePlan(const SavePlan& plan, Host& host, Journal* journal = nullptr);

}  // namespace tunebelt
