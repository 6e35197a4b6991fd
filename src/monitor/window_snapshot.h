// The top-level windows as one enumeration meets them, taken at most once a
// scan. On a desktop nearly every process is still waiting for a window (a
// daemon, a shell, a helper), and each would otherwise enumerate every window
// of the machine on every tick; with the snapshot a scan enumerates once and
// each waiting process looks up its own windows.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "platform/win32_api.h"

namespace plv {

// What a window without a title or a class answers for it.
inline constexpr char kNoTitle[] = "(no title)";
inline constexpr char kNoClass[] = "(no class)";

// What the main-window search reads of a parentless window, as the window
// calls answered it when the snapshot was taken.
struct SnapshotWindow {
    HWND window;
    DWORD processId;
    DWORD threadId;
    bool visible;
    char title[64];       // kNoTitle when the window had none
    char className[129];  // kNoClass when the window had none
};

// The parentless windows of one process, in enumeration order.
class ProcessWindows {
  public:
    using Entry = std::pair<DWORD, std::uint32_t>;

    class Iterator {
      public:
        Iterator(const Entry *at, const SnapshotWindow *windows) : at_(at), windows_(windows) {}
        const SnapshotWindow &operator*() const { return windows_[at_->second]; }
        Iterator &operator++() {
            ++at_;
            return *this;
        }
        bool operator!=(const Iterator &other) const { return at_ != other.at_; }

      private:
        const Entry *at_;
        const SnapshotWindow *windows_;
    };

    ProcessWindows(std::span<const Entry> entries, const SnapshotWindow *windows)
        : entries_(entries), windows_(windows) {}
    Iterator begin() const { return {entries_.data(), windows_}; }
    Iterator end() const { return {entries_.data() + entries_.size(), windows_}; }

  private:
    std::span<const Entry> entries_;
    const SnapshotWindow *windows_;
};

// The process's windows in the current scan's snapshot, which the first call
// of a scan takes with one enumeration.
ProcessWindows WindowsOfProcess(DWORD processId);

// Drops the snapshot and what it holds, as at load.
void ResetWindowSnapshotState();

}  // namespace plv
