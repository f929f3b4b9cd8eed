// The cache label's walk, off the window's thread: each change of the mod
// folder box asks for a walk and returns at once; the label is handed back
// on the window's thread when the walk ends.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tunebelt {

// Runs a call on the window's thread, after the events already waiting there.
// Callable from any thread.
using PostToWindow = std::function<void(std::function<void()>)>;

class CacheSizeWalker {
 public:
  // `show` gets each label, on the window's thread, for the newest request
  // only.
  CacheSizeWalker(PostToWindow post, std::function<void(const std::string&)> show);
  ~CacheSizeWalker();
  CacheSizeWalker(const CacheSizeWalker&) = delete;
  CacheSizeWalker& operator=(const CacheSizeWalker&) = delete;

  // Asks for the label of this mod folder box's text. A request not started
  // yet is replaced; the result of a walk already running is dropped.
  void request(std::string modFolder, int language, char decimalSeparator);
  // Drops whatever is asked or running: its label will not be shown (a
  // command has just set the label itself).
  void cancel();

 private:
  struct Request {
    std::string modFolder;
    int language = 0;
    char decimalSeparator = '.';
    unsigned generation = 0;
  };
  // What the posted calls reach: still there after the walker is gone, so a
  // call that arrives late finds nothing to show.
  struct Shown {
    std::atomic<unsigned> generation{0};  // the newest request
    std::function<void(const std::string&)> show;
  };

  void run();

  PostToWindow post_;
  std::shared_ptr<Shown> shown_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Request> next_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tunebelt
