// Version resources. Files here carry none until executables' resources are
// read; language names come from a table of the common ones.
#include <cstdio>
#include <cstring>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

struct LanguageName {
    DWORD language;
    const char *name;
};

constexpr LanguageName kLanguages[] = {
    {0x0000, "Language Neutral"},         {0x0407, "German (Germany)"},
    {0x0409, "English (United States)"},  {0x040A, "Spanish (Traditional Sort)"},
    {0x040C, "French (France)"},          {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese (Japan)"},         {0x0413, "Dutch (Netherlands)"},
    {0x0416, "Portuguese (Brazil)"},      {0x041D, "Swedish (Sweden)"},
    {0x0809, "English (United Kingdom)"}, {0x0C0A, "Spanish (Spain)"},
};

}  // namespace

DWORD PosixPlatform::GetFileVersionInfoSizeA(LPCSTR, LPDWORD handle) {
    if (handle != nullptr) *handle = 0;
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
}

BOOL PosixPlatform::GetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}

BOOL PosixPlatform::VerQueryValueA(LPCVOID, LPCSTR, LPVOID *buffer, PUINT length) {
    if (buffer != nullptr) *buffer = nullptr;
    if (length != nullptr) *length = 0;
    return FALSE;
}

// Copies what fits and answers the number of characters copied.
DWORD PosixPlatform::VerLanguageNameA(DWORD language, LPSTR name, DWORD size) {
    const char *text = "Unknown language";
    for (const LanguageName &entry : kLanguages) {
        if (entry.language == language) text = entry.name;
    }
    const DWORD length = static_cast<DWORD>(std::strlen(text));
    if (name == nullptr || size == 0) return length;
    const DWORD copied = length < size ? length : size - 1;
    std::memcpy(name, text, copied);
    name[copied] = '\0';
    return copied;
}

}  // namespace plv::posix
