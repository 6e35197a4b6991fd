#include "process_ids.h"

namespace plv::companions {

bool ProcessIds::Refresh() {
    Clear();
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        // The idle process has id 0, which would end the walk at its start.
        if (entry.th32ProcessID != 0) ids_.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return true;
}

DWORD ProcessIds::Next() { return position_ < ids_.size() ? ids_[position_++] : 0; }

void ProcessIds::Clear() {
    ids_.clear();
    position_ = 0;
}

}  // namespace plv::companions
