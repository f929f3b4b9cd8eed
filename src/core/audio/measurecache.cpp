#include "core/audio/measurecache.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tunebelt::audio {

namespace {

std::string escapePath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '%') {
      out += "%25";
    } else if (c == '\r') {
      out += "%0D";
    } else if (c == '\n') {
      out += "%0A";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> unescapePath(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const std::string_view code = text.substr(i + 1, 2);
    if (code == "25") {
      out += '%';
    } else if (code == "0D") {
      out += '\r';
    } else if (code == "0A") {
      out += '\n';
    } else {
      return std::nullopt;
    }
    i += 2;
  }
  return out;
}

template <typename T>
bool parseWhole(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

template <typename T>
void appendNumber(std::string& out, T value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, end);
}

struct Line {
  std::string path;
  platform::FileStamp stamp;
  Loudness loudness;
};

std::optional<Line> parseLine(std::string_view text) {
  std::string_view fields[4];
  for (std::string_view& field : fields) {
    const std::size_t tab = text.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    field = text.substr(0, tab);
    text.remove_prefix(tab + 1);
  }
  Line line;
  if (!parseWhole(fields[0], line.stamp.size) || !parseWhole(fields[1], line.stamp.modified) ||
      !parseWhole(fields[3], line.loudness.peak)) {
    return std::nullopt;
  }
  if (fields[2] == "-inf") {
    line.loudness.lufs = -std::numeric_limits<double>::infinity();
  } else if (!parseWhole(fields[2], line.loudness.lufs) || !std::isfinite(line.loudness.lufs)) {
    return std::nullopt;
  }
  if (!std::isfinite(line.loudness.peak) || line.loudness.peak < 0.0) return std::nullopt;
  auto path = unescapePath(text);
  if (!path || path->empty()) return std::nullopt;
  line.path = std::move(*path);
  return line;
}

void appendLine(std::string& out, const std::string& path, const platform::FileStamp& stamp,
                const Loudness& loudness) {
  appendNumber(out, stamp.size);
  out += '\t';
  appendNumber(out, stamp.modified);
  out += '\t';
  if (std::isfinite(loudness.lufs)) {
    appendNumber(out, loudness.lufs);
  } else {
    out += "-inf";
  }
  out += '\t';
  appendNumber(out, loudness.peak);
  out += '\t';
  out += escapePath(path);
  out += "\r\n";
}

}  // namespace

std::string MeasurementCacheFilePath(const ProgramState& state) {
  const std::string& folder =
      state.SettingsFolder.empty() ? state.ApplicationFolder : state.SettingsFolder;
  return platform::joinPath(folder, kMeasurementCacheFileName);
}

MeasurementCache::MeasurementCache(std::string file) : file_(std::move(file)) {
  std::string text;
  try {
    if (!platform::pathExists(file_)) return;
    text = platform::readFile(file_, kMaxCacheFileBytes);
  } catch (const platform::FsError&) {
    return;  // what cannot be read is measured again
  }
  const std::vector<std::string> lines = platform::splitLines(text);
  if (lines.empty() || lines[0] != kMeasurementCacheHeading) return;
  for (std::size_t i = 1; i < lines.size() && entries_.size() < kMaxCacheEntries; ++i) {
    if (auto line = parseLine(lines[i])) {
      entries_.insert_or_assign(std::move(line->path), Entry{line->stamp, line->loudness, 0, i});
    }
  }
}

std::optional<Loudness> MeasurementCache::find(const std::string& path,
                                               const platform::FileStamp& stamp) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(path);
  if (it == entries_.end() || !(it->second.stamp == stamp)) return std::nullopt;
  it->second.lastUse = ++uses_;
  return it->second.loudness;
}

void MeasurementCache::store(const std::string& path, const platform::FileStamp& stamp,
                             const Loudness& loudness) {
  std::lock_guard lock(mutex_);
  Entry& e = entries_[path];
  e.stamp = stamp;
  e.loudness = loudness;
  e.lastUse = ++uses_;
  changed_ = true;
}

std::size_t MeasurementCache::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

bool MeasurementCache::changed() const {
  std::lock_guard lock(mutex_);
  return changed_;
}

void MeasurementCache::save() {
  std::lock_guard lock(mutex_);
  if (!changed_) return;
  // The tracks used last first (those of this run), then the others in the
  // order of the file, as many as the bounds take.
  std::vector<const std::pair<const std::string, Entry>*> order;
  order.reserve(entries_.size());
  for (const auto& e : entries_) order.push_back(&e);
  std::sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    if (a->second.lastUse != b->second.lastUse) return a->second.lastUse > b->second.lastUse;
    return a->second.line < b->second.line;
  });
  std::string text = std::string(kMeasurementCacheHeading) + "\r\n";
  std::size_t written = 0;
  for (const auto* e : order) {
    if (written == kMaxCacheEntries) break;
    const std::size_t before = text.size();
    appendLine(text, e->first, e->second.stamp, e->second.loudness);
    if (text.size() > kMaxCacheFileBytes) {
      text.resize(before);
      break;
    }
    ++written;
  }
  platform::writeFileAtomic(file_, text);
  changed_ = false;
}

}  // namespace tunebelt::audio
