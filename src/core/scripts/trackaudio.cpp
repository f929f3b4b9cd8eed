#include "core/scripts/trackaudio.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/playlist/playlist.h"
#include "core/state/printable.h"
#include "platform/codepage.h"

namespace tunebelt {

namespace {

template <typename T>
bool parseWhole(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

// The fields of a records line: five numbers and words, then the path.
bool parseRecord(std::string_view line, std::string& target, platform::FileStamp& source,
                 platform::FileStamp& copy, std::string& recipe) {
  std::string_view fields[5];
  for (std::string_view& field : fields) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    field = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  if (!parseWhole(fields[0], source.size) || !parseWhole(fields[1], source.modified) ||
      !parseWhole(fields[2], copy.size) || !parseWhole(fields[3], copy.modified) ||
      fields[4].empty() || line.empty()) {
    return false;
  }
  recipe = std::string(fields[4]);
  target = std::string(line);
  return true;
}

bool IsAudioCopy(const PlannedStep& s) {
  return s.subject == Subject::Track &&
         (s.step.action == Action::Convert || s.step.action == Action::Level);
}

}  // namespace

std::string CopyRecordsFilePath(const ProgramState& state) {
  const std::string& folder =
      state.SettingsFolder.empty() ? state.ApplicationFolder : state.SettingsFolder;
  return platform::joinPath(folder, kCopyRecordsFileName);
}

CopyRecords::CopyRecords(std::string file) : file_(std::move(file)) {
  std::string text;
  try {
    if (file_.empty() || !platform::pathExists(file_)) return;
    text = platform::readFile(file_, kMaxCopyRecords * 512);
  } catch (const platform::FsError&) {
    return;  // the copies are made again
  }
  const std::vector<std::string> lines = platform::splitLines(text);
  if (lines.empty() || lines[0] != kCopyRecordsHeading) return;
  for (std::size_t i = 1; i < lines.size() && records_.size() < kMaxCopyRecords; ++i) {
    std::string target;
    Record r;
    if (parseRecord(lines[i], target, r.source, r.copy, r.recipe)) {
      r.order = next_++;
      records_.insert_or_assign(std::move(target), std::move(r));
    }
  }
}

std::optional<platform::FileStamp> CopyRecords::current(const std::string& target,
                                                        const platform::FileStamp& source,
                                                        const std::string& recipe) const {
  {
    std::lock_guard lock(mutex_);
    auto it = records_.find(target);
    if (it == records_.end() || !(it->second.source == source) || it->second.recipe != recipe) {
      return std::nullopt;
    }
  }
  const std::optional<platform::FileStamp> now = platform::fileStamp(target);
  std::lock_guard lock(mutex_);
  auto it = records_.find(target);
  if (!now || it == records_.end() || !(it->second.copy == *now)) return std::nullopt;
  return now;
}

void CopyRecords::store(const std::string& target, const platform::FileStamp& source,
                        const std::string& recipe) {
  // A path the file cannot hold on one line is not kept: that copy is made
  // again next time.
  if (target.find_first_of("\r\n") != std::string::npos) return;
  const std::optional<platform::FileStamp> copy = platform::fileStamp(target);
  if (!copy) return;
  std::lock_guard lock(mutex_);
  records_.insert_or_assign(target, Record{source, *copy, recipe, next_++});
  changed_ = true;
}

void CopyRecords::save() {
  std::lock_guard lock(mutex_);
  if (!changed_ || file_.empty()) return;
  // The newest records, when there are more than the file keeps.
  std::vector<const std::pair<const std::string, Record>*> order;
  order.reserve(records_.size());
  for (const auto& r : records_) order.push_back(&r);
  std::sort(order.begin(), order.end(),
            [](const auto* a, const auto* b) { return a->second.order > b->second.order; });
  if (order.size() > kMaxCopyRecords) order.resize(kMaxCopyRecords);
  std::reverse(order.begin(), order.end());  // oldest first, as they were stored
  std::string text = std::string(kCopyRecordsHeading) + "\r\n";
  for (const auto* entry : order) {
    const Record& r = entry->second;
    text += std::to_string(r.source.size) + '\t' + std::to_string(r.source.modified) + '\t' +
            std::to_string(r.copy.size) + '\t' + std::to_string(r.copy.modified) + '\t' + r.recipe +
            '\t' + entry->first + "\r\n";
  }
  platform::writeFileAtomic(file_, text);
  changed_ = false;
}

std::string GainText(double gainDb) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, gainDb, std::chars_format::fixed, 2);
  std::string text(buf, ec == std::errc() ? end : buf);
  if (gainDb >= 0.0 && text.front() != '-') text.insert(0, "+");
  if (text == "-0.00") text = "+0.00";
  return text + " dB";
}

