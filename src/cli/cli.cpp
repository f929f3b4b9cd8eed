#include "cli/cli.h"

#include <algorithm>
#include <clocale>
#include <ostream>
#include <string_view>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/discovery.h"
#include "core/playlist/import.h"
#include "core/playlist/playlist.h"
#include "core/scripts/removal.h"
#include "core/scripts/savepreview.h"
#include "core/scripts/savescript.h"
#include "core/scripts/trackaudio.h"
#include "core/state/exists.h"
#include "core/state/host.h"
#include "core/state/printable.h"
#include "core/state/settings.h"
#include "core/state/state.h"
#include "platform/fs.h"
#include "platform/tree.h"

namespace tunebelt::cli {

namespace {

// The places the usage names, in the words of the system it runs on.
#ifdef _WIN32
#define TUNEBELT_KB_ACT "gfx\\shell\\kb_act.lst"
#define TUNEBELT_MP3S "DIR\\mp3s"
#define TUNEBELT_SETTINGS_PLACES                                                      \
  "in settings.jst (beside the program, or in %APPDATA%\\Tunebelt for an installed\n" \
  "or read-only copy), else 80."
#define TUNEBELT_STEAM_PLACES                                                        \
  "mods lists the Half-Life mod folders found in the Steam libraries of the Steam\n" \
  "folder the registry names (HKCU\\Software\\Valve\\Steam, SteamPath), else of\n"   \
  "Program Files (x86)\\Steam, one a line: the game's name, a tab, the folder, a\n"  \
  "tab, and \"kb_act.lst\" or \"no kb_act.lst\" (save needs the mod's\n"             \
  "gfx\\shell\\kb_act.lst).\n"
#else
#define TUNEBELT_KB_ACT "gfx/shell/kb_act.lst"
#define TUNEBELT_MP3S "DIR/mp3s"
#define TUNEBELT_SETTINGS_PLACES                                                     \
  "in settings.jst (beside the program, or in ~/.config/tunebelt for an installed\n" \
  "or read-only copy), else 80."
#define TUNEBELT_STEAM_PLACES                                                           \
  "mods lists the Half-Life mod folders found in the Steam libraries of the home\n"     \
  "folder, one a line: the game's name, a tab, the folder, a tab, and \"kb_act.lst\"\n" \
  "or \"no kb_act.lst\" (save needs the mod's gfx/shell/kb_act.lst).\n"
#endif

constexpr std::string_view kUsage =
    "Usage:\n"
    "  tunebelt-cli save --mod DIR [--delete-unused] [--mp3-volume N] [--game-volume N]\n"
    "                    [--level] [--bitrate KBPS] [--debug] [--dry-run] ITEM...\n"
    "  tunebelt-cli remove --mod DIR [--tracks] [--dry-run]\n"
    "  tunebelt-cli list ITEM...\n"
    "  tunebelt-cli cache-size --mod DIR [--german]\n"
    "  tunebelt-cli mods\n"
    "  tunebelt-cli --help | --version\n"
    "\n"
    "Each ITEM is a track (.mp3, .flac, .ogg, .opus, .m4a or .wav, in any case), a\n"
    ".pls playlist or an extended .m3u playlist, taken in order. save writes mp3.cfg,\n"
    "playlist1.cfg onward, tracklist.cfg, " TUNEBELT_KB_ACT
    " and userconfig.cfg\n"
    "into the mod folder DIR and copies each track into " TUNEBELT_MP3S
    " once, under a name\n"
    "of its own; a track of another format than MP3 is converted into an MP3\n"
    "(44.1 kHz stereo, --bitrate KBPS, 192 by default). --level gives every copy the\n"
    "same loudness (-18 LUFS): MP3s by their frames' gain in steps of 1.5 dB,\n"
    "converted tracks before encoding; loudness measured once is kept in\n"
    "loudness.cache beside settings.jst. A track whose file cannot be read is left\n"
    "out of every script and named, and save then exits 1.\n"
    "save prints what it did, one step a line, and save --dry-run what it would do\n"
    "(writing nothing), in the same words, the fields separated by tabs:\n"
    "  delete        a file and its bytes (the temporary files of a killed save)\n"
    "  clean-up      the mp3s folder emptied: the folder, its files and bytes\n"
    "  create, replace, unchanged   a file and its size after the save\n"
    "  make-folder   a folder\n"
    "  copy, already-there   a track's file, its copy in mp3s, and its size\n"
    "  convert       a track's file, its MP3 copy in mp3s, its size (0 before it\n"
    "                is made) and bit rate\n"
    "  level         an MP3's file, its copy in mp3s with the gain changed, and size\n"
    "  (with --level each copy's line ends with its gain, as \"+3.01 dB\", or\n"
    "  \"not levelled\" and why)\n"
    "  left-out      a track's file and why it cannot be read\n"
    "Volumes are whole numbers from 0 to 100 and default to those the window "
    "stored\n" TUNEBELT_SETTINGS_PLACES
    " The game steps its volumes through 0, 2, 5, 9, 13,\n"
    "15, then every 5 up to 100: a volume between two steps starts at the nearest\n"
    "one (halfway: the higher one).\n"
    "remove takes back what saves wrote into DIR: the exec mp3.cfg line of\n"
    "userconfig.cfg, the MP3 Player Controls of kb_act.lst, mp3.cfg, the playlist and\n"
    "track list files (only as a save writes them), and with --tracks the mp3s folder.\n"
    "It prints one line a change, in the words save uses: rewrite (a file and its\n"
    "size after), delete (a file and its bytes), delete-folder (the mp3s folder, its\n"
    "files and bytes); --dry-run prints them and changes nothing.\n" TUNEBELT_STEAM_PLACES
    "\n"
    "Exit status: 0 success, 1 refused or failed (also when a save or remove went\n"
    "through but could not do all of it, or cache-size could not read all of mp3s),\n"
    "2 usage error.\n";

#undef TUNEBELT_KB_ACT
#undef TUNEBELT_MP3S
#undef TUNEBELT_SETTINGS_PLACES
#undef TUNEBELT_STEAM_PLACES

#ifdef _WIN32
constexpr std::string_view kNoModsFound =
    "no Half-Life mod folder found in the Steam libraries of the Steam folder the "
    "registry names, or of Program Files (x86)\\Steam";
#else
constexpr std::string_view kNoModsFound =
    "no Half-Life mod folder found in the Steam libraries of the home folder";
#endif

// Messages go to standard error as "caption: text"; the progress window
// becomes a bar on a terminal and stage lines elsewhere.
class TerminalHost : public Host {
 public:
  TerminalHost(std::ostream& err, bool isTerminal) : err_(err), terminal_(isTerminal) {}

