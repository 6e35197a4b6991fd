// The process table: one entry per running process (and per 16-bit task of
// an NT virtual DOS machine) that a scan has met.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

// The library's own record: it never crosses the interface, so it keeps its
// natural alignment, and the fields a scan reads of every entry on every
// tick come first, with the start of the title, in one cache line: a scan
// over thousands of entries is bound by the lines it touches.
struct ProcessEntry {
    void *next;
    DWORD processId;
    DWORD threadId;  // 0 for a whole process; a 16-bit task's thread otherwise
    HWND window;
    PLVMeteredApp *meteredApp;
    DWORD flags;
    std::uint32_t seenInScan;  // the scan that last met the process
    bool firstOfItsProcess;    // no earlier entry has this process id
    char title[64];
    char programPath[285];
};

constexpr DWORD kEntryIgnored = 0x1;
constexpr DWORD kEntryVirtualDosMachine = 0x4;

// The table is a library list in the order processes were first met. An
// index by process id, kept in that order, spares a scan from walking the
// table for every process it meets; and since the process list comes in
// much the same order every second, the entry after the last one found is
// tried first.
struct ProcessTableState {
    void *head = nullptr;
    ProcessEntry *tail = nullptr;
    ProcessEntry *lastFound = nullptr;
    std::unordered_map<DWORD, std::vector<ProcessEntry *>> byProcess;
    // Numbering the scans stands for a seen bit per entry: starting a scan
    // leaves every entry unseen without visiting it. With the entries counted,
    // a scan that met them all needs no removal pass.
    std::uint32_t scan = 0;
    std::size_t entries = 0;
    std::size_t seenInScan = 0;
};



extern ProcessTableState processTable;

inline bool SeenInThisScan(const ProcessEntry &entry) { return entry.seenInScan == processTable.scan; }

// Marks an entry of the table met by the current scan.
inline void MarkSeen(ProcessEntry *entry) {
    if (SeenInThisScan(*entry)) return;
    entry->seenInScan = processTable.scan;
    ++processTable.seenInScan;
}

// Starts a scan: every entry is unseen.
inline void StartScan() {
    ++processTable.scan;
    processTable.seenInScan = 0;
}

inline bool EveryEntrySeen() { return processTable.seenInScan == processTable.entries; }

void ResetProcessTableState();

// Trace identity: the process id, or process and task thread packed.
unsigned DisplayId(DWORD processId, DWORD threadId);

// A handle as the number trace lines print.
unsigned HandleNumber(const void *handle);

// The first entry with the process id and, when threadId is not 0, that thread.
ProcessEntry *FindEntry(DWORD processId, DWORD threadId);

// Appends a copy of the entry at the table's end; null when no memory.
ProcessEntry *AppendEntry(const ProcessEntry &entry);

// Unlinks and releases an entry whose predecessor is known (null: the first);
// false when the block could not be released (the entry is unlinked all the
// same, its block lost).
bool RemoveEntry(ProcessEntry *previous, ProcessEntry *entry);

// Releases every entry, stopping at a block that cannot be released.
void ReleaseProcessTable();

}  // namespace plv
