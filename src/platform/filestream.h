// Files too large to hold in memory at once (audio tracks): read piece by
// piece, and written piece by piece into a temporary file beside the target
// that takes the target's name only when it is complete. The same rules as
// the whole-file calls of fs.h hold: only regular files are read, and a
// target is always either the old file or the complete new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tunebelt::platform {

// A regular file open for reading. A FIFO, device, socket or folder is
// refused at once, never waited on. Throws FsError naming the file.
class InputFile {
 public:
  explicit InputFile(std::string_view path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& path() const { return path_; }
  // As the file was when it was opened.
  const FileStamp& stamp() const { return stamp_; }
  std::uint64_t size() const { return stamp_.size; }

  // Reads up to `size` bytes at the current position; fewer only at the end
  // of the file, 0 there.
  std::size_t read(void* data, std::size_t size) { return readAt(position_, data, size); }
  // Reads up to `size` bytes at `offset` (the current position moves to
  // their end).
  std::size_t readAt(std::uint64_t offset, void* data, std::size_t size);
  void seek(std::uint64_t offset) { position_ = offset; }
  std::uint64_t position() const { return position_; }

 private:
  std::string path_;
  FileStamp stamp_;
  std::uint64_t position_ = 0;
#ifdef _WIN32
  void* native_ = nullptr;
#else
  int native_ = -1;
#endif
};

// A new version of `target`, written into a temporary file beside it. The
// checks of writeFileAtomic are made when it is created (a read-only target
// or folder, a target that is no regular file); the temporary file is
// removed again unless it is committed. Movable, so a function can write one
// and leave the rename to its caller.
class PendingFile {
 public:
  explicit PendingFile(std::string_view target);
  ~PendingFile();
  PendingFile(PendingFile&&) noexcept;
  PendingFile& operator=(PendingFile&&) noexcept;

  const std::string& target() const { return target_; }
  // Bytes written so far (the file's length).
  std::uint64_t size() const { return size_; }

  // Appends. Throws FsError naming the target.
  void write(const void* data, std::size_t size) { writeAt(size_, data, size); }
  // Overwrites bytes already written (a header completed at the end).
  void writeAt(std::uint64_t offset, const void* data, std::size_t size);

  // Renames the finished file over the target, keeping an old file's
  // permission bits (a link is replaced where it points). Throws FsError.
  void commit();

 private:
  struct Impl;
  std::string target_;
  std::uint64_t size_ = 0;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tunebelt::platform
