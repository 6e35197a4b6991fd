// The process table: one entry per running process (and per 16-bit task of
// an NT virtual DOS machine) that a scan has met.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

#pragma pack(push, 1)
struct ProcessEntry {
    void *next;
    DWORD processId;
    DWORD threadId;  // 0 for a whole process; a 16-bit task's thread otherwise
    HWND window;
    char title[64];
    char programPath[285];
    DWORD flags;
    PLVMeteredApp *meteredApp;
};
#pragma pack(pop)

constexpr DWORD kEntryIgnored = 0x1;
constexpr DWORD kEntrySeen = 0x2;
constexpr DWORD kEntryVirtualDosMachine = 0x4;

// The table is a library list in the order processes were first met. An
// index by process id, kept in that order, spares a scan from walking the
// table for every process it meets.
struct ProcessTableState {
    void *head = nullptr;
    ProcessEntry *tail = nullptr;
    std::unordered_map<DWORD, std::vector<ProcessEntry *>> byProcess;
};

extern ProcessTableState processTable;

void ResetProcessTableState();

// Trace identity: the process id, or process and task thread packed, as the
// number trace lines print (DWORD is unsigned long on Windows).
unsigned DisplayId(DWORD processId, DWORD threadId);

// A handle as the number trace lines print.
unsigned HandleNumber(const void *handle);

// The first entry with the process id and, when threadId is not 0, that thread.
ProcessEntry *FindEntry(DWORD processId, DWORD threadId);

// Appends a copy of the entry at the table's end; null when no memory.
ProcessEntry *AppendEntry(const ProcessEntry &entry);

// Unlinks and releases an entry whose predecessor is known (null: the first);
// false when the block could not be released (the entry stays linked).
bool RemoveEntry(ProcessEntry *previous, ProcessEntry *entry);

// Releases every entry, stopping at a block that cannot be released.
void ReleaseProcessTable();

}  // namespace plv
