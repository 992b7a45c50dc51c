// WorkerThreads: runs one work function on several threads, the caller's among them, and a loop over items in chunks on them.
#pragma once

#include <algorithm>
#include <atomic>
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

// Calls `one(i)` for every i below n on `threads` workers (workerCount's
// rule), in chunks of 256 taken from a shared counter, adding each finished
// chunk to `done` (when given) so that a caller on another thread can show
// progress. `one` returns false when it stopped for `cancel`; the worker then
// counts what it finished and stops, and the others stop at their next chunk.
template <typename One>
void forEachInChunks(size_t n, int threads, std::atomic<size_t>* done, std::atomic<bool> const* cancel,
                     One const& one) {
  constexpr size_t chunk = 256;
  if (n == 0) return;
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (;;) {
      if (cancel && cancel->load(std::memory_order_relaxed)) return;
      size_t const begin = next.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= n) return;
      size_t const end = std::min(n, begin + chunk);
      for (size_t i = begin; i < end; ++i) {
        if (!one(i)) {
          if (done) done->fetch_add(i - begin, std::memory_order_release);
          return;
        }
      }
      if (done) done->fetch_add(end - begin, std::memory_order_release);
    }
  };
  runOnWorkers(workerCount(threads, (n + chunk - 1) / chunk), work);
}
