// A save shown instead of carried out: its plan held against what the mod
// folder holds now. Reads only; writes nothing and takes no lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/scripts/saveplan.h"
#include "core/scripts/savescript.h"
#include "core/state/host.h"
#include "core/state/state.h"

namespace tunebelt {

enum class FileChange { Create, Replace, Unchanged };

struct FilePreview {
  FileChange change;
  std::string path;
  std::uint64_t bytes;  // its size after the save
  bool operator==(const FilePreview&) const = default;
};

struct CopyPreview {
  std::string source;
  std::string target;
  bool alreadyThere;  // the save leaves the copy there as it is
  bool operator==(const CopyPreview&) const = default;
};

struct CleanUpPreview {
  std::string folder;
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};

struct SavePreview {
  std::optional<CleanUpPreview> cleanUp;  // the mp3s folder, emptied first
  std::vector<FilePreview> files;         // in the order the save writes them
  std::vector<std::string> foldersToMake;
  std::vector<CopyPreview> copies;    // one per file copied, in order
  std::vector<LeftOutTrack> leftOut;  // the playlist entries that cannot be read
};

// What carrying out the plan would do to the mod folder as it is now. A
// file is unchanged when it holds the planned bytes already (a link in the
// place of one of our scripts is replaced); a copy is already there when a
// regular file of its name holds the source's version (platform::sameVersion;
// any file of that name when the plan did not look at the sources) and the
// clean-up does not delete it.
SavePreview PreviewSavePlan(const SavePlan& plan);

enum class PreviewResult { Done, Refused, Failed };

// The save's checks with the save's messages, then the folder and the
// tracks' files read and the plan previewed into `preview`; tracks that would
// be left out are told as the save tells them. Nothing is written; nothing
// throws.
PreviewResult PreviewSave(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                          Host& host, SavePreview& preview);

}  // namespace tunebelt
