// Builds a random tree with hostile names under a mod's mp3s folder (names
// that climb when read the Windows way, links to the game, to the root and
// back into mp3s, FIFOs, leftover temporary names, chains of folders deeper
// than a walk holds open), then measures it and removes it. The size must be
// exactly that of the regular files inside, and nothing outside mp3s may
// change.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "platform/tree.h"

namespace fs = std::filesystem;
using namespace tunebelt;

namespace {

const char* const kNames[] = {"..\\",
                              "..\\..",
                              "\\",
                              "..\\maps",
                              "..\\autoexec.cfg",
                              "maps",
                              "a.mp3",
                              ".hidden",
                              "..\\..\\valve",
                              ".tunebelt-x.mp3-1.tmp",
                              "b\\c.mp3",
                              "\x1b[31m",
                              "...",
                              "x"};

const uint8_t kBytes[64] = {'I', 'D', '3'};

// Every regular file and link below a folder, links not followed.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) fuzz::fail("the game folder cannot be walked");
    const std::string rel = fs::relative(it->path(), root).string();
    if (rel.starts_with("mod/mp3s")) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) it.disable_recursion_pending();
      continue;
    }
    if (it->is_symlink(ec)) {
      out[rel] = "-> " + fs::read_symlink(it->path(), ec).string();
    } else if (it->is_regular_file(ec)) {
      out[rel] = fuzz::getFile(it->path().string());
    }
  }
  return out;
}

// Sum of the regular files below a folder, counted independently of the
// code under test: links are not followed.
std::uint64_t regularBytes(const fs::path& root) {
  std::uint64_t total = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec) && !it->is_symlink(ec)) total += it->file_size(ec);
  }
  return total;
}

// Creates a file of `size` bytes unless something is at the name already (a
// FIFO, a link into the game, a folder): those are never opened.
void tryPut(const fs::path& name, const uint8_t* data, size_t size) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::write(fd, data, size) != static_cast<ssize_t>(size)) fuzz::fail("cannot write a file");
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path game = fs::path(fuzz::scratchFolder()) / "game";
  std::error_code ec;
  fs::remove_all(game, ec);
  fs::create_directories(game / "mod/mp3s");
  fs::create_directories(game / "mod/maps");
  fs::create_directories(game / "valve");
  fuzz::putFile((game / "hl.exe").string(), reinterpret_cast<const uint8_t*>("engine"), 6);
  fuzz::putFile((game / "mod/autoexec.cfg").string(), reinterpret_cast<const uint8_t*>("cfg"), 3);
  fuzz::putFile((game / "mod/maps/de_dust.bsp").string(), reinterpret_cast<const uint8_t*>("map"),
                3);
  fuzz::putFile((game / "valve/config.cfg").string(), reinterpret_cast<const uint8_t*>("v"), 1);

  // Each step is two bytes: what to make, and which name. (No name is "." or
  // "..": the harness itself must stay inside mp3s.)
  std::vector<fs::path> stack = {game / "mod/mp3s"};
  const fs::path links[] = {game, game / "mod", game / "mod/mp3s", "/", game / "hl.exe",
                            "..", "../..",      "nowhere"};
  for (size_t i = 0; i + 1 < size && i < 256; i += 2) {
    const fs::path here = stack.back();
    const fs::path name = here / kNames[data[i + 1] % std::size(kNames)];
    switch (data[i] % 7) {
      case 0:
        fs::create_directory(name, ec);
        if (!ec && fs::is_directory(fs::symlink_status(name)) && stack.size() < 12) {
          stack.push_back(name);
        }
        break;
      case 1:
        tryPut(name, kBytes, (data[i + 1] % sizeof kBytes) + 1);
        break;
      case 2:
        fs::create_symlink(links[data[i + 1] % std::size(links)], name, ec);
        break;
      case 3:
        ::mkfifo(name.c_str(), 0644);
        break;
      case 4:
        if (stack.size() > 1) stack.pop_back();
        break;
      case 5: {
        // A chain of up to 64 folders with a track at its bottom: deeper
        // than the walks keep folders open at once.
        fs::path deep = here;
        for (int k = 0; k <= data[i + 1] % 64; ++k) {
          deep /= "d";
          fs::create_directory(deep, ec);
        }
        tryPut(deep / "z.mp3", kBytes, 8);
        break;
      }
      default:
        break;
    }
  }

  const auto before = snapshot(game);
  const std::uint64_t inside = regularBytes(game / "mod/mp3s");
  if (platform::treeSize((game / "mod/mp3s").string()).bytes != inside) {
    fuzz::fail("the size is not that of the files inside mp3s");
  }
  platform::removeLeftoverTempFiles((game / "mod/mp3s").string());
  if (snapshot(game) != before) fuzz::fail("the sweep changed something outside mp3s");
  auto problems = platform::removeTree((game / "mod/mp3s").string(), true, [] {});
  if (!problems.empty()) fuzz::fail("the clean-up left something behind");
  if (fs::exists(fs::symlink_status(game / "mod/mp3s"))) fuzz::fail("mp3s is still there");
  if (snapshot(game) != before) fuzz::fail("the clean-up changed something outside mp3s");
  return 0;
}
