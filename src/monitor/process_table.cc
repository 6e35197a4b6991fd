#include "monitor/process_table.h"

#include <algorithm>

namespace plv {

ProcessTableState processTable;

namespace {

void Unindex(ProcessEntry *entry, DWORD processId) {
    auto found = processTable.byProcess.find(processId);
    if (found == processTable.byProcess.end()) return;
    std::erase(found->second, entry);
    if (found->second.empty()) {
        processTable.byProcess.erase(found);
    } else {
        found->second.front()->firstOfItsProcess = true;
    }
}

// The entry the index would answer, when it is the one after the last found.
ProcessEntry *FoundInOrder(DWORD processId, DWORD threadId) {
    void *next = processTable.lastFound != nullptr ? processTable.lastFound->next : processTable.head;
    auto *entry = static_cast<ProcessEntry *>(next);
    if (entry == nullptr || entry->processId != processId) return nullptr;
    const bool answers = threadId == 0 ? entry->firstOfItsProcess : entry->threadId == threadId;
    return answers ? entry : nullptr;
}

ProcessEntry *FoundInIndex(DWORD processId, DWORD threadId) {
    auto found = processTable.byProcess.find(processId);
    if (found == processTable.byProcess.end()) return nullptr;
    for (ProcessEntry *entry : found->second) {
        if (threadId == 0 || entry->threadId == threadId) return entry;
    }
    return nullptr;
}

// What the table must know of an entry to let it go, read before its block
// is freed.
struct Departure {
    void *next;
    DWORD processId;
    bool seen;
};

Departure DepartureOf(const ProcessEntry &entry) {
    return {entry.next, entry.processId, SeenInThisScan(entry)};
}

// Takes an entry out of the list, the index and the counts; its block may
// be gone already.
void Forget(ProcessEntry *previous, ProcessEntry *entry, const Departure &departure) {
    if (previous == nullptr) {
        processTable.head = departure.next;
    } else {
        previous->next = departure.next;
    }
    if (processTable.tail == entry) processTable.tail = previous;
    if (processTable.lastFound == entry) processTable.lastFound = previous;
    --processTable.entries;
    if (departure.seen) --processTable.seenInScan;
    Unindex(entry, departure.processId);
}

}  // namespace

void ResetProcessTableState() { processTable = ProcessTableState{}; }

unsigned DisplayId(DWORD processId, DWORD threadId) {
    return static_cast<unsigned>(threadId == 0 ? processId : (processId << 16) | threadId);
}

unsigned HandleNumber(const void *handle) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle));
}

ProcessEntry *FindEntry(DWORD processId, DWORD threadId) {
    ProcessEntry *entry = FoundInOrder(processId, threadId);
    if (entry == nullptr) entry = FoundInIndex(processId, threadId);
    if (entry != nullptr) processTable.lastFound = entry;
    return entry;
}

ProcessEntry *AppendEntry(const ProcessEntry &entry) {
    auto *node = static_cast<ProcessEntry *>(PLVMemAlloc(sizeof entry));
    if (node == nullptr) return nullptr;
    *node = entry;
    node->next = nullptr;
    if (processTable.tail == nullptr) {
        processTable.head = node;
    } else {
        processTable.tail->next = node;
    }
    processTable.tail = node;
    std::vector<ProcessEntry *> &sameProcess = processTable.byProcess[node->processId];
    node->firstOfItsProcess = sameProcess.empty();
    sameProcess.push_back(node);
    ++processTable.entries;
    if (SeenInThisScan(*node)) ++processTable.seenInScan;
    return node;
}

bool RemoveEntry(ProcessEntry *previous, ProcessEntry *entry) {
    const Departure departure = DepartureOf(*entry);
    const bool released = PLVMemFree(entry) == nullptr;
    // Unlinked whether or not the block went back: an entry left in the
    // table would point at the application record its removal released.
    Forget(previous, entry, departure);
    return released;
}

void ReleaseProcessTable() {
    while (processTable.head != nullptr) {
        auto *entry = static_cast<ProcessEntry *>(processTable.head);
        const Departure departure = DepartureOf(*entry);
        // A refused block stops the release: it and its successors stay the table.
        if (PLVMemFree(entry) != nullptr) return;
        Forget(nullptr, entry, departure);
    }
}

}  // namespace plv
