#include "monitor/process_table.h"

#include "support/library_test.h"

namespace plv::testing {
namespace {

class ProcessTableTest : public LibraryTest {
  protected:
    ~ProcessTableTest() override { ReleaseProcessTable(); }
    ProcessEntry *Add(DWORD processId, DWORD threadId) {
        ProcessEntry entry{};
        entry.processId = processId;
        entry.threadId = threadId;
        entry.seenInScan = processTable.scan;
        return AppendEntry(entry);
    }
};

TEST_F(ProcessTableTest, AWholeProcessIsTheFirstEntryOfItsIdWhereverTheLookupStarts) {
    ProcessEntry *machine = Add(0x300, 0);
    ProcessEntry *task = Add(0x300, 0x11);
    ProcessEntry *other = Add(0x400, 0);
    // In the order of the table, then out of it.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(FindEntry(0x300, 0), machine);
        EXPECT_EQ(FindEntry(0x300, 0), machine);  // the entry after the last found is the task
        EXPECT_EQ(FindEntry(0x300, 0x11), task);
        EXPECT_EQ(FindEntry(0x400, 0), other);
        EXPECT_EQ(FindEntry(0x300, 0x12), nullptr);
        EXPECT_EQ(FindEntry(0x500, 0), nullptr);
    }
    ASSERT_TRUE(RemoveEntry(nullptr, machine));
    EXPECT_EQ(FindEntry(0x300, 0), task);  // now the first of its process
    EXPECT_EQ(FindEntry(0x400, 0), other);
}

TEST_F(ProcessTableTest, AScanThatMetEveryEntryNeedsNoRemoval) {
    ProcessEntry *a = Add(1, 0);
    ProcessEntry *b = Add(2, 0);
    EXPECT_TRUE(EveryEntrySeen());
    StartScan();
    EXPECT_FALSE(EveryEntrySeen());
    MarkSeen(a);
    MarkSeen(a);  // met twice, counted once
    EXPECT_FALSE(EveryEntrySeen());
    MarkSeen(b);
    EXPECT_TRUE(EveryEntrySeen());
    Add(3, 0);  // a process new in this scan joins as seen
    EXPECT_TRUE(EveryEntrySeen());

    StartScan();
    MarkSeen(a);
    ASSERT_TRUE(RemoveEntry(a, b));  // an unseen entry leaves
    EXPECT_FALSE(EveryEntrySeen());  // entry 3 is still unseen
    ASSERT_TRUE(RemoveEntry(a, FindEntry(3, 0)));
    EXPECT_TRUE(EveryEntrySeen());
}

TEST_F(ProcessTableTest, ARefusedReleaseStillTakesTheEntryOutOfTheTable) {
    ProcessEntry *a = Add(1, 0);
    ProcessEntry *b = Add(1, 0x11);
    ProcessEntry *c = Add(2, 0);
    fake.heap.refuseFree.insert(a);
    StartScan();
    MarkSeen(b);
    MarkSeen(c);
    EXPECT_FALSE(RemoveEntry(nullptr, a));
    EXPECT_EQ(processTable.head, b);
    EXPECT_EQ(FindEntry(1, 0), b);  // the task is now the first of its process
    EXPECT_TRUE(EveryEntrySeen());
    fake.heap.refuseFree.clear();
    fake.GlobalFree(a);
    ASSERT_TRUE(RemoveEntry(b, c));
    EXPECT_EQ(processTable.tail, b);
}

}  // namespace
}  // namespace plv::testing
