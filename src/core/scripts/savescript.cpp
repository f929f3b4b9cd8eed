#include "core/scripts/savescript.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/remember.h"
#include "core/scripts/applyplan.h"
#include "core/scripts/modlayout.h"
#include "core/scripts/saveplan.h"
#include "core/scripts/tracknames.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/folderlock.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

bool refuse(Prompts& prompts, std::string_view text, std::string_view caption,
            MessageIcon icon = MessageIcon::None) {
  prompts.showMessage(text, caption, icon);
  return false;
}

}  // namespace

bool ValidateSave(const ProgramState& state, std::string& modFolder, Host& host) {
  if (state.TrackCount() == 0) {
    return refuse(host, "No items in playlist", kErrorCaption, MessageIcon::Critical);
  }
  if (state.TrackCount() > kMaxSaveTracks) {
    return refuse(host, "Sorry Half Life can not load scripts of this size", kErrorCaption);
  }
  if (!ValidateModFolder(modFolder, host)) return false;
  if (!FileExists(ModLayout(modFolder).keyBindings())) {
    return refuse(host,
                  "kb_act.lst could not be found, please check you have entered the correct path",
                  kCaption);
  }
  return true;
}

namespace {

// The window is painted, the mod folder box is disabled and the progress
// window shows the generating stage (the window hides its hover images then).
void beginGenerating(Host& host) {
  host.modFolderEnabledChanged(false);
  host.setProgressCaption("Tunebelt - Generating...");
  host.setStage(Stage::Generating);
}

constexpr std::size_t kReportedLines = 10;

// A heading and the first ten lines of a list, then how many more there are.
std::string listText(std::string text, const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size() && i < kReportedLines; ++i) text += "\n" + lines[i];
  if (lines.size() > kReportedLines) {
    text += "\n... and " + std::to_string(lines.size() - kReportedLines) + " more";
  }
  return text;
}

std::string copyFailureText(const std::vector<std::string>& failures) {
  return listText(failures.size() == 1
                      ? std::string("1 copy could not be made, so the keys of its track play "
                                    "nothing in the game:")
                      : std::to_string(failures.size()) +
                            " copies could not be made, so the keys of their tracks play "
                            "nothing in the game:",
                  failures);
}

// What the end of a save says about the tracks it could not give the game.
std::string problemsText(const std::vector<LeftOutTrack>& leftOut, const CopyReport& copies) {
  std::vector<std::string> parts;
  if (!leftOut.empty()) parts.push_back(LeftOutText(leftOut));
  if (!copies.failures.empty()) parts.push_back(copyFailureText(copies.failures));
  if (copies.swapped) parts.push_back(*copies.swapped);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "\n\n") + part;
  return text;
}

// Notes in the summary (when asked for) what the game got; returns `applied`.
const Applied& summarize(const SavePlan& plan, const Applied& applied, int tracks,
                         SaveSummary* summary) {
  if (summary != nullptr) {
    summary->scriptsWritten = true;
    summary->tracks = tracks;
    const int lost = static_cast<int>(plan.leftOut.size() + applied.copies.failures.size());
    // A swapped mp3s folder may have taken any of the copies.
    summary->inGame = applied.copies.swapped ? 0 : std::max(0, tracks - lost);
  }
  return applied;
}

void finish(ProgramState& state, const std::string& modFolder, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setStage(Stage::Complete);
  host.setProgressCaption("Done");
  host.modFolderEnabledChanged(true);
}

// The scripts are in place but not all of the save could be done (tracks
// left out or not copied, old files left in mp3s): the folder is still
// remembered, and the window says what went wrong instead of "Done". The
// clean-up has told what it left already; `problems` is about the tracks.
void finishWithProblems(ProgramState& state, const std::string& modFolder,
                        const std::string& problems, Host& host) {
  RememberModFolder(state, modFolder, host);
  host.setProgressCaption(
      std::string(problems.empty() ? kCleanUpIncompleteCaption : kTracksMissingCaption));
  host.modFolderEnabledChanged(true);
  if (!problems.empty()) host.showMessage(problems, kErrorCaption, MessageIcon::Exclamation);
}

}  // namespace

