// Tracked memory: totals, list links after frees at either end and in the
// middle, shutdown, alignment, reports for foreign pointers and failed sizes.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "system/memory.h"

namespace {

MemHeader* header(void* p) { return reinterpret_cast<MemHeader*>(static_cast<char*>(p) - memHeaderSize); }

class Memory : public testing::Test {
protected:
  void SetUp() override { memSystemInit(); }
  void TearDown() override { memSystemShutdown(); }
};

}  // namespace

// Blocks come back 16-byte aligned and usable over their whole size.
TEST_F(Memory, KeepsAlignment) {
  for (unsigned long n : {1ul, 3ul, 16ul, 100ul, 4097ul}) {
    void* p = memAlloc(n);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u) << n;
    std::memset(p, 0xAB, n);  // the whole request is usable
    EXPECT_TRUE(memValid(p));
  }
}

TEST_F(Memory, TotalsFollowAllocAndFree) {
  void* p = memAllocNamed(100, "Thing");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(header(p)->typeName, "Thing");

  void* q = memAlloc(0);
  ASSERT_NE(q, nullptr);
  EXPECT_STREQ(header(q)->typeName, "Generic");
  EXPECT_EQ(total_size, 100 + 2 * memHeaderSize);
  EXPECT_EQ(total_blocks, 2u);

  memFree(p);
  EXPECT_EQ(total_size, memHeaderSize);
  EXPECT_EQ(total_blocks, 1u);
  memFree(q);
  EXPECT_EQ(total_size, 0u);
  EXPECT_EQ(total_blocks, 0u);
  EXPECT_EQ(mptr_first, nullptr);
  EXPECT_EQ(mptr_last, nullptr);
}

TEST_F(Memory, ListLinksAfterFrees) {
  void* a = memAlloc(8);
  void* b = memAlloc(16);
  void* c = memAlloc(24);
  EXPECT_EQ(mptr_first, header(a));
  EXPECT_EQ(mptr_last, header(c));
  EXPECT_EQ(header(a)->next, header(b));
  EXPECT_EQ(header(b)->prev, header(a));

  // Middle: the neighbours link to each other.
  memFree(b);
  EXPECT_EQ(header(a)->next, header(c));
  EXPECT_EQ(header(c)->prev, header(a));

  // First: the list starts at the next block.
  memFree(a);
  EXPECT_EQ(mptr_first, header(c));
  EXPECT_EQ(header(c)->prev, nullptr);

  // Appending after frees still links at the end.
  void* d = memAlloc(4);
  EXPECT_EQ(header(c)->next, header(d));
  EXPECT_EQ(header(d)->prev, header(c));
  EXPECT_EQ(mptr_last, header(d));

  // Last: the list ends at the previous block.
  memFree(d);
  EXPECT_EQ(mptr_last, header(c));
  EXPECT_EQ(header(c)->next, nullptr);

  // The only block: the list is empty.
  memFree(c);
  EXPECT_EQ(mptr_first, nullptr);
  EXPECT_EQ(mptr_last, nullptr);
  EXPECT_EQ(total_blocks, 0u);
}

TEST_F(Memory, ShutdownFreesEverything) {
  for (int i = 0; i < 3; ++i) ASSERT_NE(memAllocNamed(10 + i, "Leftover"), nullptr);
  memSystemShutdown();  // the leak checker of the sanitizer build sees any block left
  EXPECT_EQ(total_size, 0u);
  EXPECT_EQ(total_blocks, 0u);
  EXPECT_EQ(mptr_first, nullptr);
  EXPECT_EQ(mptr_last, nullptr);
  memSystemShutdown();  // on an empty list: nothing to do
}

TEST_F(Memory, ForeignPointerIsReportedAndLeftAlone) {
  void* live = memAlloc(32);
  alignas(16) unsigned char fake[128] = {};
  MemHeader* h = reinterpret_cast<MemHeader*>(fake);
  h->id = 0xFFFFFFFFu;
  h->size = 1000;
  void* p = fake + memHeaderSize;
  EXPECT_FALSE(memValid(p));
  EXPECT_TRUE(memValid(live));

  testing::internal::CaptureStdout();
  memFree(p);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "memFree: found a bad ID: -1 should be 2696004307\n");
  EXPECT_EQ(total_size, 32 + memHeaderSize);
  EXPECT_EQ(mptr_first, header(live));

  h->id = 0x12345678u;
  testing::internal::CaptureStdout();
  memFree(p);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "memFree: found a bad ID: 305419896 should be 2696004307\n");

  memFree(nullptr);  // nothing to free, nothing to report
  EXPECT_EQ(total_blocks, 1u);
}

TEST_F(Memory, ImpossibleSizeFailsCleanly) {
  void* live = memAlloc(1);
  testing::internal::CaptureStdout();
  void* p = memAllocNamed(ULONG_MAX - 8, "Huge");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(out, "failed to alloc " + std::to_string(ULONG_MAX - 8) + " bytes of type Huge\n");
  EXPECT_EQ(total_blocks, 1u);
  EXPECT_EQ(mptr_last, header(live));
  EXPECT_EQ(header(live)->next, nullptr);
}
