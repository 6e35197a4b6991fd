#include "monitor/process_table.h"

#include <algorithm>

namespace plv {

ProcessTableState processTable;

namespace {

void Unindex(ProcessEntry *entry, DWORD processId) {
    auto found = processTable.byProcess.find(processId);
    if (found == processTable.byProcess.end()) return;
    std::erase(found->second, entry);
    if (found->second.empty()) processTable.byProcess.erase(found);
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
    auto found = processTable.byProcess.find(processId);
    if (found == processTable.byProcess.end()) return nullptr;
    for (ProcessEntry *entry : found->second) {
        if (threadId == 0 || entry->threadId == threadId) return entry;
    }
    return nullptr;
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
    processTable.byProcess[node->processId].push_back(node);
    return node;
}

bool RemoveEntry(ProcessEntry *previous, ProcessEntry *entry) {
    void *next = entry->next;
    const DWORD processId = entry->processId;
    if (previous == nullptr) {
        processTable.head = next;
    } else {
        previous->next = next;
    }
    if (PLVMemFree(entry) != nullptr) {
        // Refused: put it back where it was, to be retried.
        if (previous == nullptr) {
            processTable.head = entry;
        } else {
            previous->next = entry;
        }
        return false;
    }
    if (processTable.tail == entry) processTable.tail = previous;
    Unindex(entry, processId);
    return true;
}

void ReleaseProcessTable() {
    while (processTable.head != nullptr) {
        if (!RemoveEntry(nullptr, static_cast<ProcessEntry *>(processTable.head))) return;
    }
}

}  // namespace plv
