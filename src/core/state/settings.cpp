#include "core/state/settings.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "core/audio/convert.h"
#include "core/state/volume.h"
#include "platform/codepage.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

constexpr std::size_t kRecordSize = 128;
constexpr std::size_t kMaxTextBytes = kRecordSize - 2;

constexpr int kFolderCountRecord = 1;
constexpr int kFirstFolderRecord = 2;
constexpr int kLanguageRecord = 12000;
constexpr int kSampleTrackRecord = 12001;
constexpr int kDeleteUnusedRecord = 12002;
constexpr int kMp3VolumeRecord = 12005;
constexpr int kGameVolumeRecord = 12006;
constexpr int kVersionRecord = 12007;
constexpr int kLastSaveFolderRecord = 12008;
constexpr int kTrackFolderRecord = 12009;
constexpr int kLevelLoudnessRecord = 12010;
constexpr int kBitrateRecord = 12011;

// The file ends with the last record the program writes; bytes beyond it
// are never read. A file written before the last records were kept ends
// earlier and reads them as empty (the folders) or as the defaults (the
// audio options).
constexpr std::size_t kFileBytes = kBitrateRecord * kRecordSize;
constexpr std::uint16_t kTagInteger = 2;

// The whole file in memory, addressed by record number (from 1). Reads past
// the end give zeros; writes extend the file with zeros as needed.
class Records {
 public:
  // The file's bytes; a missing file is empty.
  static Records load(const std::string& path) {
    Records r;
    if (platform::pathExists(path)) r.bytes_ = platform::readFileHead(path, kFileBytes);
    return r;
  }
  // A failure is reported against the settings file, also when it was the
  // folder around it that refused.
  void save(const std::string& path) const {
    try {
      platform::writeFileAtomic(path, bytes_, platform::Durability::Synced);
    } catch (const platform::FsError& e) {
      if (e.path() == path) throw;
      throw platform::FsError(path, e.reason());
    }
  }

  std::uint16_t u16(int record, std::size_t offset = 0) const {
    return static_cast<std::uint16_t>(byte(record, offset) | (byte(record, offset + 1) << 8));
  }
  std::int16_t i16(int record, std::size_t offset = 0) const {
    return static_cast<std::int16_t>(u16(record, offset));
  }
  std::string text(int record) const {
    std::size_t length = std::min<std::size_t>(u16(record), kMaxTextBytes);
    std::string out(length, '\0');
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(byte(record, 2 + i));
    return platform::fromCodePage(out);
  }

  // True when the file holds the whole of a text record (its length and as
  // many bytes as that says); a file cut short may end inside one.
  bool holdsText(int record) const {
    std::size_t length = std::min<std::size_t>(u16(record), kMaxTextBytes);
    return start(record) + 2 + length <= bytes_.size();
  }

  void putInteger(int record, std::int16_t value) {
    char* p = clearRecord(record);
    putU16(p, static_cast<std::uint16_t>(value));
  }
  void putTagged(int record, std::int16_t value) {
    char* p = clearRecord(record);
    putU16(p, kTagInteger);
    putU16(p + 2, static_cast<std::uint16_t>(value));
  }
  // The caller has made sure the text fits.
  void putText(int record, const std::string& bytes) {
    char* p = clearRecord(record);
    putU16(p, static_cast<std::uint16_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), p + 2);
  }

 private:
  static std::size_t start(int record) {
    return static_cast<std::size_t>(record - 1) * kRecordSize;
  }

  unsigned byte(int record, std::size_t offset) const {
    std::size_t pos = start(record) + offset;
    return pos < bytes_.size() ? static_cast<unsigned char>(bytes_[pos]) : 0u;
  }
  static void putU16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
  }
  // The record zero-filled, the file extended to hold it.
  char* clearRecord(int record) {
    std::size_t end = start(record) + kRecordSize;
    if (bytes_.size() < end) bytes_.resize(end, '\0');
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start(record)), kRecordSize, '\0');
    return bytes_.data() + start(record);
  }

  std::string bytes_;
};

}  // namespace

std::string SettingsFilePath(const ProgramState& state) {
  const std::string& folder =
      state.SettingsFolder.empty() ? state.ApplicationFolder : state.SettingsFolder;
  return platform::joinPath(folder, kSettingsFileName);
}

