// Facts of an executable that identification tests: its size and date, and
// the strings of its version resource.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "monitor/identification.h"
#include "platform/platform.h"
#include "time/date_time.h"

namespace plv {
namespace {

// A queried value of `length` bytes into a field, cut to the field; the value
// need not be terminated within its length.
template <std::size_t Width>
void CopyValue(char (&field)[Width], const void *value, UINT length) {
    const char *text = static_cast<const char *>(value);
    const std::size_t count = std::min<std::size_t>(strnlen(text, length), Width - 1);
    std::memcpy(field, text, count);
    field[count] = '\0';
}

template <std::size_t Width>
void QueryString(const void *block, const std::string &prefix, const char *name,
                 char (&field)[Width]) {
    void *value = nullptr;
    UINT length = 0;
    if (Os().VerQueryValueA(block, (prefix + name).c_str(), &value, &length) && length != 0)
        CopyValue(field, value, length);
}

int ReadVersionStrings(const char *path, DWORD handle, DWORD size, void *block,
                       VersionInfo *info) {
    if (!Os().GetFileVersionInfoA(path, handle, size, block)) return 0;

    void *translation = nullptr;
    UINT length = 0;
    // A table too short for one entry counts as none.
    if (!Os().VerQueryValueA(block, "\\VarFileInfo\\Translation", &translation, &length) ||
        length < 2 * sizeof(WORD))
        return 0;
    WORD language = 0;
    WORD codePage = 0;
    std::memcpy(&language, translation, sizeof language);
    std::memcpy(&codePage, static_cast<const char *>(translation) + sizeof language,
                sizeof codePage);

    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", unsigned{language},
                  unsigned{codePage});
    QueryString(block, prefix, "ProductVersion", info->productVersion);
    QueryString(block, prefix, "ProductName", info->productName);
    QueryString(block, prefix, "CompanyName", info->companyName);

    char languageName[64] = {};
    Os().VerLanguageNameA(language, languageName, sizeof languageName);
    LeftStr(info->languageName, languageName, sizeof info->languageName - 1);
    info->languageId = language;
    return 1;
}

int ReadVersionResource(const char *path, VersionInfo *info) {
    DWORD handle = 0;
    const DWORD size = Os().GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return 0;
    void *block = PLVMemAlloc(size);
    if (block == nullptr) return 0;
    const int result = ReadVersionStrings(path, handle, size, block, info);
    PLVMemFree(block);
    return result;
}

}  // namespace

int GetAppFileInfo(const char *path, std::uint32_t *size, std::uint32_t *fileDate) {
    *size = 0;
    *fileDate = 0;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Os().GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
    *size = data.nFileSizeLow;

    FILETIME local{};
    SYSTEMTIME calendar{};
    if (!Os().FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !Os().FileTimeToSystemTime(&local, &calendar))
        return 0;
    // Day numbers exist from 1980 to 2045 only; 0 covers the rest.
    const std::int32_t day = DateToJulianDay(static_cast<std::uint8_t>(calendar.wMonth),
                                             static_cast<std::uint8_t>(calendar.wDay),
                                             calendar.wYear);
    if (day <= kDayNumber1980) return 0;
    *fileDate = static_cast<std::uint32_t>(day - kDayNumber1980) * kSecondsPerDay;
    identification.fileFactsFetched = true;
    return 1;
}

int GetAppVersionInfo(const char *path, VersionInfo *info) {
    *info = VersionInfo{};
    const int result = ReadVersionResource(path, info);
    identification.versionFactsFetched = result == 1;
    return result;
}

}  // namespace plv
