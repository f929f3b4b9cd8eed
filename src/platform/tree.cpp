// The walks, written once over the per-system primitives (primitives.h):
// what a walk counts, enters, deletes and reports, how it climbs back to a
// folder it closed, and when it stops.
#include "platform/tree.h"

#include <cerrno>
#include <cstring>

#include "platform/fs.h"
#include "platform/primitives.h"

namespace tunebelt::platform {

std::string reportedPath(const std::string& path) {
  // A path this long comes only from a tree deeper than any system call
  // reaches; a report of it keeps what tells where it is.
  constexpr std::size_t kLongest = 4096, kEnd = 1024;
  if (path.size() <= kLongest) return path;
  std::size_t head = kEnd, tail = path.size() - kEnd;
  for (std::size_t k = head; k > 0; --k) {
    if (isSep(path[k])) {
      head = k;
      break;
    }
  }
  for (std::size_t k = tail; k < path.size(); ++k) {
    if (isSep(path[k])) {
      tail = k + 1;
      break;
    }
  }
  return path.substr(0, head) + kSep + "..." + kSep + path.substr(tail);
}

void TreeProblems::add(const std::string& path, std::string reason) {
  ++count;
  if (first.size() < kKept) first.push_back({reportedPath(path), std::move(reason)});
}

namespace {

using sys::Entry;
using sys::Handle;
using sys::Kind;
using sys::Listed;
using sys::Name;
using sys::Use;

constexpr const char* kMountReason = "is a mount point of another file system; left alone";
constexpr const char* kMovedReason = "was moved while it was walked; the walk stopped there";

// One folder on the way from the walked folder down to the one being walked.
struct Level {
  Entry self;         // its handle (empty while closed to spare handles) and facts
  bool clean = true;  // the removal: nothing in it has stayed so far
  Name name;          // its name in the folder above; empty for the walked folder
  std::vector<Listed> entries;
  std::size_t next = 0;        // the next of `entries` to look at
  std::size_t pathLength = 0;  // the shared path's length at this folder
};

// The folders from the walked one down to the one being walked. Each keeps
// the entries listed in it and how far the walk got; the path for reports is
// one text that all of them share.
class Walk {
 public:
  Walk(std::string top, const sys::Mount& mount) : path_(std::move(top)), mount_(mount) {}

  bool done() const { return levels_.empty(); }
  std::size_t depth() const { return levels_.size(); }
  Level& top() { return levels_.back(); }
  sys::Native here() const { return levels_.back().self.h.get(); }
  bool sameMount(sys::Native h) const { return sys::mountOf(h) == mount_; }

  // The next entry of the folder being walked; false when all were seen.
  bool next(Listed& entry) {
    Level& level = top();
    if (level.next == level.entries.size()) return false;
    entry = std::move(level.entries[level.next++]);
    return true;
  }

  // Notes a problem with an entry of the folder being walked (or, for an
  // empty name, with that folder). The path is only built for the problems
  // that are kept.
  void note(TreeProblems& problems, const Name& name, std::string reason) const {
    if (problems.keeps()) {
      problems.add(name.empty() ? path_ : childPath(name), std::move(reason));
    } else {
      ++problems.count;
    }
  }
  std::string entryPath(const Name& name) const { return reportedPath(childPath(name)); }

  // Goes down into the folder open as `h`, named `name` in the folder being
  // walked (empty for the walked folder). The error when it cannot be
  // listed, 0 when it is entered.
  sys::Error enter(Handle h, const Name& name) {
    Level level;
    if (!sys::infoOf(h.get(), level.self.info) || !sys::listFolder(h.get(), level.entries)) {
      return sys::lastError();
    }
    level.self.h = std::move(h);
    if (!name.empty()) {
      if (!path_.empty() && !isSep(path_.back())) path_ += kSep;
      path_ += sys::shownName(name);
    }
    level.pathLength = path_.size();
    level.name = name;
    levels_.push_back(std::move(level));
    while (levels_.size() - firstOpen_ > sys::heldLevels() && closeShallowest()) {
    }
    return 0;
  }

