#include "core/playlist/playlist.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/audio/probe.h"
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

namespace {

// `extension` in lower case.
bool EndsWithFolded(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  const std::string_view tail = path.substr(path.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

}  // namespace

bool HasMp3Extension(std::string_view path) {
  return EndsWithFolded(path, ".mp3");
}

bool NeedsConversion(std::string_view path) {
  constexpr std::string_view kConverted[] = {".flac", ".ogg", ".opus", ".m4a", ".wav"};
  return std::any_of(std::begin(kConverted), std::end(kConverted),
                     [path](std::string_view e) { return EndsWithFolded(path, e); });
}

bool IsTrackName(std::string_view path) {
  return HasMp3Extension(path) || NeedsConversion(path);
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

std::optional<std::string> RefuseTrack(const std::string& path) {
  if (!HasMp3Extension(path)) return std::nullopt;
  try {
    const audio::Mp3Verdict verdict = audio::ProbeMp3(path);
    if (!verdict.playable) return verdict.reason;
  } catch (const platform::FsError&) {
    // Not to be read now: the save tells.
  }
  return std::nullopt;
}

void TellRefusedTracks(const std::vector<std::string>& refused, const ProgramState& state,
                       Prompts& prompts) {
  if (refused.empty()) return;
  constexpr std::size_t kListed = 10;
  const bool german = state.Language == kGerman;
  std::string text =
      german ? (refused.size() == 1
                    ? std::string("1 Datei enth\u00e4lt kein MP3, das das Spiel abspielen kann, "
                                  "und wurde nicht hinzugef\u00fcgt:")
                    : std::to_string(refused.size()) +
                          " Dateien enthalten kein MP3, das das Spiel abspielen kann, und wurden "
                          "nicht hinzugef\u00fcgt:")
             : (refused.size() == 1
                    ? std::string("1 file holds no MP3 audio the game can play and was not added:")
                    : std::to_string(refused.size()) +
                          " files hold no MP3 audio the game can play and were not added:");
  for (std::size_t i = 0; i < refused.size() && i < kListed; ++i) text += "\n" + refused[i];
  if (refused.size() > kListed) {
    text += (german ? "\n... und " : "\n... and ") + std::to_string(refused.size() - kListed) +
            (german ? " weitere" : " more");
  }
  prompts.showMessage(text, kErrorCaption, MessageIcon::Exclamation);
}

AppendResult AddTrack(ProgramState& state, const std::string& path, Host& host,
                      std::vector<std::string>* refused) {
  if (!IsTrackName(path)) return AppendResult::Ignored;
  if (auto reason = RefuseTrack(path)) {
    std::vector<std::string> one;
    (refused != nullptr ? *refused : one)
        .push_back(PrintableName(GetFileName(path)) + ": " + *reason);
    TellRefusedTracks(one, state, host);
    return AppendResult::Refused;
  }
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
  std::vector<std::string> refused;
  for (const std::string& name : names) {
    const AppendResult added = AddTrack(state, name, host, &refused);
    if (added == AppendResult::Full) {
      tellFull(host);
      break;
    }
    if (added == AppendResult::Added) state.TrackFolder = getPath(name);
  }
  TellRefusedTracks(refused, state, host);
}

}  // namespace tunebelt
