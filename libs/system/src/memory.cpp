// Tracked memory: blocks in one doubly linked list behind stamped headers,
// with running totals, all released together at shutdown.
#include "system/memory.h"

#include <cstdlib>
#include <iostream>

MemHeader* mptr_first = nullptr;
MemHeader* mptr_last = nullptr;
unsigned long total_size = 0;
unsigned long total_blocks = 0;

static_assert(memHeaderSize % 16 == 0, "the caller's bytes must stay 16-byte aligned");

namespace {

MemHeader* headerOf(void* p) { return reinterpret_cast<MemHeader*>(static_cast<char*>(p) - memHeaderSize); }

}  // namespace

void memSystemInit() {
  mptr_first = nullptr;
  mptr_last = nullptr;
  total_size = 0;
  total_blocks = 0;
}

void* memAllocNamed(unsigned long size, char const* typeName) {
  // A request so large that the header does not fit on top of it fails like
  // any other allocation instead of wrapping round to a small block.
  unsigned long total = size + memHeaderSize;
  void* raw = total < size ? nullptr : std::malloc(total);
  if (!raw) {
    std::cout << "failed to alloc " << (total < size ? size : total) << " bytes of type "
              << (typeName ? typeName : "") << std::endl;
    return nullptr;
  }

  MemHeader* h = static_cast<MemHeader*>(raw);
  h->prev = mptr_last;
  h->next = nullptr;
  h->size = total;
  h->id = memLiveId;
  h->typeName = typeName;

  if (mptr_last)
    mptr_last->next = h;
  else
    mptr_first = h;
  mptr_last = h;

  total_size += total;
  total_blocks += 1;
  return static_cast<char*>(raw) + memHeaderSize;
}

void* memAlloc(unsigned long size) { return memAllocNamed(size, "Generic"); }

bool memValid(void* p) { return p && headerOf(p)->id == memLiveId; }

void memFree(void* p) {
  if (!p) return;
  MemHeader* h = headerOf(p);
  if (h->id != memLiveId) {
    // Not ours, or a damaged header: nothing in it can be trusted, so the
    // block is neither unlinked nor freed.
    std::cout << "memFree: found a bad ID: " << static_cast<std::int32_t>(h->id)
              << " should be " << memLiveId << std::endl;
    return;
  }

  total_size -= h->size;
  total_blocks -= 1;

  if (h->prev)
    h->prev->next = h->next;
  else
    mptr_first = h->next;
  if (h->next)
    h->next->prev = h->prev;
  else
    mptr_last = h->prev;

  // Clears the stamp so that a stale copy of the pointer is not taken for live.
  h->id = 0;
  std::free(h);
}

void memSystemShutdown() {
  while (mptr_first) memFree(reinterpret_cast<char*>(mptr_first) + memHeaderSize);
  memSystemInit();
}
