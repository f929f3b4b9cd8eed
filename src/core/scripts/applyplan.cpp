#include "core/scripts/applyplan.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "core/audio/parallel.h"
#include "core/modfolder/cleanup.h"
#include "core/playlist/playlist.h"
#include "core/scripts/trackaudio.h"
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
    case Action::Convert:
      return "convert";
    case Action::Level:
      return "level";
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
  Executor(const Plan& plan, Host& host, Journal* journal, AudioWork* audio)
      : plan_(plan), host_(host), journal_(journal), audio_(audio) {
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
      case Action::Convert:
      case Action::Level:
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
      if (!audioMade_) makeAudioCopies();
      if (plan_.showEachSource) {
        host_.showMessage(PrintableName(s.step.source), kCaption, MessageIcon::None);
      }
    }
  }

  void after(const PlannedStep& s) {
    if (s.subject == Subject::ControlScript) host_.setProgressMaximum(copies_);
    if (s.subject == Subject::Track && !isAudioCopy(s)) host_.setProgressValue(++copied_);
  }

  static bool isAudioCopy(const PlannedStep& s) {
    return s.subject == Subject::Track &&
           (s.step.action == Action::Convert || s.step.action == Action::Level);
  }

  // What making a converted or levelled copy came to.
  struct AudioDone {
    std::uint64_t size = 0;
    std::string failure;  // empty when it was made
  };

  // Every converted and levelled copy, several at once, before the plain
  // copies: each is committed as soon as it is complete.
  void makeAudioCopies() {
    audioMade_ = true;
    std::vector<const PlannedStep*> jobs;
    for (const PlannedStep& s : plan_.steps) {
      if (isAudioCopy(s)) jobs.push_back(&s);
    }
    if (jobs.empty()) return;
    std::optional<audio::LibraryAudioTools> library;
    if (audio_ == nullptr) library.emplace();
    audio::AudioTools& tools = audio_ != nullptr ? audio_->tools : *library;
    CopyRecords* records = audio_ != nullptr ? audio_->records : nullptr;
    std::vector<AudioDone> done(jobs.size());
    std::mutex hostMutex;
    std::vector<int> shown(jobs.size(), -1);
    const auto tell = [&](std::size_t i, double fraction) {
      std::lock_guard lock(hostMutex);
      const int percent = static_cast<int>(fraction * 100.0);
      if (percent == shown[i]) return;
      shown[i] = percent;
      const PlannedStep& s = *jobs[i];
      host_.setProgressCaption(
          std::string(s.step.action == Action::Convert ? "Converting " : "Levelling ") +
          PrintableName(GetFileName(s.step.source)) + " (" + std::to_string(percent) + "%)");
    };
    audio::RunParallel(
        jobs.size(), audio_ != nullptr ? audio_->threads : 0,
        [&](std::size_t i, const std::stop_token& stop) {
          const PlannedStep& s = *jobs[i];
          const auto progress = [&tell, i](double fraction) { tell(i, fraction); };
          try {
            std::optional<platform::PendingFile> file;
            if (s.step.action == Action::Convert) {
              audio::ConvertOptions options;
              options.bitrateKbps = s.step.bitrateKbps;
              options.gainDb = s.step.gainDb.value_or(0.0);
              file.emplace(tools.convert(s.step.source, s.step.path, options, progress, stop));
            } else {
              file.emplace(
                  tools.levelMp3(s.step.source, s.step.path, s.gainSteps, progress, stop).file);
            }
            done[i].size = file->size();
            file->commit();
            if (records != nullptr && s.stamp) records->store(s.step.path, *s.stamp, CopyRecipe(s));
          } catch (const audio::AudioError& e) {
            done[i].failure = PrintableName(e.path()) + ": " + e.reason();
          } catch (const platform::FsError& e) {
            done[i].failure = e.path() == s.step.source
                                  ? PrintableName(e.path()) + ": " + e.reason()
                                  : PrintableName(s.step.source) + " to " +
                                        PrintableName(e.path()) + ": " + e.reason();
          } catch (const std::invalid_argument& e) {
            done[i].failure = PrintableName(s.step.source) + ": " + e.what();
          }
          std::lock_guard lock(hostMutex);
          host_.setProgressValue(++copied_);
        });
    for (std::size_t i = 0; i < jobs.size(); ++i) audioDone_.emplace(jobs[i], std::move(done[i]));
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
    if (isAudioCopy(s)) {
      const AudioDone& done = audioDone_.at(&s);
      if (!done.failure.empty()) {
        applied_.copies.failures.push_back(TracksText(s.tracks) + ": " + done.failure);
        return;
      }
      note(s.step);
      if (journal_ != nullptr) journal_->back().size = done.size;
      return;
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
  AudioWork* audio_;
  bool audioMade_ = false;
  std::map<const PlannedStep*, AudioDone> audioDone_;
  Applied applied_;
  std::optional<platform::FolderHandle> tracks_;
  bool scriptShown_ = false;
  int copies_ = 0;
  int copied_ = 0;
};

}  // namespace

Applied ApplyPlan(const Plan& plan, Host& host, Journal* journal,
                  std::initializer_list<Subject> only, AudioWork* audio) {
  if (journal != nullptr) journal->reserve(journal->size() + plan.steps.size());
  Executor executor(plan, host, journal, audio);
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
