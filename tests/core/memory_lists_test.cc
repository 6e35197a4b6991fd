#include <cstring>
#include <vector>

#include "support/library_test.h"

namespace plv::testing {
namespace {

#pragma pack(push, 1)
struct Item {  // an odd-sized record, as the library's packed records are
    void *next;
    char payload[3];
};
#pragma pack(pop)

class ListTest : public LibraryTest {
  protected:
    Item Make(char tag) {
        Item item{};
        item.next = reinterpret_cast<void *>(std::uintptr_t{0xDEADBEEF});  // must not leak in
        item.payload[0] = tag;
        return item;
    }
    void *Append(char tag) {
        Item item = Make(tag);
        return PLVAppendToList(&head, &item, sizeof item);
    }
    void *Prepend(char tag) {
        Item item = Make(tag);
        return PLVPrependToList(&head, &item, sizeof item);
    }
    std::string Tags() const {
        std::string tags;
        for (auto *node = static_cast<Item *>(head); node; node = static_cast<Item *>(node->next))
            tags += node->payload[0];
        return tags;
    }
    void *head = nullptr;
};

TEST_F(ListTest, AllocationIsZeroFilledExactAndNotCounted) {
    auto *block = static_cast<unsigned char *>(PLVMemAlloc(431));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(fake.heap.live.at(block), 431u);
    for (int i = 0; i < 431; ++i) ASSERT_EQ(block[i], 0) << i;
    EXPECT_EQ(GetMemoryCount(), 0u);
    EXPECT_EQ(PLVMemFree(block), nullptr);
    EXPECT_TRUE(fake.heap.live.empty());
    void *refused = PLVMemAlloc(8);
    fake.heap.refuseFree.insert(refused);
    EXPECT_EQ(PLVMemFree(refused), refused);
}

TEST_F(ListTest, AppendAndPrependCopyTheRecordKeepOrderAndClearLinkWords) {
    for (bool prepend : {false, true}) {  // the first node's link is null whatever the record held
        void *node = prepend ? Prepend('x') : Append('x');
        EXPECT_EQ(head, node);
        EXPECT_EQ(static_cast<Item *>(node)->next, nullptr);
        RemoveLinkedList(&head);
    }
    Item item = Make('b');
    void *node = PLVAppendToList(&head, &item, sizeof item);
    EXPECT_NE(node, &item);
    EXPECT_EQ(item.next, reinterpret_cast<void *>(std::uintptr_t{0xDEADBEEF}));  // left alone
    Append('c');
    Prepend('a');
    EXPECT_EQ(Tags(), "abc");
    EXPECT_EQ(static_cast<Item *>(FindTailEntry(head))->next, nullptr);
}

TEST_F(ListTest, FailedAllocationLeavesTheListUnchanged) {
    Append('a');
    fake.heap.failNextAllocs = 2;
    EXPECT_EQ(Append('b'), nullptr);
    EXPECT_EQ(Prepend('c'), nullptr);
    EXPECT_EQ(Tags(), "a");
}

TEST_F(ListTest, RecordSmallerThanTheLinkWordIsRefused) {
    char tiny[2] = {};
    EXPECT_EQ(PLVAppendToList(&head, tiny, sizeof tiny), nullptr);
    EXPECT_EQ(PLVPrependToList(&head, tiny, sizeof tiny), nullptr);
    EXPECT_EQ(head, nullptr);
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(ListTest, RemoveUnlinksAnywhereAndReleases) {
    void *a = Append('a');
    void *b = Append('b');
    void *c = Append('c');
    EXPECT_EQ(PLVRemoveFromList(&head, b), 1);
    EXPECT_EQ(Tags(), "ac");
    EXPECT_EQ(PLVRemoveFromList(&head, a), 1);
    EXPECT_EQ(head, c);
    fake.heap.refuseFree.insert(c);
    EXPECT_EQ(PLVRemoveFromList(&head, c), 0);  // unlinked, but the release failed
    EXPECT_EQ(head, nullptr);
    fake.heap.refuseFree.clear();
    PLVMemFree(c);
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(ListTest, RemoveAndExtractDoNothingForNullNodeEmptyListOrForeignNode) {
    void *stray = PLVMemAlloc(sizeof(Item));
    EXPECT_EQ(PLVRemoveFromList(&head, stray), 0);
    EXPECT_EQ(PLVExtractFromList(&head, stray), nullptr);
    Append('a');
    Append('b');
    EXPECT_EQ(PLVRemoveFromList(&head, nullptr), 0);
    EXPECT_EQ(PLVExtractFromList(&head, nullptr), nullptr);
    EXPECT_EQ(PLVRemoveFromList(&head, stray), 0);
    EXPECT_EQ(PLVExtractFromList(&head, stray), nullptr);
    EXPECT_EQ(Tags(), "ab");
    EXPECT_EQ(fake.heap.live.count(stray), 1u);
    PLVMemFree(stray);
}

TEST_F(ListTest, ExtractedNodeKeepsItsOldLinkWord) {
    void *a = Append('a');
    void *b = Append('b');
    EXPECT_EQ(PLVExtractFromList(&head, a), a);
    EXPECT_EQ(head, b);
    EXPECT_EQ(static_cast<Item *>(a)->next, b);
    EXPECT_EQ(fake.heap.live.count(a), 1u);
    PLVMemFree(a);
}

TEST_F(ListTest, SearchesAndWholeListRemoval) {
    EXPECT_EQ(FindTailEntry(nullptr), nullptr);
    EXPECT_EQ(FindPrevToMem(nullptr, nullptr), nullptr);
    EXPECT_EQ(RemoveLinkedList(nullptr), 0);
    EXPECT_EQ(RemoveLinkedList(&head), 1);
    void *a = Append('a');
    void *b = Append('b');
    void *c = Append('c');
    EXPECT_EQ(FindTailEntry(head), c);
    EXPECT_EQ(FindPrevToMem(head, a), nullptr);
    EXPECT_EQ(FindPrevToMem(head, c), b);
    int notOnList = 0;
    EXPECT_EQ(FindPrevToMem(head, &notOnList), c);
    EXPECT_EQ(RemoveLinkedList(&head), 1);
    EXPECT_EQ(head, nullptr);
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(ListTest, RemoveLinkedListStopsAtARefusedBlockLeavingAValidList) {
    Append('a');
    void *b = Append('b');
    Append('c');
    fake.heap.refuseFree.insert(b);
    EXPECT_EQ(RemoveLinkedList(&head), 0);
    EXPECT_EQ(head, b);
    EXPECT_EQ(Tags(), "bc");
}

}  // namespace
}  // namespace plv::testing
