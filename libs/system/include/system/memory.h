// Tracked memory: every block allocated here sits in one doubly linked list
// behind a stamped header, so that all of them can be released at shutdown and
// frees of foreign pointers are reported.
#pragma once

#include <cstdint>

// Precedes the caller's bytes. Its size is a multiple of 16, so the caller's
// bytes keep malloc's 16-byte alignment.
struct alignas(16) MemHeader {
  MemHeader* prev;        // previous block, null for the first
  MemHeader* next;        // next block, null for the last
  unsigned long size;     // whole allocation: requested size + header
  std::uint32_t id;       // memLiveId while the block is live
  char const* typeName;   // name given at allocation, not owned
};

constexpr std::uint32_t memLiveId = 0xA0B1C2D3u;
constexpr unsigned long memHeaderSize = sizeof(MemHeader);

// List ends and totals (bytes including headers, and blocks).
extern MemHeader* mptr_first;
extern MemHeader* mptr_last;
extern unsigned long total_size;
extern unsigned long total_blocks;

// Empty list, totals 0.
void memSystemInit();
// Frees every tracked block, then empties the list and zeroes the totals.
void memSystemShutdown();
// A block of size bytes tagged with typeName; null (after one line on standard
// output) when it cannot be allocated.
void* memAllocNamed(unsigned long size, char const* typeName);
void* memAlloc(unsigned long size);
// True when p's header carries the live stamp.
bool memValid(void* p);
// Unlinks and frees a tracked block; a pointer without the stamp is reported
// and left alone.
void memFree(void* p);
