// The audio side of a save: which track copies are converted from another
// format or levelled to one loudness, with what gain, whether the copy mp3s
// holds was made from this version of the source in this way already, and
// making them (on every core).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "core/audio/audio.h"
#include "core/scripts/saveplan.h"
#include "core/state/host.h"
#include "core/state/state.h"
#include "platform/fs.h"

namespace tunebelt {

struct TrackAudioOptions {
  bool level = false;  // every copy levelled to audio::kTargetLufs
  int bitrateKbps = audio::kDefaultBitrateKbps;
};

// What a converted or levelled copy was made from, kept between saves in a
// small text file in the settings folder: a copy whose source has the stamp
// it had then, made in the same way, and that is itself as it was written,
// is current and not made again. The file: a first line
// "Tunebelt copies 1", then one line per copy, ending in CR LF:
//   <source size> TAB <source modified> TAB <copy size> TAB <copy modified>
//   TAB <how it was made> TAB <the copy's path>
// A damaged file or line is ignored: the copies it spoke of are made again.
inline constexpr const char* kCopyRecordsFileName = "copies.cache";
inline constexpr const char* kCopyRecordsHeading = "Tunebelt copies 1";
inline constexpr std::size_t kMaxCopyRecords = 20000;

// The records file of this state: beside the loudness measurements.
std::string CopyRecordsFilePath(const ProgramState& state);

// Safe to use from several threads at once.
class CopyRecords {
 public:
  // Reads the file (an empty name: records kept in memory only); nothing is
  // thrown.
  explicit CopyRecords(std::string file);
  CopyRecords(const CopyRecords&) = delete;
  CopyRecords& operator=(const CopyRecords&) = delete;

  // The copy at `target` as it is now, when it was made from a source of
  // this stamp by this recipe and has not changed since.
  std::optional<platform::FileStamp> current(const std::string& target,
                                             const platform::FileStamp& source,
                                             const std::string& recipe) const;
  // Notes the copy just written at `target` (its stamp read now).
  void store(const std::string& target, const platform::FileStamp& source,
             const std::string& recipe);
  // Writes the file when anything changed, through a temporary file.
  // Throws platform::FsError.
  void save();

 private:
  struct Record {
    platform::FileStamp source;
    platform::FileStamp copy;
    std::string recipe;
    std::uint64_t order = 0;
  };
  std::string file_;
  mutable std::mutex mutex_;
  std::map<std::string, Record> records_;
  std::uint64_t next_ = 0;
  bool changed_ = false;
};

// How a copy step makes its copy, as the records keep it: "convert 192 kb/s
// +3.01 dB", "level 2 steps".
std::string CopyRecipe(const PlannedStep& step);

// What making the copies needs.
struct AudioWork {
  audio::AudioTools& tools;
  audio::MeasurementCache* cache = nullptr;  // loudness kept between saves
  CopyRecords* records = nullptr;            // copies made by earlier saves
  unsigned threads = 0;                      // 0: one per core
};

// Settles the work of each track copy of a planned save: a converted one gets
// the bit rate, and when levelling, every track's loudness is measured
// (several at once, known ones taken from the cache; the progress caption
// names the track and how far it is) and each copy gets its gain: converted
// ones in dB before encoding, MP3s in whole steps of their frames' gain (a
// Level step; none for 0 steps, which is a plain copy). A converted or
// levelled copy the records know as current is AlreadyThere. A track whose
// loudness cannot be measured is copied as it is, with the reason in its
// step.
void PlanTrackAudio(SavePlan& plan, const TrackAudioOptions& options, AudioWork& work,
                    Progress& progress);

// "+3.01 dB": a gain as a dry run and a journal show it.
std::string GainText(double gainDb);

}  // namespace tunebelt
