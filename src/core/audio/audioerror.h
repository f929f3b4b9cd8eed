// What the audio work reports besides platform::FsError: a file it cannot
// decode, and a stop the caller asked for.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace tunebelt::audio {

// A track that cannot be decoded, measured or converted: which file, and
// why, in words for a message.
class AudioError : public std::runtime_error {
 public:
  AudioError(std::string path, std::string reason)
      : std::runtime_error(path + ": " + reason),
        path_(std::move(path)),
        reason_(std::move(reason)) {}
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// Thrown when the caller's stop token asked the work to stop; whatever it
// was writing is gone.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("cancelled") {}
};

// How far one track's work has come, from 0 to 1. Called from the thread
// doing the work.
using Progress = std::function<void(double fraction)>;

}  // namespace tunebelt::audio