void EnsureSettingsDefaults(const std::string& path) {
  Records r = Records::load(path);
  if (r.u16(kVersionRecord) != 0) return;
  r.putInteger(kMp3VolumeRecord, kDefaultVolume);
  r.putInteger(kGameVolumeRecord, kDefaultVolume);
  r.putInteger(kVersionRecord, 1);
  r.save(path);
}

bool SettingsHoldVolumes(const std::string& path) {
  return Records::load(path).u16(kVersionRecord) != 0;
}

int LoadSettings(const std::string& path, ProgramState& state) {
  Records r = Records::load(path);
  int count = r.i16(kFolderCountRecord);
  if (count < 0 || count > kMaxModFolders) count = 0;  // not a count this program wrote
  state.ModFolders.clear();
  // A file cut short keeps the folders before the cut, none made of its end.
  for (int i = 0; i < count && r.holdsText(kFirstFolderRecord + i); ++i) {
    state.ModFolders.push_back(r.text(kFirstFolderRecord + i));
  }
  for (auto [record, folder] : {std::pair{kLastSaveFolderRecord, &state.LastSaveFolder},
                                std::pair{kTrackFolderRecord, &state.TrackFolder}}) {
    *folder = r.holdsText(record) ? r.text(record) : std::string();
  }
  state.Language = r.i16(kLanguageRecord);
  state.SampleTrackOffered = r.i16(kSampleTrackRecord);
  int deleteUnused = r.u16(kDeleteUnusedRecord) == kTagInteger ? r.i16(kDeleteUnusedRecord, 2) : 0;
  state.Mp3Volume = r.i16(kMp3VolumeRecord);
  state.GameVolume = r.i16(kGameVolumeRecord);
  state.LevelLoudness = r.i16(kLevelLoudnessRecord) == 1;
  const int bitrate = r.i16(kBitrateRecord);
  state.BitrateKbps = audio::ValidMp3Bitrate(bitrate) ? bitrate : audio::kDefaultBitrateKbps;
  return deleteUnused;
}

void NormalizeVolumes(ProgramState& state, bool volumesStored) {
  auto normal = [volumesStored](std::int16_t v) {
    return volumesStored && v >= 0 && v <= kMaxVolume ? v : std::int16_t{kDefaultVolume};
  };
  state.Mp3Volume = normal(state.Mp3Volume);
  state.GameVolume = normal(state.GameVolume);
}

void SaveVolumes(const std::string& path, const ProgramState& state) {
  Records r = Records::load(path);
  r.putInteger(kMp3VolumeRecord, state.Mp3Volume);
  r.putInteger(kGameVolumeRecord, state.GameVolume);
  r.save(path);
}

void SaveAudioOptions(const std::string& path, const ProgramState& state) {
  Records r = Records::load(path);
  r.putInteger(kLevelLoudnessRecord, state.LevelLoudness ? 1 : 0);
  r.putInteger(kBitrateRecord, static_cast<std::int16_t>(state.BitrateKbps));
  r.save(path);
}

void SaveSampleTrackOffered(const std::string& path, const ProgramState& state) {
  Records r = Records::load(path);
  r.putInteger(kSampleTrackRecord, state.SampleTrackOffered);
  r.save(path);
}

void SaveSettingsOnExit(const std::string& path, const ProgramState& state, int deleteUnused) {
  Records r = Records::load(path);
  // Only folders that fit a record are stored, at most as many as the list
  // holds; anything else would spill into the next record.
  std::int16_t stored = 0;
  for (const std::string& folder : state.ModFolders) {
    if (stored == kMaxModFolders) break;
    std::string bytes = platform::toCodePage(folder);
    if (bytes.size() > kMaxTextBytes) continue;
    r.putText(kFirstFolderRecord + stored, bytes);
    ++stored;
  }
  r.putInteger(kFolderCountRecord, stored);
  for (auto [record, folder] : {std::pair{kLastSaveFolderRecord, &state.LastSaveFolder},
                                std::pair{kTrackFolderRecord, &state.TrackFolder}}) {
    std::string bytes = platform::toCodePage(*folder);
    r.putText(record, bytes.size() > kMaxTextBytes ? std::string() : bytes);
  }
  r.putInteger(kLanguageRecord, state.Language);
  r.putInteger(kSampleTrackRecord, state.SampleTrackOffered);
  r.putTagged(kDeleteUnusedRecord, static_cast<std::int16_t>(deleteUnused));
  r.save(path);
}

}  // namespace tunebelt
