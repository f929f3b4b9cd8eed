#include "core/scripts/removal.h"

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

// A script file small enough to be one a save wrote; nothing for anything
// else (missing, no regular file, too large).
std::optional<std::string> ReadScript(const std::string& path) {
  if (!platform::isRegularFile(path)) return std::nullopt;
  std::string text = platform::readFileHead(path, kMaxPlaylistFileBytes + 1);
  if (text.size() > kMaxPlaylistFileBytes) return std::nullopt;
  return text;
}

// playlist1.cfg onward (or the track list's files): each file that is there
// in a save's form, up to the first that is not. A file beyond the end of
// the chain a later save wrote is the rest of an earlier, longer one.
template <typename NameOf, typename Recognise>
void AddChain(std::vector<std::string>& scripts, NameOf nameOf, Recognise recognise) {
  for (std::size_t k = 1;; ++k) {
    const std::string path = nameOf(k);
    const std::optional<std::string> text = ReadScript(path);
    if (!text || !recognise(*text, k)) return;
    scripts.push_back(path);
  }
}

void note(Journal* journal, JournalAction action, const std::string& path) {
  if (journal != nullptr) journal->push_back({action, path});
}

void deleteFile(const std::string& path, Journal* journal) {
  platform::removeFile(path);
  note(journal, JournalAction::Deleted, path);
}

std::string RemovedText(const RemovalPlan& plan) {
  std::string text = "Tunebelt was removed from " + PrintableName(plan.layout.folder());
  return text + (plan.tracks ? ", the mp3s folder too." : ".");
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

RemovalPlan PlanRemoval(const ModLayout& layout, bool tracks) {
  RemovalPlan plan;
  plan.layout = layout;
  if (FileExists(layout.userConfig())) {
    if (auto kept = WithoutHookLine(platform::readTextLines(layout.userConfig()))) {
      // A file left empty goes; a player's link stays a link, and the file
      // it points to is rewritten (empty), as a save writes through it.
      if (kept->empty() && !platform::isSymlink(layout.userConfig())) {
        plan.deleteUserConfig = true;
      } else {
        plan.userConfig =
            FileWrite{layout.userConfig(), CrLfText(*kept), platform::Durability::Synced};
      }
    }
  }
  if (FileExists(layout.keyBindings())) {
    bool found = false;
    std::string kept = WithoutControlsSection(platform::readFile(layout.keyBindings()), &found);
    if (found) {
      plan.keyBindings =
          FileWrite{layout.keyBindings(), std::move(kept), platform::Durability::Synced};
    }
  }
  if (auto text = ReadScript(layout.controlScript()); text && IsControlScript(*text)) {
    plan.scripts.push_back(layout.controlScript());
  }
  AddChain(
      plan.scripts, [&](std::size_t k) { return layout.playlistFile(k); }, IsPlaylistScript);
  AddChain(
      plan.scripts, [&](std::size_t k) { return layout.trackListFile(k); }, IsTrackList);
  for (const std::string& folder : {layout.folder(), layout.shell(), layout.tracks()}) {
    for (std::string& path : platform::findLeftoverTempFiles(folder)) {
      plan.leftovers.push_back(std::move(path));
    }
  }
  if (tracks && FolderExists(layout.tracks())) {
    plan.tracks = layout.tracks();
    const platform::TreeSize size = platform::treeSize(layout.tracks());
    plan.trackFiles = size.files;
    plan.trackBytes = size.bytes;
  }
  return plan;
}

bool ApplyRemovalPlan(const RemovalPlan& plan, Host& host, Journal* journal) {
  if (plan.userConfig) WriteFile(*plan.userConfig, journal);
  if (plan.deleteUserConfig) deleteFile(plan.layout.userConfig(), journal);
  if (plan.keyBindings) WriteFile(*plan.keyBindings, journal);
  for (const std::string& path : plan.scripts) deleteFile(path, journal);
  if (!plan.leftovers.empty()) {
    for (const std::string& path : RemoveLeftoverTempFiles(plan.layout)) {
      note(journal, JournalAction::Deleted, path);
    }
  }
  if (!plan.tracks) return true;
  if (!DeleteFolderTree(*plan.tracks, host)) return false;
  note(journal, JournalAction::CleanedUp, *plan.tracks);
  return true;
}

Journal DescribeRemovalPlan(const RemovalPlan& plan) {
  Journal journal;
  if (plan.userConfig) note(&journal, JournalAction::Replaced, plan.userConfig->path);
  if (plan.deleteUserConfig) note(&journal, JournalAction::Deleted, plan.layout.userConfig());
  if (plan.keyBindings) note(&journal, JournalAction::Replaced, plan.keyBindings->path);
  for (const std::string& path : plan.scripts) note(&journal, JournalAction::Deleted, path);
  for (const std::string& path : plan.leftovers) note(&journal, JournalAction::Deleted, path);
  if (plan.tracks) note(&journal, JournalAction::CleanedUp, *plan.tracks);
  return journal;
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
    const RemovalPlan plan = PlanRemoval(layout, options.tracks);
    if (options.planned != nullptr) *options.planned = plan;
    if (plan.empty()) {
      host.showMessage(kNothingToRemoveMessage, kCaption, MessageIcon::None);
      result = RemovalResult::NothingFound;
    } else if (options.dryRun) {
      if (options.journal != nullptr) *options.journal = DescribeRemovalPlan(plan);
    } else if (ApplyRemovalPlan(plan, host, options.journal)) {
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
