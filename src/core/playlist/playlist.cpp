#include "core/playlist/playlist.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/state/printable.h"
#include "platform/fs.h"

namespace tunebelt {

namespace {

bool isSelected(const Selection& selected, int line) {
  return line >= 0 && static_cast<std::size_t>(line) < selected.size() && selected[line];
}

// The selection as it stands, one flag per current line.
Selection snapshot(const ProgramState& state, const Selection& selected) {
  Selection s(static_cast<std::size_t>(state.TrackCount()), false);
  for (int i = 0; i < state.TrackCount(); ++i) s[i] = isSelected(selected, i);
  return s;
}

// A command that changed nothing: the list box keeps its lines and selection.
EditResult unchanged(const Selection& selected) {
  return {false, selected, -1};
}

// An edit that changed the list: the observer gets the new lines and selection.
EditResult told(const ProgramState& state, EditResult r, StateObserver& observer) {
  observer.playlistChanged(state.PlaylistNames, {0, r.selection, r.current});
  return r;
}

void tellFull(Prompts& host) {
  host.showMessage(kPlaylistFullMessage, kCaption, MessageIcon::None);
}

}  // namespace

bool HasMp3Extension(std::string_view path) {
  constexpr std::string_view kExtension = ".mp3";
  if (path.size() < kExtension.size()) return false;
  const std::string_view tail = path.substr(path.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

std::string GetFileName(std::string_view path) {
  // The last character is never looked at, so "D:\Music\" gives "Music\".
  for (std::size_t k = path.size(); k-- > 1;) {
    if (platform::isSep(path[k - 1])) return std::string(path.substr(k));
  }
  return std::string(path);
}

std::string getPath(std::string_view filePath) {
  for (std::size_t k = filePath.size(); k-- > 0;) {
    if (platform::isSep(filePath[k])) return std::string(filePath.substr(0, k));
  }
  return {};
}

AppendResult AppendEntry(ProgramState& state, const std::string& path, StateObserver& observer) {
  if (state.TrackCount() >= kMaxTracks) return AppendResult::Full;
  state.PlaylistPaths.push_back(path);
  state.PlaylistNames.push_back(GetFileName(path));
  observer.playlistChanged(state.PlaylistNames, {state.TrackCount() - 1, std::nullopt, -1});
  return AppendResult::Added;
}

AppendResult AddTrack(ProgramState& state, const std::string& path, Host& host) {
  if (!HasMp3Extension(path)) return AppendResult::Ignored;
  AppendResult r = AppendEntry(state, path, host);
  if (r == AppendResult::Added && state.DebugMode == 1) {
    host.showMessage(PrintableName(GetFileName(path)), kCaption, MessageIcon::None);
  }
  return r;
}

void MoveTrackUp(ProgramState& state, int index) {
  if (index <= 0 || index >= state.TrackCount()) return;
  std::swap(state.PlaylistPaths[index - 1], state.PlaylistPaths[index]);
  std::swap(state.PlaylistNames[index - 1], state.PlaylistNames[index]);
}

void MoveTrackDown(ProgramState& state, int index) {
  if (index < 0 || index >= state.TrackCount() - 1) return;
  std::swap(state.PlaylistPaths[index], state.PlaylistPaths[index + 1]);
  std::swap(state.PlaylistNames[index], state.PlaylistNames[index + 1]);
}

std::vector<std::string> PlaylistLines(const ProgramState& state) {
  return state.PlaylistNames;
}

EditResult RemoveSelected(ProgramState& state, const Selection& selected, StateObserver& observer) {
  const int n = state.TrackCount();
  if (n == 0) return unchanged(selected);
  int last = 0;
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    if (isSelected(selected, i)) {
      last = i;
      continue;
    }
    if (kept != i) {
      state.PlaylistPaths[kept] = std::move(state.PlaylistPaths[i]);
      state.PlaylistNames[kept] = std::move(state.PlaylistNames[i]);
    }
    ++kept;
  }
  state.PlaylistPaths.resize(static_cast<std::size_t>(kept));
  state.PlaylistNames.resize(static_cast<std::size_t>(kept));

  EditResult r{true, Selection(static_cast<std::size_t>(kept), false), -1};
  if (last > 0) --last;
  if (kept > 0) {
    r.current = std::min(last, kept - 1);
    r.selection[r.current] = true;
  }
  return told(state, std::move(r), observer);
}

EditResult MoveSelectedUp(ProgramState& state, const Selection& selected, StateObserver& observer) {
  const int n = state.TrackCount();
  if (n == 0 || isSelected(selected, 0)) return unchanged(selected);
  const Selection before = snapshot(state, selected);
  for (int i = 0; i < n; ++i) {
    if (before[i]) MoveTrackUp(state, i);
  }
  EditResult r{true, Selection(static_cast<std::size_t>(n), false), -1};
  for (int i = 1; i < n; ++i) r.selection[i - 1] = before[i];
  return told(state, std::move(r), observer);
}

EditResult MoveSelectedDown(ProgramState& state, const Selection& selected,
                            StateObserver& observer) {
  const int n = state.TrackCount();
  if (n == 0 || isSelected(selected, n - 1)) return unchanged(selected);
  const Selection before = snapshot(state, selected);
  for (int i = n - 1; i >= 0; --i) {
    if (before[i]) MoveTrackDown(state, i);
  }
  EditResult r{true, Selection(static_cast<std::size_t>(n), false), -1};
  for (int i = 0; i < n - 1; ++i) r.selection[i + 1] = before[i];
  return told(state, std::move(r), observer);
}

void AddTrackCommand(ProgramState& state, Host& host) {
  const std::string& start = state.TrackFolder.empty() ? state.MusicFolder : state.TrackFolder;
  DropCommand(state, host.chooseOpenFiles(kTrackFilter, start), host);
}

void DropCommand(ProgramState& state, const std::vector<std::string>& names, Host& host) {
  for (const std::string& name : names) {
    const AppendResult added = AddTrack(state, name, host);
    if (added == AppendResult::Full) {
      tellFull(host);
      return;
    }
    if (added == AppendResult::Added) state.TrackFolder = getPath(name);
  }
}

}  // namespace tunebelt