  void showMessage(std::string_view text, std::string_view caption, MessageIcon) override {
    endBar();
    err_ << PrintableName(caption) << ": " << PrintableText(text, true) << '\n';
  }
  void setStage(Stage stage) override {
    endBar();
    switch (stage) {
      case Stage::Generating:
        err_ << "Generating script\n";
        break;
      case Stage::Copying:
        err_ << "Copying files\n";
        break;
      case Stage::Complete:
        err_ << "Complete\n";
        break;
    }
  }
  bool askYesNo(std::string_view text, std::string_view caption) override {
    // Nobody to answer at a terminal the program drives: the question is
    // shown and taken as No.
    showMessage(std::string(text) + " (No)", caption, MessageIcon::Question);
    return false;
  }
  YesNoChoice askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                   std::string_view) override {
    return {askYesNo(text, caption), false};
  }
  std::string chooseOpenFile(std::string_view, std::string_view) override { return {}; }
  std::vector<std::string> chooseOpenFiles(std::string_view, std::string_view) override {
    return {};
  }
  void showProgressWindow() override {}
  void setScriptText(const std::string&) override {}
  void setProgressCaption(const std::string&) override {}
  void playlistChanged(const std::vector<std::string>&, const PlaylistChange&) override {}
  void modFolderTextChanged(const std::string&) override {}
  void modFolderEnabledChanged(bool) override {}
  void modFolderRemembered(const std::string&) override {}
  void cacheLabelChanged(const std::string&) override {}
  void setProgressMaximum(int maximum) override { maximum_ = maximum; }
  void setProgressValue(int value) override {
    if (!terminal_ || maximum_ <= 0) return;
    constexpr int kWidth = 40;
    int filled = static_cast<int>(static_cast<long long>(value) * kWidth / maximum_);
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << value << '/'
         << maximum_ << std::flush;
    barOpen_ = true;
  }

