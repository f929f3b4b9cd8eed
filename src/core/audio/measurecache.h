// Loudness measurements kept between saves, by the track's path, size and
// modification time, so that saving an unchanged playlist again measures
// nothing. Kept in a small text file of its own in the settings folder.
//
// The file: a first line "Tunebelt loudness 1", then one line per track,
// ending in CR LF:
//   <size> TAB <modified> TAB <loudness in LUFS or -inf> TAB <peak> TAB <path>
// The path comes last, with "%", CR and LF written as "%25", "%0D", "%0A".
// A file with another first line, or larger than kMaxCacheFileBytes, is
// ignored; a line that does not read is left out. Either way only
// measurements are lost, which the next save makes again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/audio/loudness.h"
#include "core/state/state.h"
#include "platform/filestream.h"

namespace tunebelt::audio {

inline constexpr const char* kMeasurementCacheFileName = "loudness.cache";
inline constexpr const char* kMeasurementCacheHeading = "Tunebelt loudness 1";
// The file is never read beyond this, nor written larger: the tracks used
// last are kept when there are more.
inline constexpr std::size_t kMaxCacheFileBytes = 4u << 20;
inline constexpr std::size_t kMaxCacheEntries = 20000;

// The cache file of this state: in its settings folder, else beside the
// program's other files (as settings.jst).
std::string MeasurementCacheFilePath(const ProgramState& state);

// Safe to use from several threads at once.
class MeasurementCache {
 public:
  // Reads the file (a missing, unreadable or damaged one gives an empty
  // cache); nothing is thrown.
  explicit MeasurementCache(std::string file);
  MeasurementCache(const MeasurementCache&) = delete;
  MeasurementCache& operator=(const MeasurementCache&) = delete;

  // The measurement kept for this path, if the file's stamp is the one it
  // was measured at.
  std::optional<Loudness> find(const std::string& path, const platform::FileStamp& stamp);
  void store(const std::string& path, const platform::FileStamp& stamp, const Loudness& loudness);

  std::size_t size() const;
  // Whether anything was stored since the file was read or written.
  bool changed() const;
  // Writes the file when anything changed, through a temporary file.
  // Throws platform::FsError.
  void save();

 private:
  struct Entry {
    platform::FileStamp stamp;
    Loudness loudness;
    std::uint64_t lastUse = 0;  // 0: not used since the file was read
    std::size_t line = 0;       // the order in the file
  };

  std::string file_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
  std::uint64_t uses_ = 0;
  bool changed_ = false;
};

}  // namespace tunebelt::audio