  // Climbs out of the folder being walked and hands it back, still open.
  // The folder above it is opened again when its handle was closed; when
  // that is not the same folder any more (the tree was moved meanwhile),
  // the walk ends here and the problem is noted.
  Level leave(TreeProblems& problems) {
    Level child = std::move(levels_.back());
    levels_.pop_back();
    if (!levels_.empty()) {
      Level& parent = levels_.back();
      path_.resize(parent.pathLength);
      sys::Error err = 0;
      if (!parent.self.h) {
        if (reopen(parent, child.self.h.get(), err)) {
          firstOpen_ = levels_.size() - 1;
        } else {
          note(problems, {}, err == 0 ? kMovedReason : sys::reasonOf(err));
          levels_.clear();
        }
      }
    }
    if (levels_.empty()) firstOpen_ = 0;
    return child;
  }

  // Opens the entry `e` of the folder being walked as a subfolder; false
  // (lastError) when it is no folder (any more) or cannot be opened.
  bool openSubfolder(const Name& name, Use use, Entry& e) {
    return retrying([&] { return sys::openFolderAt(here(), name, use, e); });
  }

 private:
  std::string childPath(const Name& name) const {
    std::string out = path_;
    if (!out.empty() && !isSep(out.back())) out += kSep;
    return out + sys::shownName(name);
  }

  // Runs an open, closing held folders for as long as the process is out
  // of handles.
  template <typename Open>
  bool retrying(Open open) {
    for (;;) {
      if (open()) return true;
      if (!sys::isOutOfHandles(sys::lastError()) || !closeShallowest()) return false;
    }
  }

  // Closes the shallowest folder held open but the one being walked; false
  // when there is none. The open ones are always the deepest, from
  // firstOpen_ on.
  bool closeShallowest() {
    if (firstOpen_ + 1 >= levels_.size()) return false;
    levels_[firstOpen_++].self.h.reset();
    return true;
  }

  // Opens `level` again as the folder above the one open as `child`, and
  // checks that it is the folder it was. False with `err` 0 when it is not.
  bool reopen(Level& level, sys::Native child, sys::Error& err) {
    Handle h;
    if (!retrying([&] { return sys::openParentOf(child, h); })) {
      err = sys::lastError();
      return false;
    }
    sys::Info info;
    if (!sys::infoOf(h.get(), info) || info.id != level.self.info.id) return false;
    level.self.h = std::move(h);
    return true;
  }

  std::vector<Level> levels_;
  std::string path_;
  sys::Mount mount_;
  std::size_t firstOpen_ = 0;  // the shallowest level held open
};

// ---- size ---------------------------------------------------------------

void sizeBelow(Walk& walk, TreeSize& out) {
  Listed e;
  while (!walk.done()) {
    if (!walk.next(e)) {
      walk.leave(out.unread);
      continue;
    }
    if (e.known) {  // a regular file, by the listing alone
      out.bytes += e.size;
      ++out.files;
      continue;
    }
    Entry x;
    if (!sys::lookAt(walk.here(), e, Use::Measure, x)) {
      const sys::Error err = sys::lastError();
      if (!sys::isMissing(err)) walk.note(out.unread, e.name, sys::reasonOf(err));
      continue;
    }
    if (x.info.kind == Kind::Regular) {
      out.bytes += x.info.stamp.size;
      ++out.files;
      continue;
    }
    if (x.info.kind == Kind::Link && x.info.mountLink) {
      out.skippedMounts.push_back(walk.entryPath(e.name));
    }
    if (x.info.kind != Kind::Folder) continue;  // links, FIFOs, devices: nothing
    if (!walk.openSubfolder(e.name, Use::Measure, x)) {
      // Swapped for a link or a file since the look, or gone: nothing.
      const sys::Error err = sys::lastError();
      if (!sys::isNoFolder(err) && !sys::isMissing(err)) {
        walk.note(out.unread, e.name, sys::reasonOf(err));
      }
    } else if (!walk.sameMount(x.h.get())) {
      out.skippedMounts.push_back(walk.entryPath(e.name));
    } else if (const sys::Error err = walk.enter(std::move(x.h), e.name)) {
      walk.note(out.unread, e.name, sys::reasonOf(err));
    }
  }
}

// ---- removal ------------------------------------------------------------

class Remover {
 public:
  Remover(Walk& walk, const std::function<void()>& between, TreeProblems& problems)
      : walk_(walk), between_(between), problems_(problems) {}

