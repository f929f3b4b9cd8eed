// Work spread over the machine's cores: one worker thread per core, each
// taking the next job in order until none is left.
#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>

namespace tunebelt::audio {

// The workers for `jobs` jobs: `wanted` (0: one per core), never more than
// there are jobs, at least one.
unsigned WorkerCount(std::size_t jobs, unsigned wanted = 0);

// Runs job(i, token) for every i in [0, count) on WorkerCount(count,
// threads) threads and returns when all have ended. The token a job gets
// asks it to stop when `stop` does or when another job failed; jobs not
// begun by then are not begun. A job's exception is thrown again here once
// every worker has ended (the first one, if several failed).
void RunParallel(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t, const std::stop_token&)>& job,
                 const std::stop_token& stop = {});

}  // namespace tunebelt::audio
