// Memory blocks from the global heap and the singly linked lists built of
// them. Every list node begins with its link word.
#include <cstring>

#include "plvlib32.h"
#include "platform/platform.h"

namespace {

struct Node {
    Node *next;
};

Node *AsNode(void *block) { return static_cast<Node *>(block); }

// A record must at least hold its link word.
bool HoldsLinkWord(uint32_t size) { return size >= sizeof(Node); }

// Unlinks a node found on the list; false (nothing relinked) when it is not on it.
bool Unlink(void **head, Node *node) {
    Node *first = AsNode(*head);
    if (first == node) {
        *head = node->next;
        return true;
    }
    Node *previous = AsNode(FindPrevToMem(first, node));
    if (previous == nullptr || previous->next != node) return false;
    previous->next = node->next;
    return true;
}

}  // namespace

extern "C" PLV_EXPORT void *PLVAPI PLVMemAlloc(uint32_t size) {
    return plv::Os().GlobalAlloc(GPTR, size);
}

extern "C" PLV_EXPORT void *PLVAPI PLVMemFree(void *block) { return plv::Os().GlobalFree(block); }

extern "C" PLV_EXPORT void *PLVAPI PLVAppendToList(void **head, const void *record, uint32_t size) {
    if (!HoldsLinkWord(size)) return nullptr;
    Node *node = AsNode(PLVMemAlloc(size));
    if (node == nullptr) return nullptr;
    if (*head == nullptr) {
        *head = node;
    } else {
        AsNode(FindTailEntry(*head))->next = node;
    }
    std::memcpy(node, record, size);
    node->next = nullptr;
    return node;
}

extern "C" PLV_EXPORT void *PLVAPI PLVPrependToList(void **head, const void *record,
                                                    uint32_t size) {
    if (!HoldsLinkWord(size)) return nullptr;
    Node *node = AsNode(PLVMemAlloc(size));
    if (node == nullptr) return nullptr;
    std::memcpy(node, record, size);
    node->next = AsNode(*head);
    *head = node;
    return node;
}

extern "C" PLV_EXPORT int32_t PLVAPI PLVRemoveFromList(void **head, void *node) {
    if (*head == nullptr || node == nullptr) return 0;
    if (!Unlink(head, AsNode(node))) return 0;
    return PLVMemFree(node) == nullptr ? 1 : 0;
}

extern "C" PLV_EXPORT void *PLVAPI PLVExtractFromList(void **head, void *node) {
    if (*head == nullptr || node == nullptr) return nullptr;
    return Unlink(head, AsNode(node)) ? node : nullptr;
}

extern "C" PLV_EXPORT void *PLVAPI FindTailEntry(void *first) {
    Node *node = AsNode(first);
    if (node == nullptr) return nullptr;
    while (node->next != nullptr) node = node->next;
    return node;
}

extern "C" PLV_EXPORT void *PLVAPI FindPrevToMem(void *first, void *sought) {
    Node *previous = nullptr;
    for (Node *node = AsNode(first); node != nullptr && node != sought; node = node->next) {
        previous = node;
    }
    return previous;
}

extern "C" PLV_EXPORT int32_t PLVAPI RemoveLinkedList(void **head) {
    if (head == nullptr) return 0;
    Node *node = AsNode(*head);
    while (node != nullptr) {
        Node *next = node->next;
        if (PLVMemFree(node) != nullptr) {
            *head = node;
            return 0;
        }
        node = next;
    }
    *head = nullptr;
    return 1;
}

extern "C" PLV_EXPORT uint32_t PLVAPI GetMemoryCount(void) { return 0; }
