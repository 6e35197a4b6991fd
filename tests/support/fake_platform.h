// A scriptable platform for tests: a world the test sets up and inspects,
// and failures it injects per call. It grows with the seam, one feature file
// at a time (fake_clock.cc, fake_heap.cc, fake_user.cc, ...).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plv::testing {

class FakePlatform : public Platform {
  public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- clock: local time at a fixed offset from UTC, no daylight saving
    struct Clock {
        std::int64_t now = 0;          // calendar seconds
        std::int32_t utcOffset = 0;    // seconds east of UTC
    } clock;
    void SetLocalTime(int year, int month, int day, int hour, int minute, int second);
    void AdvanceSeconds(std::int64_t seconds) { clock.now += seconds; }

    // ---- process and version
    DWORD processId = 0x1F4;
    struct Version {
        BOOL result = TRUE;
        DWORD platformId = VER_PLATFORM_WIN32_NT;
        DWORD sizeSeen = 0;  // size field of the last request
    } version;

    // ---- global heap
    struct Heap {
        int failNextAllocs = 0;          // this many allocations fail next
        std::set<HGLOBAL> refuseFree;    // blocks GlobalFree refuses
        std::map<HGLOBAL, SIZE_T> live;  // blocks handed out and not freed
        int frees = 0;
    } heap;

    // ---- host window and its list box 101
    struct ListBoxMessage {
        int controlId;
        UINT message;
        WPARAM wParam;
        std::string text;  // LB_ADDSTRING only
    };
    struct HostWindow {
        HWND handle = reinterpret_cast<HWND>(std::uintptr_t{0x2A0});
        bool getDcFails = false;
        bool extentFails = false;
        LONG charWidth = 7;
        int dcTaken = 0;
        int dcReleased = 0;
        std::vector<ListBoxMessage> messages;
    } host;
    // Texts of LB_ADDSTRING, in order.
    std::vector<std::string> ListBoxLines() const;
    // Widths sent with LB_SETHORIZONTALEXTENT, in order.
    std::vector<LONG> HorizontalExtents() const;

    // ---- seam
    DWORD GetCurrentProcessId() override;
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    HGLOBAL GlobalFree(HGLOBAL block) override;

    std::int64_t time() override;
    bool localtime(std::int64_t calendarTime, std::tm *local) override;
    std::int64_t mktime(std::tm *local) override;

    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) override;
    LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                LPARAM lParam) override;

  private:
    DWORD lastError_ = 0;
};

}  // namespace plv::testing
