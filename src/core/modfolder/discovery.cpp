#include "core/modfolder/discovery.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <utility>

#include "core/state/exists.h"
#include "core/state/printable.h"
#include "platform/fs.h"
#include "platform/userfolders.h"

namespace tunebelt {

namespace {

using platform::joinPath;

// A path below `base` given as its components.
std::string below(std::string_view base, std::initializer_list<std::string_view> components) {
  std::string out(base);
  for (std::string_view c : components) out = joinPath(out, c);
  return out;
}

// The last component of a path the search built.
std::string lastName(std::string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !platform::isSep(path[start - 1])) --start;
  return std::string(path.substr(start));
}

bool isNumber(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The folder the path leads to, links resolved; nothing when it is no folder.
std::optional<std::string> resolvedFolder(const std::string& path) {
  if (!platform::isDirectory(path)) return std::nullopt;
  try {
    return platform::realPath(path);
  } catch (const platform::FsError&) {
    return std::nullopt;
  }
}

// The largest liblist.gam read; its game line is at the top.
constexpr std::uint64_t kLiblistHeadBytes = std::uint64_t{64} * 1024;

class Search {
 public:
  explicit Search(GameDiscovery& out) : out_(out) {}

  void root(const std::string& candidate) {
    std::optional<std::string> real = resolvedFolder(candidate);
    if (!real || !roots_.insert(*real).second) return;
    library(*real);
    for (const char* folder : {"steamapps", "config"}) {
      listedLibraries(below(*real, {folder, "libraryfolders.vdf"}));
    }
  }

  void mods(const std::string& library) {
    const std::string halfLife = below(library, {"steamapps", "common", "Half-Life"});
    if (!platform::isDirectory(halfLife)) return;
    std::vector<platform::DirEntry> entries;
    try {
      entries = platform::listDir(halfLife);
    } catch (const platform::FsError& e) {
      out_.problems.emplace_back(e.what());
      return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const platform::DirEntry& entry : entries) {
      const std::string folder = joinPath(halfLife, entry.name);
      const std::string liblist = joinPath(folder, "liblist.gam");
      if (!platform::isDirectory(folder) || !platform::isRegularFile(liblist)) continue;
      DiscoveredMod mod;
      mod.game = gameName(liblist);
      if (mod.game.empty()) mod.game = entry.name;
      mod.folder = folder;
      mod.hasKeyBindings = FileExists(below(folder, {"gfx", "shell", "kb_act.lst"}));
      out_.mods.push_back(std::move(mod));
    }
  }

 private:
  void library(const std::string& path) {
    if (!platform::isAbsolutePath(path)) return;
    std::optional<std::string> real = resolvedFolder(path);
    if (real && libraries_.insert(*real).second) out_.libraries.push_back(*real);
  }

  void listedLibraries(const std::string& vdf) {
    if (!platform::entryPresent(vdf)) return;
    std::string text;
    try {
      text = platform::readFile(vdf);
    } catch (const platform::FsError& e) {
      out_.problems.emplace_back(e.what());
      return;
    }
    VdfError error;
    std::optional<std::vector<std::string>> listed = LibraryFoldersFromVdf(text, &error);
    if (!listed) {
      out_.problems.push_back(vdf + ": damaged at line " + std::to_string(error.line) + " (" +
                              error.what + "), no library taken from it");
      return;
    }
    for (const std::string& path : *listed) library(path);
  }

  static std::string gameName(const std::string& liblist) {
    try {
      return GameNameFromLiblist(platform::readFileHead(liblist, kLiblistHeadBytes));
    } catch (const platform::FsError&) {
      return {};
    }
  }

  GameDiscovery& out_;
  std::set<std::string> roots_;
  std::set<std::string> libraries_;
};

}  // namespace

std::vector<std::string> SteamRootCandidates(std::string_view home) {
  if (!platform::isAbsolutePath(home)) return {};
  return {
      below(home, {".steam", "steam"}),
      below(home, {".steam", "root"}),
      below(home, {".local", "share", "Steam"}),
      below(home, {".var", "app", "com.valvesoftware.Steam", ".local", "share", "Steam"}),
      below(home, {"snap", "steam", "common", ".local", "share", "Steam"}),
  };
}

std::optional<std::vector<std::string>> LibraryFoldersFromVdf(std::string_view text,
                                                              VdfError* error) {
  std::optional<std::vector<VdfNode>> pairs = ParseVdf(text, error);
  if (!pairs) return std::nullopt;
  std::vector<std::string> out;
  auto top = std::find_if(pairs->begin(), pairs->end(), [](const VdfNode& n) {
    return n.isBlock && KeysMatch(n.key, "libraryfolders");
  });
  if (top == pairs->end()) return out;
  for (const VdfNode& entry : top->children) {
    if (!isNumber(entry.key)) continue;
    const VdfNode* path = entry.isBlock ? entry.find("path") : &entry;
    if (path != nullptr && !path->isBlock && platform::isAbsolutePath(path->value)) {
      out.push_back(path->value);
    }
  }
  return out;
}

std::string GameNameFromLiblist(std::string_view text) {
  for (const std::string& raw : platform::splitLines(text)) {
    std::string_view line = trimBlanks(raw);
    std::size_t keyEnd = line.find_first_of(" \t\"");
    if (keyEnd == std::string_view::npos || !KeysMatch(line.substr(0, keyEnd), "game")) {
      continue;
    }
    std::string_view value = trimBlanks(line.substr(keyEnd));
    if (value.starts_with('"')) {
      value.remove_prefix(1);
      value = value.substr(0, value.find('"'));
    } else {
      value = value.substr(0, value.find_first_of(" \t"));
    }
    return std::string(value);
  }
  return {};
}

GameDiscovery DiscoverGames(std::string_view home, const std::vector<std::string>& installFolders) {
  GameDiscovery out;
  Search search(out);
  for (const std::string& candidate : SteamRootCandidates(home)) search.root(candidate);
  for (const std::string& folder : installFolders) search.root(folder);
  for (const std::string& library : out.libraries) search.mods(library);
  return out;
}

GameDiscovery DiscoverGames() {
  return DiscoverGames(platform::homeFolder(), platform::steamInstallFolders());
}

std::string BrowseStartFolder(const GameDiscovery& found) {
  if (found.libraries.empty()) return {};
  const std::string common = below(found.libraries.front(), {"steamapps", "common"});
  return platform::isDirectory(common) ? common : found.libraries.front();
}

std::string BrowseStartFolder() {
  std::string start = BrowseStartFolder(DiscoverGames());
  return start.empty() ? platform::currentFolder() : start;
}

std::vector<ModFolderEntry> ModFolderEntries(const std::vector<std::string>& remembered,
                                             const std::vector<DiscoveredMod>& found) {
  const auto gameAt = [&](const std::string& folder) -> const DiscoveredMod* {
    const auto mod = std::find_if(found.begin(), found.end(),
                                  [&](const DiscoveredMod& m) { return m.folder == folder; });
    return mod == found.end() ? nullptr : &*mod;
  };
  // Each entry's folder and, for a game found, the game.
  std::vector<std::pair<std::string, const DiscoveredMod*>> listed;
  listed.reserve(remembered.size() + found.size());
  for (const std::string& folder : remembered) listed.emplace_back(folder, gameAt(folder));
  for (const DiscoveredMod& mod : found) {
    if (mod.hasKeyBindings &&
        std::find(remembered.begin(), remembered.end(), mod.folder) == remembered.end()) {
      listed.emplace_back(mod.folder, &mod);
    }
  }
  const auto label = [](const DiscoveredMod& mod, std::string_view folder) {
    return PrintableName(mod.game) + " \u2014 " + PrintableName(folder);
  };
  std::vector<std::string> labels;
  labels.reserve(listed.size());
  for (const auto& [folder, mod] : listed) {
    labels.push_back(mod == nullptr
                         ? folder
                         : label(*mod, std::string("...") + platform::kSep + lastName(folder)));
  }
  std::vector<ModFolderEntry> entries;
  entries.reserve(listed.size());
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const auto& [folder, mod] = listed[i];
    const bool shared = mod != nullptr && std::count(labels.begin(), labels.end(), labels[i]) > 1;
    entries.push_back({shared ? label(*mod, folder) : labels[i], folder});
  }
  return entries;
}

}  // namespace tunebelt
