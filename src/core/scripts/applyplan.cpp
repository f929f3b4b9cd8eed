#include "core/scripts/applyplan.h"

#include <algorithm>

#include "core/modfolder/cleanup.h"
#include "core/state/printable.h"
#include "core/state/state.h"
#include "platform/tree.h"

namespace tunebelt {

std::string_view ActionName(Action action) {
  switch (action) {
    case Action::Create:
      return "create";
    case Action::Replace:
      return "replace";
    case Action::Unchanged:
      return "unchanged";
    case Action::Rewrite:
      return "rewrite";
    case Action::MakeFolder:
      return "make-folder";
    case Action::Copy:
      return "copy";
    case Action::AlreadyThere:
      return "already-there";
    case Action::CleanUp:
      return "clean-up";
    case Action::Delete:
      return "delete";
    case Action::DeleteFolder:
      return "delete-folder";
    case Action::LeftOut:
      return "left-out";
  }
  return "?";
}

std::vector<Step> Plan::shown() const {
  std::vector<Step> list;
  list.reserve(steps.size());
  for (const PlannedStep& s : steps) list.push_back(s.step);
  return list;
}

namespace {

// "track 3", "tracks 2, 5": the tracks a copy plays for.
std::string TracksText(const std::vector<int>& tracks) {
  std::string text = tracks.size() == 1 ? "track " : "tracks ";
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(tracks[i]);
  }
  return text;
}

class Executor {
 public:
  Executor(const Plan& plan, Host& host, Journal* journal)
      : plan_(plan), host_(host), journal_(journal) {
    copies_ = static_cast<int>(
        std::count_if(plan.steps.begin(), plan.steps.end(),
                      [](const PlannedStep& s) { return s.subject == Subject::Track; }));
  }

  void run(const PlannedStep& s) {
    before(s);
    switch (s.step.action) {
      case Action::Create:
      case Action::Replace:
      case Action::Rewrite:
        write(s, s.bytes ? *s.bytes : std::string());
        break;
      case Action::Unchanged:
      case Action::LeftOut:
        note(s.step);
        break;
      case Action::MakeFolder:
        platform::makeDir(s.step.path);
        note(s.step);
        break;
      case Action::Copy:
      case Action::AlreadyThere:
        copy(s);
        break;
      case Action::CleanUp:
      case Action::DeleteFolder:
        if (!(s.step.action == Action::CleanUp ? EmptyFolderTree(s.step.path, host_)
                                               : DeleteFolderTree(s.step.path, host_))) {
          applied_.cleanUpComplete = false;
        } else {
          note(s.step);
        }
        break;
      case Action::Delete:
        remove(s);
        break;
    }
    after(s);
  }

  Applied finish() {
    if (tracks_ && !tracks_->stillInPlace()) {
      applied_.copies.swapped =
          PrintableName(tracks_->path()) +
          " was replaced while the tracks were copied: they went into the folder that was there "
          "when the copying began, and the game may not find them.";
    }
    return applied_;
  }

 private:
  void note(const Step& step) {
    if (journal_ != nullptr) journal_->push_back(step);
  }
  void note(const Step& step, Action truth) {
    if (journal_ == nullptr) return;
    journal_->push_back(step);
    journal_->back().action = truth;
  }

  // The progress window's calls that come before a step.
  void before(const PlannedStep& s) {
    if ((s.subject == Subject::Playlist || s.subject == Subject::ControlScript) && !scriptShown_) {
      host_.setScriptText(plan_.scriptText);
      host_.showProgressWindow();
      scriptShown_ = true;
    }
    if (s.subject == Subject::ControlScript) host_.setStage(Stage::Copying);
    if (s.subject == Subject::Track) {
      trackFolder();
      if (plan_.showEachSource) {
        host_.showMessage(PrintableName(s.step.source), kCaption, MessageIcon::None);
      }
    }
  }

  void after(const PlannedStep& s) {
    if (s.subject == Subject::ControlScript) host_.setProgressMaximum(copies_);
    if (s.subject == Subject::Track) host_.setProgressValue(++copied_);
  }