  // Removes everything inside the walked folder; true when nothing stayed.
  // The walked folder itself comes back in `root`, still open.
  bool emptyAll(Level& root) {
    Listed e;
    while (!walk_.done()) {
      if (walk_.next(e)) {
        if (between_) between_();
        removeEntry(e);
        continue;
      }
      const bool top = walk_.depth() == 1;
      Level left = walk_.leave(problems_);
      if (top) {
        root = std::move(left);
        return root.clean;
      }
      if (walk_.done()) return false;  // the walk had to stop
      // The folder just emptied goes too, unless something in it stayed.
      if (!left.clean || !remove(left.name, left.self, true)) walk_.top().clean = false;
    }
    return false;
  }

 private:
  // Removes one entry of the folder being walked, or goes down into it.
  void removeEntry(const Listed& e) {
    Entry x;
    if (!sys::lookAt(walk_.here(), e, Use::Remove, x)) {
      if (!sys::isMissing(sys::lastError())) fail(e.name, sys::lastError());
      return;
    }
    if (x.info.kind == Kind::Link && x.info.mountLink) {
      walk_.top().clean = false;
      walk_.note(problems_, e.name, kMountReason);
      return;
    }
    if (x.info.kind != Kind::Folder) {
      if (!remove(e.name, x, false)) walk_.top().clean = false;
      return;
    }
    if (!walk_.openSubfolder(e.name, Use::Remove, x)) {
      // Swapped for a link or a file since the look: that goes instead,
      // never followed.
      const sys::Error err = sys::lastError();
      if (sys::isNoFolder(err)) {
        if (!remove(e.name, x, false)) walk_.top().clean = false;
      } else if (!sys::isMissing(err)) {
        fail(e.name, err);
      }
    } else if (!walk_.sameMount(x.h.get())) {
      walk_.top().clean = false;
      walk_.note(problems_, e.name, kMountReason);
    } else if (const sys::Error err = walk_.enter(std::move(x.h), e.name)) {
      fail(e.name, err);
    }
  }

  // Removes an entry of the folder being walked; true when it is gone.
  // Nothing goes from a folder without a write bit, whoever asks.
  bool remove(const Name& name, Entry& e, bool folder) {
    Level& here = walk_.top();
    if (!here.self.info.writable) {
      walk_.note(problems_, name, std::strerror(EACCES));
      return false;
    }
    if (sys::removeAt(here.self.h.get(), name, e, folder)) return true;
    const sys::Error err = sys::lastError();
    if (sys::isMissing(err)) return true;
    walk_.note(problems_, name, sys::reasonOf(err));
    return false;
  }

  void fail(const Name& name, sys::Error err) {
    walk_.top().clean = false;
    walk_.note(problems_, name, sys::reasonOf(err));
  }

