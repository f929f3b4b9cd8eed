#include "core/audio/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tunebelt::audio {

unsigned WorkerCount(std::size_t jobs, unsigned wanted) {
  if (wanted == 0) wanted = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::clamp<std::size_t>(jobs, 1, wanted));
}

void RunParallel(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t, const std::stop_token&)>& job,
                 const std::stop_token& stop) {
  if (count == 0) return;
  std::stop_source halt;
  std::stop_callback forward(stop, [&halt] { halt.request_stop(); });
  std::atomic<std::size_t> next{0};
  std::mutex failureMutex;
  std::exception_ptr failure;

  auto work = [&] {
    const std::stop_token token = halt.get_token();
    for (;;) {
      if (token.stop_requested()) return;
      const std::size_t i = next.fetch_add(1);
      if (i >= count) return;
      try {
        job(i, token);
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
        halt.request_stop();
      }
    }
  };
  const unsigned workers = WorkerCount(count, threads);
  {
    std::vector<std::jthread> pool;
    pool.reserve(workers - 1);
    for (unsigned t = 1; t < workers; ++t) pool.emplace_back(work);
    work();  // the calling thread is one of the workers
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tunebelt::audio
