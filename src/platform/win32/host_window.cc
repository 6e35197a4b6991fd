// The host program's window, as a Windows host owns it. Kept apart from the
// seam's files so that the library, which never creates windows, does not
// carry it.
#include "platform/win32/win32_platform.h"

namespace plv::win32 {
namespace {

constexpr char kHostWindowClass[] = "PLVHostWindow";

bool RegisterHostWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    if (::GetClassInfoA(instance, kHostWindowClass, &windowClass)) return true;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kHostWindowClass;
    return ::RegisterClassA(&windowClass) != 0;
}

}  // namespace

HWND CreateHostWindow(const std::string &title, int listBoxId) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterHostWindowClass(instance)) return nullptr;
    HWND window = ::CreateWindowExA(0, kHostWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                                    instance, nullptr);
    if (window == nullptr) return nullptr;
    HWND listBox = ::CreateWindowExA(
        0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
        0, 0, 640, 480, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(listBoxId)), instance,
        nullptr);
    if (listBox == nullptr) {
        ::DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void DestroyHostWindow(HWND window) { ::DestroyWindow(window); }

}  // namespace plv::win32
