#include "core/scripts/removal.h"

#include <algorithm>
#include <optional>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/cleanup.h"
#include "core/scripts/controlscript.h"
#include "core/scripts/keybindings.h"
#include "core/scripts/playlistscripts.h"
#include "core/scripts/savescript.h"
#include "core/scripts/tracklist.h"
#include "core/scripts/userconfighook.h"
#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/folderlock.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt {

namespace {

std::string CrLfText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

PlannedStep RewriteStep(Subject subject, std::string path, std::string bytes) {
  PlannedStep s = PlanStep(subject, Action::Rewrite, std::move(path), bytes.size());
  s.bytes = std::move(bytes);
  s.durability = platform::Durability::Synced;
  return s;
}

// playlist1.cfg onward (or the track list's files): each file that is there
// in a save's form, up to the first that is not. A file beyond the end of
// the chain a later save wrote is the rest of an earlier, longer one.
template <typename NameOf, typename Recognise>
void AddChain(std::vector<PlannedStep>& steps, const std::vector<FoundFile>& files, NameOf nameOf,
              Recognise recognise) {
  for (std::size_t k = 1; k <= files.size(); ++k) {
    const FoundFile& f = files[k - 1];
    if (!f.bytes || !recognise(*f.bytes, k)) return;
    steps.push_back(PlanStep(Subject::OldScript, Action::Delete, nameOf(k), f.bytes->size()));
  }
}

std::string RemovedText(const Plan& plan) {
  std::string text = "Tunebelt was removed from " + PrintableName(plan.layout.folder());
  const bool tracks = std::any_of(plan.steps.begin(), plan.steps.end(), [](const PlannedStep& s) {
    return s.step.action == Action::DeleteFolder;
  });
  return text + (tracks ? ", the mp3s folder too." : ".");
}

}  // namespace

std::optional<std::vector<std::string>> WithoutHookLine(const std::vector<std::string>& lines) {
  for (std::size_t i = lines.size(); i > 0; --i) {
    if (lines[i - 1] != kHookLine) continue;
    std::vector<std::string> kept = lines;
    kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i - 1));
    return kept;
  }
  return std::nullopt;
}

Plan PlanRemoval(const ModLayout& layout, const ModFolderFiles& found, bool tracks) {
  Plan plan;
  plan.layout = layout;
  std::vector<PlannedStep>& steps = plan.steps;
  if (found.userConfigLines) {
    if (auto kept = WithoutHookLine(*found.userConfigLines)) {
      if (kept->empty() && !found.userConfig.link) {
        steps.push_back(PlanStep(Subject::UserConfig, Action::Delete, layout.userConfig(),
                                 found.userConfig.size));
      } else {
        steps.push_back(RewriteStep(Subject::UserConfig, layout.userConfig(), CrLfText(*kept)));
      }
    }
  }
  if (found.keyBindings.present) {
    bool section = false;
    std::string kept = WithoutControlsSection(found.keyBindingText, &section);
    if (section) steps.push_back(RewriteStep(Subject::KeyBindings, layout.keyBindings(), kept));
  }
  if (const FoundFile& f = found.controlScript; f.bytes && IsControlScript(*f.bytes)) {
    steps.push_back(
        PlanStep(Subject::OldScript, Action::Delete, layout.controlScript(), f.bytes->size()));
  }
  AddChain(
      steps, found.playlistFiles, [&](std::size_t k) { return layout.playlistFile(k); },
      IsPlaylistScript);
  AddChain(
      steps, found.trackListFiles, [&](std::size_t k) { return layout.trackListFile(k); },
      IsTrackList);
  for (const FoundLeftover& leftover : found.leftovers) {
    steps.push_back(PlanStep(Subject::Leftover, Action::Delete, leftover.path, leftover.size));
  }
  if (tracks && found.tracksExist) {
    PlannedStep s = PlanStep(Subject::CleanUp, Action::DeleteFolder, layout.tracks(), 0);
    if (found.tracksSize) {
      s.step.size = found.tracksSize->bytes;
      s.step.files = found.tracksSize->files;
    }
    steps.push_back(std::move(s));
  }
  return plan;
}

std::string RemovalQuestion(const std::string& modFolder) {
  return "Remove Tunebelt from the mod folder\n" + PrintableName(modFolder) +
         "?\n\nThe exec mp3.cfg line of userconfig.cfg, the MP3 Player Controls of kb_act.lst, "
         "mp3.cfg, the playlist files and the track list are taken out. Everything else stays.";
}

RemovalResult AskAndRemoveFromModFolder(const ProgramState& state, std::string& modFolder,
                                        char decimalSeparator, Host& host) {
  if (!ValidateModFolder(modFolder, host)) return RemovalResult::Refused;
  const YesNoChoice choice =
      host.askYesNoWithCheckBox(RemovalQuestion(modFolder), kRemoveCaption, kRemoveTracksCheckBox);
  if (!choice.yes) return RemovalResult::Cancelled;
  RemovalOptions options;
  options.tracks = choice.checked;
  options.decimalSeparator = decimalSeparator;
  return RemoveFromModFolder(state, modFolder, options, host);
}

RemovalResult RemoveFromModFolder(const ProgramState& state, std::string& modFolder,
                                  const RemovalOptions& options, Host& host) {
  if (!ValidateModFolder(modFolder, host)) return RemovalResult::Refused;
  const ModLayout layout(modFolder);
  RemovalResult result = RemovalResult::Done;
  try {
    // A dry run only reads, so it takes no lock.
    std::optional<platform::FolderLock> lock;
    if (!options.dryRun) {
      lock.emplace(modFolder);
      if (!LockModFolder(*lock, options.lockTimeout, host)) return RemovalResult::Refused;
    }
    const Plan plan = PlanRemoval(
        layout, ReadModFolder(layout, std::string(), options.tracks, true), options.tracks);
    if (plan.empty()) {
      host.showMessage(kNothingToRemoveMessage, kCaption, MessageIcon::None);
      result = RemovalResult::NothingFound;
    } else if (options.dryRun) {
      if (options.journal != nullptr) *options.journal = plan.shown();
    } else if (ApplyPlan(plan, host, options.journal).complete()) {
      host.showMessage(RemovedText(plan), kCaption, MessageIcon::Information);
    } else {
      result = RemovalResult::Failed;  // the clean-up has said what it could not delete
    }
  } catch (const platform::FsError& e) {
    host.showMessage("Remove stopped: " + PrintableName(e.path()) + ": " + e.reason(),
                     kErrorCaption, MessageIcon::Critical);
    result = RemovalResult::Failed;
  }
  if (!options.dryRun) RefreshCacheSize(modFolder, state.Language, options.decimalSeparator, host);
  return result;
}

}  // namespace tunebelt
