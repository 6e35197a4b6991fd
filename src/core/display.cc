#include "core/display.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "core/library_state.h"
#include "platform/platform.h"

namespace plv {
namespace {

DisplayState display;

constexpr std::size_t kLineBufferSize = 352;
constexpr char kContinuationIndent[] = "                  ";  // 18 blanks

// Appends as much of the text as fits, keeping room for the terminator.
std::size_t AppendCut(char *line, std::size_t used, const char *text) {
    const std::size_t room = kLineBufferSize - 1 - used;
    const std::size_t length = std::min(std::strlen(text), room);
    std::memcpy(line + used, text, length);
    line[used + length] = '\0';
    return used + length;
}

}  // namespace

void ResetDisplayState() { display = DisplayState{}; }

bool TraceOn() { return OptionSet(PLV_OPT_TRACE); }

void Trace(const char *format, ...) {
    if (!TraceOn()) return;
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length >= 0) {
        std::string text(static_cast<std::size_t>(length), '\0');
        std::vsnprintf(text.data(), text.size() + 1, format, args);
        Display(text.data());
    }
    va_end(args);
}

}  // namespace plv

using plv::Os;

extern "C" PLV_EXPORT void PLVAPI Display(char *text) {
    if (!plv::TraceOn()) return;

    // The workstation's clock, read as the time services read it.
    std::tm now{};
    plv::Os().localtime(plv::Os().time(), &now);
    char line[plv::kLineBufferSize];
    std::size_t used = static_cast<std::size_t>(
        std::snprintf(line, sizeof line, "%02d:%02d:%02d ", now.tm_hour, now.tm_min, now.tm_sec));

    HWND host = plv::core.hostWindow;
    HDC dc = Os().GetDC(host);
    if (dc == nullptr) return;

    char *current = text;
    while (current != nullptr) {
        char *lineFeed = std::strchr(current, '\n');
        if (lineFeed != nullptr) *lineFeed = '\0';
        used = plv::AppendCut(line, used, current);

        SIZE extent;
        if (Os().GetTextExtentPointA(dc, line, static_cast<int>(used), &extent) &&
            extent.cx > plv::display.widestLine) {
            Os().SendDlgItemMessageA(host, PLV_TRACE_LISTBOX_ID, LB_SETHORIZONTALEXTENT,
                                     static_cast<WPARAM>(extent.cx), 0);
            plv::display.widestLine = extent.cx;
        }
        Os().SendDlgItemMessageA(host, PLV_TRACE_LISTBOX_ID, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(line));

        current = lineFeed != nullptr ? lineFeed + 1 : nullptr;
        std::memcpy(line, plv::kContinuationIndent, sizeof plv::kContinuationIndent);
        used = sizeof plv::kContinuationIndent - 1;
    }
    Os().ReleaseDC(host, dc);
}

extern "C" PLV_EXPORT void PLVAPI DisplayExtraFn(void) {}
