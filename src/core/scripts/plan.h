// What a save or a removal does to a mod folder, as an ordered list of
// steps. The mod folder is read first, then a pure planner turns what was
// read into the steps; one executor (applyplan.h) carries them out in order
// and notes each step it did in a journal. A dry run prints the planned
// steps, a journal the done ones, in the same words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/scripts/modlayout.h"
#include "platform/fs.h"

namespace tunebelt {

enum class Action {
  Create,        // a file that is not there, written
  Replace,       // a file whose bytes change
  Unchanged,     // a file that holds its bytes already: nothing written
  Rewrite,       // a player's file written again without what a save put into it
  MakeFolder,    // a folder that is not there
  Copy,          // a track copied into mp3s (also over a copy of another version)
  AlreadyThere,  // a track whose copy of this version is there: nothing copied
  Convert,       // a track of another format decoded and encoded into an MP3 in mp3s
  Level,         // an MP3 copied into mp3s with its frames' gain changed
  CleanUp,       // the mp3s folder emptied, the folder itself kept
  Delete,        // a file taken away
  DeleteFolder,  // a folder taken away with all it holds
  LeftOut,       // a playlist entry whose file cannot be read: in no script
};

// The word a dry run and a journal print for an action.
std::string_view ActionName(Action action);

// A step as it is shown: what, where, and how much.
struct Step {
  Action action = Action::Unchanged;
  // The file or folder acted on; for LeftOut the entry's file.
  std::string path;
  // A file's length after the step (for Delete before it); the bytes a
  // clean-up or a folder's deletion takes away.
  std::uint64_t size = 0;
  std::uint64_t files = 0;  // CleanUp, DeleteFolder: the files that go
  std::string source;       // Copy, AlreadyThere, Convert, Level: the track's file
  std::string reason;       // LeftOut: why the file cannot be read
  // A track's copy when the save levels loudness: the gain it gets in dB
  // (nothing when its loudness could not be measured; `reason` says why).
  std::optional<double> gainDb;
  int bitrateKbps = 0;  // Convert: the copy's bit rate
  bool operator==(const Step&) const = default;
};

// Which file of a save or a removal a step is about: the executor shows the
// progress window's stages at their places, and the single writers of a
// save run only their own steps.
enum class Subject {
  Leftover,       // a temporary file a killed save left
  CleanUp,        // the mp3s folder, emptied or deleted
  UserConfig,     // userconfig.cfg
  KeyBindings,    // gfx, gfx/shell and kb_act.lst
  Playlist,       // playlist1.cfg onward
  ControlScript,  // mp3.cfg
  TrackList,      // tracklist.cfg onward
  OldScript,      // a script a save wrote, taken back
  TrackFolder,    // mp3s made
  Track,          // a track's copy (copied, converted or levelled)
  LeftOutTrack,   // a playlist entry left out
};

// A step with what carrying it out needs.
struct PlannedStep {
  Step step;
  Subject subject = Subject::Leftover;
  std::optional<std::string> bytes;  // Create, Replace, Rewrite: the file's new bytes
  platform::Durability durability = platform::Durability::Normal;
  // The player's files (kb_act.lst, userconfig.cfg) are written where a
  // link in their place points; our own scripts replace such a link.
  platform::Links links = platform::Links::Follow;
  std::string name;                          // Copy: the copy's name in mp3s
  std::optional<platform::FileStamp> stamp;  // Copy: the source's, when it was looked at
  std::vector<int> tracks;                   // Copy: the tracks that play it, from 1
  int gainSteps = 0;                         // Level: the frames' gain change, in steps
};

// A step about `subject`: `action` on `path`, of `size` bytes.
inline PlannedStep PlanStep(Subject subject, Action action, std::string path,
                            std::uint64_t size = 0) {
  PlannedStep s;
  s.subject = subject;
  s.step.action = action;
  s.step.path = std::move(path);
  s.step.size = size;
  return s;
}

struct Plan {
  ModLayout layout{std::string()};
  std::vector<PlannedStep> steps;
  // A save's progress window: mp3.cfg as it shows it (without its last CR
  // LF), and in developer mode each track's file before its copy.
  std::string scriptText;
  bool showEachSource = false;
  // The mp3s folder the copies must go into: the one that was there when
  // the save began, unless the clean-up deletes it; a link in its place is
  // followed only when it was there then.
  std::optional<platform::FileId> tracksFolder;
  bool followTracksLink = false;

  bool empty() const { return steps.empty(); }
  // The steps as a dry run shows them.
  std::vector<Step> shown() const;
};

// What a save or a removal did, step by step, in order.
using Journal = std::vector<Step>;

}  // namespace tunebelt