std::string LeftOutText(const std::vector<LeftOutTrack>& leftOut) {
  std::vector<std::string> lines;
  lines.reserve(leftOut.size());
  for (const LeftOutTrack& t : leftOut) lines.push_back(PrintableName(t.source) + ": " + t.reason);
  return listText(leftOut.size() == 1 ? std::string("1 track was left out:")
                                      : std::to_string(leftOut.size()) + " tracks were left out:",
                  lines);
}

SaveAudio::SaveAudio(const ProgramState& state, const SaveOptions& options)
    : cache_(audio::MeasurementCacheFilePath(state)),
      records_(CopyRecordsFilePath(state)),
      work_{options.audioTools != nullptr ? *options.audioTools : library_, &cache_, &records_,
            options.audioThreads} {}

SaveAudio::~SaveAudio() {
  try {
    cache_.save();
    records_.save();
  } catch (const platform::FsError&) {
    // Only what the next save measures or makes again is lost.
  }
}

bool ValidateModFolder(std::string& modFolder, Host& host) {
  if (modFolder.empty()) return refuse(host, "Please Enter a Mod Folder", kCaption);
  if (TrimModFolder(modFolder)) host.modFolderTextChanged(modFolder);
  if (!FolderExists(modFolder)) {
    return refuse(host, "Mod Folder can not be found, please check that the path is correct",
                  kCaption);
  }
  return true;
}

bool LockModFolder(platform::FolderLock& lock, std::chrono::milliseconds timeout, Host& host) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  while (!lock.tryLock()) {
    if (Clock::now() >= deadline) {
      host.showMessage(kModFolderBusyMessage, kErrorCaption, MessageIcon::Exclamation);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

SaveResult SaveScript(ProgramState& state, std::string& modFolder, const SaveOptions& options,
                      Host& host) {
  if (!ValidateSave(state, modFolder, host)) return SaveResult::Refused;
  const ModLayout layout(modFolder);
  SaveResult result = SaveResult::Done;
  try {
    platform::FolderLock lock(modFolder);
    if (!LockModFolder(lock, options.lockTimeout, host)) return SaveResult::Refused;
    beginGenerating(host);
    const ModFolderFiles found =
        ReadModFolder(layout, state.ApplicationFolder, options.plan.deleteUnused);
    // Every track's file is looked at before anything is written: one that
    // cannot be read is left out of every script, so no key plays nothing.
    SavePlan plan = PlanSaveAsFound(state, layout, found, options.plan);
    SaveAudio audio(state, options);
    PlanTrackAudio(plan, options.audio, audio.work(), host);
    if (plan.scriptTracks.empty()) {
      host.showMessage(LeftOutText(plan.leftOut) + "\n\nNothing was written.", kErrorCaption,
                       MessageIcon::Critical);
      if (options.journal != nullptr) {
        for (const PlannedStep& s : plan.steps) {
          if (s.step.action == Action::LeftOut) options.journal->push_back(s.step);
        }
      }
      host.modFolderEnabledChanged(true);
      result = SaveResult::Failed;
    } else if (const Applied applied =
                   summarize(plan, ApplyPlan(plan, host, options.journal, {}, &audio.work()),
                             state.TrackCount(), options.summary);
               applied.complete() && plan.leftOut.empty()) {
      finish(state, modFolder, host);
    } else {
      finishWithProblems(state, modFolder, problemsText(plan.leftOut, applied.copies), host);
      result = SaveResult::Failed;
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Save Script stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    host.modFolderEnabledChanged(true);
    result = SaveResult::Failed;
  }
  // Also after a failure: the copies made before it count.
  RefreshCacheSize(modFolder, state.Language, options.decimalSeparator, host);
  return result;
}

}  // namespace tunebelt
