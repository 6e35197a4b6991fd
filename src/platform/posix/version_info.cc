// Version resources: read from Windows executables (PE32 and PE32+); other
// files have none. Language names come from a table of the common ones.
#include <cstring>
#include <string>

#include "platform/posix/paths.h"
#include "platform/posix/pe_version.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/version_block.h"

namespace plv::posix {
namespace {

VersionResource ReadVersionResourceOf(LPCSTR fileName) {
    std::string hostPath;
    const DWORD error = HostPathOf(fileName, &hostPath);
    if (error != ERROR_SUCCESS) return VersionResource{error, {}};
    return ReadVersionResource(hostPath);
}

struct LanguageName {
    DWORD language;
    const char *name;
};

constexpr LanguageName kLanguages[] = {
    {0x0000, "Language Neutral"},
    {0x0401, "Arabic (Saudi Arabia)"},
    {0x0403, "Catalan (Catalan)"},
    {0x0404, "Chinese (Traditional, Taiwan)"},
    {0x0405, "Czech (Czech Republic)"},
    {0x0406, "Danish (Denmark)"},
    {0x0407, "German (Germany)"},
    {0x0408, "Greek (Greece)"},
    {0x0409, "English (United States)"},
    {0x040A, "Spanish (Traditional Sort)"},
    {0x040B, "Finnish (Finland)"},
    {0x040C, "French (France)"},
    {0x040D, "Hebrew (Israel)"},
    {0x040E, "Hungarian (Hungary)"},
    {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese (Japan)"},
    {0x0412, "Korean (Korea)"},
    {0x0413, "Dutch (Netherlands)"},
    {0x0415, "Polish (Poland)"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0419, "Russian (Russia)"},
    {0x041D, "Swedish (Sweden)"},
    {0x041F, "Turkish (Turkey)"},
    {0x0804, "Chinese (Simplified, PRC)"},
    {0x0807, "German (Switzerland)"},
    {0x0809, "English (United Kingdom)"},
    {0x080C, "French (Belgium)"},
    {0x0813, "Dutch (Belgium)"},
    {0x0816, "Portuguese (Portugal)"},
    {0x0C07, "German (Austria)"},
    {0x0C09, "English (Australia)"},
    {0x0C0A, "Spanish (Spain)"},
    {0x0C0C, "French (Canada)"},
    {0x1009, "English (Canada)"},
};

}  // namespace

DWORD PosixPlatform::GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    if (handle != nullptr) *handle = 0;
    const VersionResource resource = ReadVersionResourceOf(fileName);
    if (resource.error != ERROR_SUCCESS) {
        SetLastError(resource.error);
        return 0;
    }
    return VersionBlockSize(resource.bytes);
}

// The file is read again, as Windows does. A buffer shorter than the size
// answered above is refused rather than filled with a block cut short.
BOOL PosixPlatform::GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data) {
    const VersionResource resource = ReadVersionResourceOf(fileName);
    if (resource.error != ERROR_SUCCESS) {
        SetLastError(resource.error);
        return FALSE;
    }
    if (data == nullptr || length < VersionBlockSize(resource.bytes)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    WriteVersionBlock(resource.bytes, data);
    return TRUE;
}

BOOL PosixPlatform::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length) {
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr ||
        !QueryVersionBlock(block, subBlock, buffer, length)) {
        if (buffer != nullptr) *buffer = nullptr;
        if (length != nullptr) *length = 0;
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
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
