// Version resources: the block GetFileVersionInfoA fills names its file, and
// VerQueryValueA answers from the resource registered for that file.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/fake_platform.h"

namespace plv::testing {

DWORD FakePlatform::GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    if (handle != nullptr) *handle = 0;
    if (versions.count(fileName) == 0) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(std::strlen(fileName) + 1 + 64);
}

BOOL FakePlatform::GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data) {
    const std::size_t needed = std::strlen(fileName) + 1;
    if (versions.count(fileName) == 0 || length < needed) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    std::memcpy(data, fileName, needed);
    return TRUE;
}

BOOL FakePlatform::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length) {
    auto found = versions.find(static_cast<const char *>(block));
    if (found == versions.end()) return FALSE;
    VersionResource &resource = found->second;
    if (std::strcmp(subBlock, "\\VarFileInfo\\Translation") == 0) {
        if (resource.translations.empty()) return FALSE;
        *buffer = resource.translations.data();
        *length = static_cast<UINT>(resource.translations.size() * 4);
        return TRUE;
    }
    auto value = resource.strings.find(subBlock);
    if (value == resource.strings.end()) return FALSE;
    *buffer = value->second.data();
    *length = static_cast<UINT>(value->second.size() + 1);
    return TRUE;
}

DWORD FakePlatform::VerLanguageNameA(DWORD language, LPSTR name, DWORD size) {
    const std::string text = language == 0x409 ? "English (United States)"
                             : language == 0x407 ? "German (Germany)"
                                                 : "Unknown language";
    if (name == nullptr || size == 0) return static_cast<DWORD>(text.size());
    const DWORD copied = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
    std::memcpy(name, text.data(), copied);
    name[copied] = '\0';
    return copied;
}

}  // namespace plv::testing
