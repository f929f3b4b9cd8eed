// Failure injection under the file-system layer: this test program's own
// fstatat stands in for the C library's, so an entry can vanish exactly
// between the listing and the look at it. A program of its own, so no other
// test runs over the stand-in.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/fs.h"
#include "test_util.h"

namespace {

// The name whose look fails as if the entry had just been deleted.
std::string vanishing;

}  // namespace

extern "C" int fstatat(int dirfd, const char* path, struct stat* st, int flags) {
  using Real = int (*)(int, const char*, struct stat*, int);
  static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "fstatat"));
  if (!vanishing.empty() && vanishing == path) {
    errno = ENOENT;
    return -1;
  }
  return real(dirfd, path, st, flags);
}

namespace tunebelt::platform {
namespace {

TEST(ListDir, AnEntryThatVanishesIsLeftOutEvenWhenItIsTheLast) {
  test::TempDir dir;
  test::writeFile(dir / "only.mp3", "x");
  vanishing = "only.mp3";
  std::vector<DirEntry> entries;
  EXPECT_NO_THROW(entries = listDir(dir.str()));
  vanishing.clear();
  EXPECT_TRUE(entries.empty());

  test::writeFile(dir / "kept.mp3", "y");
  vanishing = "only.mp3";
  entries = listDir(dir.str());
  vanishing.clear();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "kept.mp3");
}

}  // namespace
}  // namespace tunebelt::platform
