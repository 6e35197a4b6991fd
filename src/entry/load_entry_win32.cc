// The library's load notification on Windows: the loader calls DllMain.
#include "entry/library_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    return plv::LibraryEntry(instance, reason);
}