 private:
  void endBar() {
    if (barOpen_) err_ << '\n';
    barOpen_ = false;
  }

  std::ostream& err_;
  bool terminal_;
  bool barOpen_ = false;
  int maximum_ = 0;
};

struct Options {
  std::string command;
  std::string modFolder;
  bool modGiven = false;
  bool deleteUnused = false;
  bool german = false;
  bool debug = false;
  bool tracks = false;
  bool dryRun = false;
  bool level = false;
  int bitrate = audio::kDefaultBitrateKbps;
  int mp3Volume = -1;
  int gameVolume = -1;
  std::vector<std::string> items;
};

struct UsageError {
  std::string text;
};

int parseVolume(std::string_view option, const std::string& text) {
  bool digits = !text.empty() && text.size() <= 3 &&
                text.find_first_not_of("0123456789") == std::string::npos;
  int value = digits ? std::stoi(text) : -1;
  if (value < 0 || value > 100) {
    throw UsageError{std::string(option) + " takes a whole number from 0 to 100, not \"" + text +
                     "\""};
  }
  return value;
}

int parseBitrate(std::string_view option, const std::string& text) {
  bool digits = !text.empty() && text.size() <= 3 &&
                text.find_first_not_of("0123456789") == std::string::npos;
  int value = digits ? std::stoi(text) : -1;
  if (!audio::ValidMp3Bitrate(value)) {
    throw UsageError{std::string(option) +
                     " takes one of 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, "
                     "not \"" +
                     text + "\""};
  }
  return value;
}

Options parse(const std::vector<std::string>& args) {
  Options o;
  if (args.empty()) throw UsageError{"no command given"};
  o.command = args[0];
  if (o.command != "save" && o.command != "list" && o.command != "cache-size" &&
      o.command != "remove") {
    throw UsageError{"unknown command \"" + o.command + "\""};
  }
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.items.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--mod" && o.command != "list") {
      o.modFolder = value();
      o.modGiven = true;
    } else if (a == "--delete-unused" && o.command == "save") {
      o.deleteUnused = true;
    } else if (a == "--debug" && o.command == "save") {
      o.debug = true;
    } else if (a == "--mp3-volume" && o.command == "save") {
      o.mp3Volume = parseVolume(a, value());
    } else if (a == "--game-volume" && o.command == "save") {
      o.gameVolume = parseVolume(a, value());
    } else if (a == "--level" && o.command == "save") {
      o.level = true;
    } else if (a == "--bitrate" && o.command == "save") {
      o.bitrate = parseBitrate(a, value());
    } else if (a == "--tracks" && o.command == "remove") {
      o.tracks = true;
    } else if (a == "--dry-run" && (o.command == "remove" || o.command == "save")) {
      o.dryRun = true;
    } else if (a == "--german" && o.command == "cache-size") {
      o.german = true;
    } else {
      throw UsageError{"unknown option \"" + a + "\" for " + o.command};
    }
  }
  if (o.command != "list" && !o.modGiven) throw UsageError{o.command + " needs --mod DIR"};
  const bool takesItems = o.command == "save" || o.command == "list";
  if (!takesItems && !o.items.empty()) throw UsageError{o.command + " takes no items"};
  if (takesItems && o.items.empty()) {
    throw UsageError{o.command + " needs at least one ITEM"};
  }
  return o;
}

