// The window's thread in the tests of the window model: calls posted from any
// thread wait in a queue until the test runs them on its own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tunebelt::test {

class WindowQueue {
 public:
  void post(std::function<void()> call) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(std::move(call));
    }
    arrived_.notify_all();
  }
  // Runs the posted calls, waiting for more, until `done` holds (checked
  // between calls) or the time is up; true when it holds.
  bool runUntil(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      std::function<void()> call;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!arrived_.wait_until(lock, deadline, [this] { return !calls_.empty(); })) return false;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
    return true;
  }
  // Runs what is queued now, without waiting.
  void runPending() {
    for (;;) {
      std::function<void()> call;
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (calls_.empty()) return;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace tunebelt::test
