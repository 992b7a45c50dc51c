// Tracked memory: totals and list links through frees in the middle and at
// either end, shutdown, foreign pointers and impossible sizes.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "system/memory.h"

static MemHeader* header(void* p) { return reinterpret_cast<MemHeader*>(static_cast<char*>(p) - memHeaderSize); }

TEST(Memory, ListAndTotalsFollowAllocAndFree) {
  memSystemInit();
  void* a = memAlloc(8);
  void* b = memAllocNamed(100, "Thing");
  void* c = memAlloc(1);
  EXPECT_STREQ(header(b)->typeName, "Thing");
  EXPECT_EQ(total_size * 10 + total_blocks, (109 + 3 * memHeaderSize) * 10 + 3);
  memFree(b);  // the middle: its neighbours are linked
  EXPECT_EQ(header(a)->next, header(c));
  EXPECT_EQ(header(c)->prev, header(a));
  EXPECT_EQ(total_size * 10 + total_blocks, (9 + 2 * memHeaderSize) * 10 + 2);
  memFree(c);  // the last
  EXPECT_EQ(mptr_last, header(a));
  EXPECT_EQ(header(a)->next, nullptr);
  memFree(a);  // the only one
  EXPECT_TRUE(mptr_first == nullptr && mptr_last == nullptr);
  memAlloc(3);
  memAlloc(4);
  memSystemShutdown();  // frees the rest; the sanitizer build's leak check sees any left
  EXPECT_EQ(total_size + total_blocks, 0u);
}

// A pointer without the live stamp is reported and left alone; an impossible
// size fails with a report instead of wrapping round to a small block.
TEST(Memory, ForeignPointersAndImpossibleSizes) {
  memSystemInit();
  void* live = memAlloc(32);
  alignas(16) unsigned char fake[128] = {};
  reinterpret_cast<MemHeader*>(fake)->id = 0xFFFFFFFFu;
  EXPECT_TRUE(memValid(live));
  EXPECT_FALSE(memValid(fake + memHeaderSize) || memValid(nullptr));
  testing::internal::CaptureStdout();
  memFree(fake + memHeaderSize);
  memFree(nullptr);
  EXPECT_EQ(memAllocNamed(ULONG_MAX - 8, "Huge"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "memFree: found a bad ID: -1 should be 2696004307\n"
            "failed to alloc " + std::to_string(ULONG_MAX - 8) + " bytes of type Huge\n");
  EXPECT_EQ(total_size * 10 + total_blocks, (32 + memHeaderSize) * 10 + 1);
  EXPECT_TRUE(mptr_first == header(live) && mptr_last == header(live));
  memSystemShutdown();
}