std::string CopyRecipe(const PlannedStep& step) {
  if (step.step.action == Action::Level || step.gainSteps != 0) {
    return "level " + std::to_string(step.gainSteps) + " steps";
  }
  return "convert " + std::to_string(step.step.bitrateKbps) + " kb/s " +
         GainText(step.step.gainDb.value_or(0.0));
}

namespace {

// The progress caption of the measurements: the track last reported and how
// far it is, told when its whole percent changes.
class MeasureProgress {
 public:
  MeasureProgress(const SavePlan& plan, Progress& progress)
      : plan_(plan), progress_(progress), shown_(plan.copies.size(), -1) {}

  void operator()(std::size_t track, double fraction) {
    const int percent = static_cast<int>(fraction * 100.0);
    if (percent == shown_[track]) return;
    shown_[track] = percent;
    progress_.setProgressCaption("Measuring loudness " + std::to_string(track + 1) + " of " +
                                 std::to_string(plan_.copies.size()) + ": " +
                                 PrintableName(GetFileName(plan_.copies[track].source)) + " (" +
                                 std::to_string(percent) + "%)");
  }

 private:
  const SavePlan& plan_;
  Progress& progress_;
  std::vector<int> shown_;
};

}  // namespace

void PlanTrackAudio(SavePlan& plan, const TrackAudioOptions& options, AudioWork& work,
                    Progress& progress) {
  std::vector<PlannedStep*> copySteps;
  for (PlannedStep& s : plan.steps) {
    if (s.subject == Subject::Track) copySteps.push_back(&s);
  }
  if (copySteps.size() != plan.copies.size()) return;  // not a save's plan

  std::optional<audio::Analysis> analysis;
  if (options.level && !plan.copies.empty()) {
    std::vector<std::string> sources;
    sources.reserve(plan.copies.size());
    for (const TrackCopy& c : plan.copies) sources.push_back(c.source);
    MeasureProgress shown(plan, progress);
    analysis =
        audio::MeasureTracks(work.tools, sources, work.cache, std::ref(shown), {}, work.threads);
  }

  for (std::size_t i = 0; i < copySteps.size(); ++i) {
    PlannedStep& s = *copySteps[i];
    const TrackCopy& copy = plan.copies[i];
    if (copy.convert) s.step.bitrateKbps = options.bitrateKbps;
    if (analysis) {
      const audio::TrackLoudness& measured = analysis->tracks[i];
      if (!measured.loudness) {
        s.step.reason = "loudness not measured: " + measured.error;
      } else if (copy.convert) {
        s.step.gainDb = audio::LevelGainDb(*measured.loudness);
      } else {
        s.gainSteps = audio::LevelGainSteps(*measured.loudness);
        s.step.gainDb = s.gainSteps * audio::kGainStepDb;
        if (s.gainSteps != 0) {
          s.step.action = Action::Level;
          s.step.size = copy.stamp ? copy.stamp->size : 0;
        }
      }
    }
    if (!IsAudioCopy(s) || work.records == nullptr || !s.stamp) continue;
    if (auto made = work.records->current(copy.target, *s.stamp, CopyRecipe(s))) {
      s.step.action = Action::AlreadyThere;
      s.step.size = made->size;
    }
  }
}

}  // namespace tunebelt
