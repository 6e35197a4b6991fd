#include <cstring>

#include "support/library_test.h"

namespace plv::testing {
namespace {

#pragma pack(push, 1)
struct Item {  // an odd-sized record, as the library's packed records are
    void *next;
    char payload[3];
};
#pragma pack(pop)

const auto kStale = reinterpret_cast<void *>(std::uintptr_t{0xDEADBEEF});

class ListTest : public LibraryTest {
  protected:
    // A record whose link word holds garbage, which must not leak into the list.
    void *Add(char tag, bool prepend = false) {
        Item item{kStale, {tag}};
        return (prepend ? PLVPrependToList : PLVAppendToList)(&head, &item, sizeof item);
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

TEST_F(ListTest, RemoveReleasesAndExtractKeepsTheOldLinkWord) {
    void *a = Add('a'), *b = Add('b'), *c = Add('c'), *d = Add('d');
    EXPECT_EQ(PLVRemoveFromList(&head, b), 1);
    EXPECT_EQ(Tags(), "acd");
    EXPECT_EQ(PLVExtractFromList(&head, a), a);
    EXPECT_EQ(head, c);
    EXPECT_EQ(static_cast<Item *>(a)->next, c);
    EXPECT_EQ(fake.heap.live.count(a), 1u);
    PLVMemFree(a);
    EXPECT_EQ(PLVRemoveFromList(&head, c), 1);
    EXPECT_EQ(head, d);
    fake.heap.refuseFree.insert(d);
    EXPECT_EQ(PLVRemoveFromList(&head, d), 0);  // unlinked, but the release failed
    EXPECT_EQ(head, nullptr);
    fake.heap.refuseFree.clear();
    PLVMemFree(d);
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(ListTest, RemoveAndExtractDoNothingForNullNodeEmptyListOrForeignNode) {
    void *stray = PLVMemAlloc(sizeof(Item));
    EXPECT_EQ(PLVRemoveFromList(&head, stray), 0);
    EXPECT_EQ(PLVExtractFromList(&head, stray), nullptr);
    Add('a');
    Add('b');
    EXPECT_EQ(PLVRemoveFromList(&head, nullptr), 0);
    EXPECT_EQ(PLVExtractFromList(&head, nullptr), nullptr);
    EXPECT_EQ(PLVRemoveFromList(&head, stray), 0);
    EXPECT_EQ(PLVExtractFromList(&head, stray), nullptr);
    EXPECT_EQ(Tags(), "ab");
    EXPECT_EQ(fake.heap.live.count(stray), 1u);
    PLVMemFree(stray);
}

TEST_F(ListTest, SearchesAndWholeListRemoval) {
    EXPECT_EQ(FindTailEntry(nullptr), nullptr);
    EXPECT_EQ(FindPrevToMem(nullptr, nullptr), nullptr);
    EXPECT_EQ(RemoveLinkedList(nullptr), 0);
    EXPECT_EQ(RemoveLinkedList(&head), 1);
    void *a = Add('a'), *b = Add('b'), *c = Add('c');
    EXPECT_EQ(FindTailEntry(head), c);
    EXPECT_EQ(FindPrevToMem(head, a), nullptr);
    EXPECT_EQ(FindPrevToMem(head, c), b);
    int notOnList = 0;
    EXPECT_EQ(FindPrevToMem(head, &notOnList), c);
    // A refused block stops the removal, leaving a valid list from it on.
    fake.heap.refuseFree.insert(b);
    EXPECT_EQ(RemoveLinkedList(&head), 0);
    EXPECT_EQ(head, b);
    EXPECT_EQ(Tags(), "bc");
    fake.heap.refuseFree.clear();
    EXPECT_EQ(RemoveLinkedList(&head), 1);
    EXPECT_EQ(head, nullptr);
    EXPECT_TRUE(fake.heap.live.empty());
}

}  // namespace
}  // namespace plv::testing
