// Memory blocks from the global heap and the singly linked lists built of
// them. Every list node begins with its link word.
#include <cstring>

#include "plvlib32.h"
#include "platform/platform.h"

namespace {

// Link words and list heads sit inside byte-packed records, often at odd
// addresses, so they are read and written bytewise.
void *LinkOf(const void *cell) {
    void *link;
    std::memcpy(&link, cell, sizeof link);
    return link;
}

void SetLink(void *cell, void *link) { std::memcpy(cell, &link, sizeof link); }

// A record must at least hold its link word.
bool HoldsLinkWord(uint32_t size) { return size >= sizeof(void *); }

// Unlinks a node found on the list; false (nothing relinked) when it is not on it.
bool Unlink(void **head, void *node) {
    void *first = LinkOf(head);
    if (first == node) {
        SetLink(head, LinkOf(node));
        return true;
    }
    void *previous = FindPrevToMem(first, node);
    if (previous == nullptr || LinkOf(previous) != node) return false;
    SetLink(previous, LinkOf(node));
    return true;
}

}  // namespace

extern "C" PLV_EXPORT void *PLVAPI PLVMemAlloc(uint32_t size) {
    return plv::Os().GlobalAlloc(GPTR, size);
}

extern "C" PLV_EXPORT void *PLVAPI PLVMemFree(void *block) { return plv::Os().GlobalFree(block); }

extern "C" PLV_EXPORT void *PLVAPI PLVAppendToList(void **head, const void *record, uint32_t size) {
    if (!HoldsLinkWord(size)) return nullptr;
    void *node = PLVMemAlloc(size);
    if (node == nullptr) return nullptr;
    void *first = LinkOf(head);
    SetLink(first == nullptr ? static_cast<void *>(head) : FindTailEntry(first), node);
    std::memcpy(node, record, size);
    SetLink(node, nullptr);
    return node;
}

extern "C" PLV_EXPORT void *PLVAPI PLVPrependToList(void **head, const void *record,
                                                    uint32_t size) {
    if (!HoldsLinkWord(size)) return nullptr;
    void *node = PLVMemAlloc(size);
    if (node == nullptr) return nullptr;
    std::memcpy(node, record, size);
    SetLink(node, LinkOf(head));
    SetLink(head, node);
    return node;
}

extern "C" PLV_EXPORT int32_t PLVAPI PLVRemoveFromList(void **head, void *node) {
    if (LinkOf(head) == nullptr || node == nullptr) return 0;
    if (!Unlink(head, node)) return 0;
    return PLVMemFree(node) == nullptr ? 1 : 0;
}

extern "C" PLV_EXPORT void *PLVAPI PLVExtractFromList(void **head, void *node) {
    if (LinkOf(head) == nullptr || node == nullptr) return nullptr;
    return Unlink(head, node) ? node : nullptr;
}

extern "C" PLV_EXPORT void *PLVAPI FindTailEntry(void *first) {
    void *node = first;
    if (node == nullptr) return nullptr;
    while (LinkOf(node) != nullptr) node = LinkOf(node);
    return node;
}

extern "C" PLV_EXPORT void *PLVAPI FindPrevToMem(void *first, void *sought) {
    void *previous = nullptr;
    for (void *node = first; node != nullptr && node != sought; node = LinkOf(node)) {
        previous = node;
    }
    return previous;
}

extern "C" PLV_EXPORT int32_t PLVAPI RemoveLinkedList(void **head) {
    if (head == nullptr) return 0;
    void *node = LinkOf(head);
    while (node != nullptr) {
        void *next = LinkOf(node);
        if (PLVMemFree(node) != nullptr) {
            SetLink(head, node);
            return 0;
        }
        node = next;
    }
    SetLink(head, nullptr);
    return 1;
}

extern "C" PLV_EXPORT uint32_t PLVAPI GetMemoryCount(void) { return 0; }
