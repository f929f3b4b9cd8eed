// Carries out a plan: its steps in their order, each as its action says,
// with the progress window's calls at their places. For a save that order is
// the one the game's files depend on: the leftovers of a killed save, the
// clean-up, userconfig.cfg, kb_act.lst, the playlist files, mp3.cfg, the
// track list, the mp3s folder, the track copies.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "core/scripts/plan.h"
#include "core/scripts/saveplan.h"
#include "core/state/host.h"

namespace tunebelt {

struct AudioWork;

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

// What a plan could not do, though it went on to its end.
struct Applied {
  bool cleanUpComplete = true;  // the clean-up or the folder's deletion took all it should
  CopyReport copies;

  bool complete() const { return cleanUpComplete && copies.ok(); }
};

// The one executor. Each step done is noted in the journal, as it turned
// out: a file planned as created that another program wrote meanwhile is
// noted replaced. A file is written atomically (never half of it) and one
// planned unchanged is left alone. Throws platform::FsError naming the file
// that failed, but for these, which go on: a copy that fails (told in the
// result), a clean-up that leaves something (told to the user by the
// clean-up, and not journaled), a leftover temporary file that does not go.
// With `only` given, just the steps about those subjects run. The converted
// and levelled copies are made first, several at once with `audio`'s tools
// (the library's when none are given), each committed and noted in the
// copy records as it is done; the progress caption names the track and how
// far it is.
Applied ApplyPlan(const Plan& plan, Host& host, Journal* journal = nullptr,
                  std::initializer_list<Subject> only = {}, AudioWork* audio = nullptr);

// A save's single writers: the plan's steps about one file each.
void WriteUserConfigHook(const SavePlan& plan, Host& host, Journal* journal);
void WriteKeyBindings(const SavePlan& plan, Host& host, Journal* journal);
// Shows the progress window (with the script), then writes playlist1.cfg
// onward.
void WritePlaylistScripts(const SavePlan& plan, Host& host, Journal* journal);
// The playlist files, then the copying stage, mp3.cfg and the progress
// maximum.
void WriteControlScript(const SavePlan& plan, Host& host, Journal* journal);
void WriteTrackList(const SavePlan& plan, Host& host, Journal* journal);

}  // namespace tunebelt
