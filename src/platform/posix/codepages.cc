// The ANSI code page is Windows-1252.
#include <cstring>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest equal their Unicode code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Cp1252ToUnicode(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : char16_t{byte};
}

}  // namespace

int PosixPlatform::MultiByteToWideChar(UINT codePage, DWORD, LPCCH multiByte,
                                       int multiByteLength, LPWSTR wide, int wideLength) {
    if (codePage != CP_ACP || multiByte == nullptr || wideLength < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A length of -1 means the text and its terminator.
    const int count = multiByteLength < 0 ? static_cast<int>(std::strlen(multiByte)) + 1
                                          : multiByteLength;
    if (wideLength == 0) return count;
    if (count > wideLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        wide[i] = Cp1252ToUnicode(static_cast<unsigned char>(multiByte[i]));
    }
    return count;
}

}  // namespace plv::posix