  Walk& walk_;
  const std::function<void()>& between_;
  TreeProblems& problems_;
};

// The temporary files directly in `dir` (only the one named `only`, when
// given), removed when `remove` is set; their full paths.
std::vector<std::string> leftoverTempFiles(std::string_view dir, bool remove,
                                           std::string_view only = {}) {
  std::vector<std::string> found;
  if (dir.find('\0') != std::string_view::npos || dir.empty()) return found;
  try {
    const std::string path(dir);
    Handle d;
    if (!sys::openFolderByPath(path, false, Use::RemoveTemp, d)) return found;
    std::vector<Listed> entries;
    sys::listFolder(d.get(), entries);
    // Names first: only a name of the pattern costs a look, so a folder of
    // a thousand tracks is one directory read.
    for (const Listed& e : entries) {
      const std::string name = sys::shownName(e.name);
      if (!isTempFileName(name) || (!only.empty() && name != only)) continue;
      Entry x;
      if (!sys::lookAt(d.get(), e, Use::RemoveTemp, x) || x.info.kind != Kind::Regular) continue;
      if (remove && !sys::removeAt(d.get(), e.name, x, false)) continue;
      found.push_back(joinPath(path, name));
    }
  } catch (const FsError&) {
    // best effort
  }
  return found;
}

}  // namespace

TreeSize treeSize(std::string_view folder) {
  TreeSize out;
  if (folder.find('\0') != std::string_view::npos || folder.empty()) return out;
  const std::string path(folder);
  // A link in the folder's place is no folder of files.
  Handle root;
  if (!sys::openFolderByPath(path, false, Use::Measure, root)) {
    const sys::Error err = sys::lastError();
    if (!sys::isMissing(err) && !sys::isNoFolder(err)) out.unread.add(path, sys::reasonOf(err));
    return out;
  }
  Walk walk(path, sys::mountOf(root.get()));
  if (const sys::Error err = walk.enter(std::move(root), {})) {
    out.unread.add(path, sys::reasonOf(err));
    return out;
  }
  sizeBelow(walk, out);
  return out;
}

TreeProblems removeTree(std::string_view folder, bool removeFolder,
                        const std::function<void()>& between) {
  const std::string shown(folder);
  TreeProblems problems;
  std::string parentPath, last;
  if (folder.find('\0') != std::string_view::npos || !sys::splitLast(folder, parentPath, last)) {
    problems.add(shown, std::strerror(EINVAL));
    return problems;
  }
  Handle parent;
  if (!sys::openFolderByPath(parentPath, true, Use::Remove, parent)) {
    const sys::Error err = sys::lastError();
    if (!sys::isMissing(err)) problems.add(shown, sys::reasonOf(err));
    return problems;
  }
  const Name name = sys::toName(last);
  // Taking the folder, or a link in its place, away takes its parent's write
  // permission: a parent without any write bit is never changed, root or not.
  const auto removeFromParent = [&](Entry& e, bool isFolder) {
    sys::Info info;
    if (!sys::infoOf(parent.get(), info) || !info.writable) {
      problems.add(shown, std::strerror(EACCES));
    } else if (!sys::removeAt(parent.get(), name, e, isFolder) &&
               !sys::isMissing(sys::lastError())) {
      problems.add(shown, sys::reasonOf(sys::lastError()));
    }
  };
  Entry root;
  if (!sys::lookAt(parent.get(), Listed{name}, Use::Remove, root)) {
    const sys::Error err = sys::lastError();
    if (!sys::isMissing(err)) problems.add(shown, sys::reasonOf(err));
    return problems;
  }
  if (root.info.kind == Kind::Link) {
    // A link in the folder's place goes as the link it is; a volume mounted
    // there is left alone.
    if (root.info.mountLink) {
      problems.add(shown, kMountReason);
    } else {
      removeFromParent(root, false);
    }
    return problems;
  }
  if (root.info.kind != Kind::Folder) {
    problems.add(shown, std::strerror(ENOTDIR));
    return problems;
  }
  if (!sys::openFolderAt(parent.get(), name, Use::Remove, root)) {
    const sys::Error err = sys::lastError();
    if (!sys::isMissing(err)) problems.add(shown, sys::reasonOf(err));
    return problems;
  }
  const sys::Mount mount = sys::mountOf(root.h.get());
  if (!(mount == sys::mountOf(parent.get()))) {
    problems.add(shown, kMountReason);
    return problems;
  }
  Walk walk(shown, mount);
  if (const sys::Error err = walk.enter(std::move(root.h), {})) {
    problems.add(shown, sys::reasonOf(err));
    return problems;
  }
  Remover remover(walk, between, problems);
  Level top;
  if (remover.emptyAll(top) && removeFolder) removeFromParent(top.self, true);
  return problems;
}

std::vector<std::string> findLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, false);
}

std::vector<std::string> removeLeftoverTempFiles(std::string_view dir) {
  return leftoverTempFiles(dir, true);
}

bool removeLeftoverTempFile(std::string_view path) {
  std::string dir, name;
  if (path.find('\0') != std::string_view::npos || !sys::splitLast(path, dir, name)) return false;
  return !leftoverTempFiles(dir, true, name).empty();
}

}  // namespace tunebelt::platform