  // Atomic: a file another program made or changed since the read is
  // replaced whole all the same, and the journal says what the write found.
  void write(const PlannedStep& s, const std::string& bytes) {
    switch (platform::writeFileAtomic(s.step.path, bytes, s.durability, s.links)) {
      case platform::WriteResult::Created:
        return note(s.step, Action::Create);
      case platform::WriteResult::Replaced:
        return note(s.step, s.step.action == Action::Rewrite ? Action::Rewrite : Action::Replace);
      case platform::WriteResult::Unchanged:
        return note(s.step, Action::Unchanged);
    }
  }

  void remove(const PlannedStep& s) {
    if (s.subject != Subject::Leftover) {
      platform::removeFile(s.step.path);
      return note(s.step);
    }
    // A leftover goes by the sweep's rules; one that does not go stays as
    // harmless as it was.
    if (platform::removeLeftoverTempFile(s.step.path)) note(s.step);
  }

  // The mp3s folder the copies go into, opened once at the first copy: the
  // one the save found there, or the one it has just made.
  const platform::FolderHandle& trackFolder() {
    if (!tracks_) {
      const std::string path = plan_.layout.tracks();
      tracks_ = platform::FolderHandle::open(path, plan_.followTracksLink);
      if (plan_.tracksFolder && tracks_->id() != *plan_.tracksFolder) {
        throw platform::FsError(path,
                                "was replaced by another folder while the save ran; no track was "
                                "copied");
      }
    }
    return *tracks_;
  }

  void copy(const PlannedStep& s) {
    if (s.step.action == Action::AlreadyThere) {
      // Found there in this version a moment ago, before anything was written.
      return note(s.step);
    }
    try {
      const platform::CopyResult done = platform::copyIntoFolder(
          s.step.source, trackFolder(), s.name, s.stamp ? &*s.stamp : nullptr);
      note(s.step,
           done == platform::CopyResult::AlreadyThere ? Action::AlreadyThere : Action::Copy);
    } catch (const platform::FsError& e) {
      const std::string where = e.path() == s.step.source ? PrintableName(e.path())
                                                          : PrintableName(s.step.source) + " to " +
                                                                PrintableName(e.path());
      applied_.copies.failures.push_back(TracksText(s.tracks) + ": " + where + ": " + e.reason());
    }
  }

  const Plan& plan_;
  Host& host_;
  Journal* journal_;
  Applied applied_;
  std::optional<platform::FolderHandle> tracks_;
  bool scriptShown_ = false;
  int copies_ = 0;
  int copied_ = 0;
};

}  // namespace

Applied ApplyPlan(const Plan& plan, Host& host, Journal* journal,
                  std::initializer_list<Subject> only) {
  if (journal != nullptr) journal->reserve(journal->size() + plan.steps.size());
  Executor executor(plan, host, journal);
  for (const PlannedStep& s : plan.steps) {
    if (only.size() == 0 || std::find(only.begin(), only.end(), s.subject) != only.end()) {
      executor.run(s);
    }
  }
  return executor.finish();
}

void WriteUserConfigHook(const SavePlan& plan, Host& host, Journal* journal) {
  ApplyPlan(plan, host, journal, {Subject::UserConfig});
}

void WriteKeyBindings(const SavePlan& plan, Host& host, Journal* journal) {
  ApplyPlan(plan, host, journal, {Subject::KeyBindings});
}

void WritePlaylistScripts(const SavePlan& plan, Host& host, Journal* journal) {
  ApplyPlan(plan, host, journal, {Subject::Playlist});
}

void WriteControlScript(const SavePlan& plan, Host& host, Journal* journal) {
  ApplyPlan(plan, host, journal, {Subject::Playlist, Subject::ControlScript});
}

void WriteTrackList(const SavePlan& plan, Host& host, Journal* journal) {
  ApplyPlan(plan, host, journal, {Subject::TrackList});
}

}  // namespace tunebelt
