#include <fstream>
#include <sstream>

#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"
#include "platform/profile_text.h"

namespace plv::posix {
namespace {

bool ReadWhole(LPCSTR fileName, std::string *content) {
    std::string path;
    if (fileName == nullptr || HostPathOf(fileName, &path) != ERROR_SUCCESS) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    *content = text.str();
    return true;
}

}  // namespace

DWORD PosixPlatform::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                              LPSTR buffer, DWORD size, LPCSTR fileName) {
    std::string content;
    const bool found = ReadWhole(fileName, &content);
    const DWORD result = ProfileString(found ? &content : nullptr, section, key, defaultValue, buffer, size);
    if (!found) SetLastError(ERROR_FILE_NOT_FOUND);
    return result;
}

UINT PosixPlatform::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                          LPCSTR fileName) {
    char text[32];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
        return static_cast<UINT>(defaultValue);
    return ProfileInteger(text);
}

}  // namespace plv::posix
