// Profile reads over the fake's files, by the same rules as Windows reads
// them (platform/profile_text.h).
#include "platform/profile_text.h"
#include "support/fake_platform.h"

namespace plv::testing {

DWORD FakePlatform::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                             LPSTR buffer, DWORD size, LPCSTR fileName) {
    const File *file = fileName ? FindFile(fileName) : nullptr;
    const DWORD result =
        ProfileString(file ? &file->data : nullptr, section, key, defaultValue, buffer, size);
    if (file == nullptr) SetLastError(ERROR_FILE_NOT_FOUND);
    return result;
}

UINT FakePlatform::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                         LPCSTR fileName) {
    char text[32];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
        return static_cast<UINT>(defaultValue);
    return ProfileInteger(text);
}

}  // namespace plv::testing