char localeDecimalSeparator() {
  const std::lconv* lc = std::localeconv();
  return (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
}

// Takes each item the way the window does, each as a full path the way the
// window's open dialog hands it over. False when an item was refused.
bool loadItems(ProgramState& state, const std::vector<std::string>& names, Host& host,
               std::ostream& err) {
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back(platform::absolutePath(name));
  AddItemsResult result = AddItems(state, paths, host);
  for (const std::string& skipped : result.skipped) {
    err << "tunebelt-cli: skipped (not a track or playlist): " << PrintableName(skipped) << '\n';
  }
  return !result.refused;
}

// The starting volumes the window would start from (the settings file only
// read, never written).
void loadVolumes(ProgramState& state, Host& host) {
  const std::string settings = SettingsFilePath(state);
  ProgramState stored;
  bool volumesStored = false;
  if (FileExists(settings)) {
    try {
      LoadSettings(settings, stored);
      volumesStored = SettingsHoldVolumes(settings);
    } catch (const platform::FsError& e) {
      host.showMessage("Could not read " + PrintableName(e.path()) + ": " + e.reason(),
                       kErrorCaption, MessageIcon::Exclamation);
    }
  }
  NormalizeVolumes(stored, volumesStored);
  state.Mp3Volume = stored.Mp3Volume;
  state.GameVolume = stored.GameVolume;
}

// A levelling save's copy: a tab and its gain, or why it has none.
std::string gainField(const Step& s) {
  if (s.gainDb) return "\t" + GainText(*s.gainDb);
  if (!s.reason.empty()) return "\tnot levelled: " + PrintableName(s.reason);
  return {};
}

// One line a step: its word, then what it acts on, tab-separated.
void printSteps(const std::vector<Step>& steps, std::ostream& out) {
  for (const Step& s : steps) {
    out << ActionName(s.action) << '\t';
    switch (s.action) {
      case Action::Copy:
      case Action::AlreadyThere:
      case Action::Level:
        out << PrintableName(s.source) << '\t' << PrintableName(s.path) << '\t' << s.size
            << " bytes" << gainField(s) << '\n';
        break;
      case Action::Convert:
        out << PrintableName(s.source) << '\t' << PrintableName(s.path) << '\t' << s.size
            << " bytes\t" << s.bitrateKbps << " kb/s" << gainField(s) << '\n';
        break;
      case Action::MakeFolder:
        out << PrintableName(s.path) << '\n';
        break;
      case Action::LeftOut:
        out << PrintableName(s.path) << '\t' << PrintableName(s.reason) << '\n';
        break;
      case Action::CleanUp:
      case Action::DeleteFolder:
        out << PrintableName(s.path) << '\t' << s.files << " files\t" << s.size << " bytes\n";
        break;
      default:
        out << PrintableName(s.path) << '\t' << s.size << " bytes\n";
        break;
    }
  }
}

int runSave(const Options& o, const platform::AppFolders& folders, Host& host, std::ostream& out,
            std::ostream& err) {
  ProgramState state;
  state.ApplicationFolder = folders.data;
  state.SettingsFolder = folders.settings;
  state.Language = kEnglish;
  state.DebugMode = o.debug ? 1 : 0;
  if (!loadItems(state, o.items, host, err)) return kExitFailed;
  loadVolumes(state, host);
  if (o.mp3Volume >= 0) state.Mp3Volume = static_cast<std::int16_t>(o.mp3Volume);
  if (o.gameVolume >= 0) state.GameVolume = static_cast<std::int16_t>(o.gameVolume);
  std::string modFolder = o.modFolder;
  SaveOptions options;
  options.plan.deleteUnused = o.deleteUnused;
  options.decimalSeparator = localeDecimalSeparator();
  options.audio.level = o.level;
  options.audio.bitrateKbps = o.bitrate;
  std::vector<Step> steps;
  if (o.dryRun) {
    if (PreviewSave(state, modFolder, options, host, steps) != PreviewResult::Done) {
      return kExitFailed;
    }
    printSteps(steps, out);
    const bool leftOut = std::any_of(steps.begin(), steps.end(),
                                     [](const Step& s) { return s.action == Action::LeftOut; });
    return leftOut ? kExitFailed : kExitOk;
  }
  options.journal = &steps;
  const SaveResult result = SaveScript(state, modFolder, options, host);
  printSteps(steps, out);
  return result == SaveResult::Done ? kExitOk : kExitFailed;
}

// One line a change, as save prints its steps.
int runRemove(const Options& o, const platform::AppFolders& folders, Host& host,
              std::ostream& out) {
  ProgramState state;
  state.ApplicationFolder = folders.data;
  state.SettingsFolder = folders.settings;
  state.Language = kEnglish;
  std::string modFolder = o.modFolder;
  Journal journal;
  RemovalOptions options;
  options.tracks = o.tracks;
  options.dryRun = o.dryRun;
  options.journal = &journal;
  options.decimalSeparator = localeDecimalSeparator();
  const RemovalResult result = RemoveFromModFolder(state, modFolder, options, host);
  printSteps(journal, out);
  return result == RemovalResult::Done || result == RemovalResult::NothingFound ? kExitOk
                                                                                : kExitFailed;
}

int runList(const Options& o, Host& host, std::ostream& out, std::ostream& err) {
  ProgramState state;
  if (!loadItems(state, o.items, host, err)) return kExitFailed;
  for (int i = 0; i < state.TrackCount(); ++i) {
    out << PrintableName(state.PlaylistNames[i]) << '\t' << PrintableName(state.PlaylistPaths[i])
        << '\n';
  }
  return kExitOk;
}

// The label, then on standard error what it does not count. A folder that
// could not be read makes the size too small: that is a failure.
int runCacheSize(const Options& o, std::ostream& out, std::ostream& err) {
  platform::TreeSize walked;
  auto label =
      CacheSizeLabel(o.modFolder, o.german ? kGerman : kEnglish, localeDecimalSeparator(), &walked);
  out << PrintableName(label.value_or("")) << '\n';
  for (const std::string& mount : walked.skippedMounts) {
    err << "tunebelt-cli: not counted (another file system is mounted there): "
        << PrintableName(mount) << '\n';
  }
  for (const platform::TreeProblem& p : walked.unread.first) {
    err << "tunebelt-cli: not counted (could not be read): " << PrintableName(p.path) << ": "
        << p.reason << '\n';
  }
  if (walked.unread.count > walked.unread.first.size()) {
    err << "tunebelt-cli: ... and " << walked.unread.count - walked.unread.first.size()
        << " more not counted\n";
  }
  return walked.unread.empty() ? kExitOk : kExitFailed;
}

// The mod folders of the player's Steam libraries. Files that
// were left out, and finding none, are told on standard error.
int runMods(std::ostream& out, std::ostream& err) {
  const GameDiscovery found = DiscoverGames();
  for (const std::string& problem : found.problems) {
    err << "tunebelt-cli: left out: " << PrintableName(problem) << '\n';
  }
  for (const DiscoveredMod& mod : found.mods) {
    out << PrintableName(mod.game) << '\t' << PrintableName(mod.folder) << '\t'
        << (mod.hasKeyBindings ? "kb_act.lst" : "no kb_act.lst") << '\n';
  }
  if (found.mods.empty()) {
    err << "tunebelt-cli: " << kNoModsFound << '\n';
  }
  return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, const platform::AppFolders& folders,
        std::ostream& out, std::ostream& err, bool errIsTerminal) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return kExitOk;
  }
  if (!args.empty() && args[0] == "--version") {
    out << "tunebelt-cli " << TUNEBELT_VERSION << "\n"
        << "License GPL-3.0-or-later: GNU GPL version 3 or later "
           "<https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
    return kExitOk;
  }
  if (!args.empty() && args[0] == "mods") {
    if (args.size() > 1) {
      err << "tunebelt-cli: mods takes no arguments\n\n" << kUsage;
      return kExitUsage;
    }
    return runMods(out, err);
  }
  Options o;
  try {
    o = parse(args);
  } catch (const UsageError& e) {
    err << "tunebelt-cli: " << PrintableName(e.text) << "\n\n" << kUsage;
    return kExitUsage;
  }
  if (o.command == "cache-size") return runCacheSize(o, out, err);  // asks nothing, shows no box
  TerminalHost host(err, errIsTerminal);
  if (o.command == "save") return runSave(o, folders, host, out, err);
  if (o.command == "list") return runList(o, host, out, err);
  return runRemove(o, folders, host, out);
}

}  // namespace tunebelt::cli
