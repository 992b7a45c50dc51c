// WorkerThreads: runs one work function on several threads, the caller's among them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

// How many threads to use: `requested` when positive, else one per hardware thread,
// and never more than there are pieces of work.
inline size_t workerCount(int requested, size_t pieces) {
  size_t const count = requested > 0 ? static_cast<size_t>(requested) : std::max(1u, std::thread::hardware_concurrency());
  return std::min(count, pieces);
}

// Calls `work` on `count` threads (this one included) and waits for all of them.
// `work` takes its pieces from a shared counter, so when fewer threads can be
// started than asked for, the ones running share what is left.
template <typename Work>
void runOnWorkers(size_t count, Work const& work) {
  std::vector<std::thread> pool;
  for (size_t i = 1; i < count; ++i) {
    try {
      pool.emplace_back(work);
    } catch (std::system_error const&) {
      break;
    }
  }
  work();
  for (std::thread& th : pool) th.join();
}
