// The lines a real list box holds, as tests on Windows read them back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plv::testing {

inline std::vector<std::string> ListBoxLines(HWND dialog, int control) {
    std::vector<std::string> lines;
    const LRESULT count = ::SendDlgItemMessageA(dialog, control, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendDlgItemMessageA(dialog, control, LB_GETTEXTLEN, i, 0);
        std::string line(static_cast<std::size_t>(length), '\0');
        ::SendDlgItemMessageA(dialog, control, LB_GETTEXT, i,
                              reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line);
    }
    return lines;
}

}  // namespace plv::testing
