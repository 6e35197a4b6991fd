// The ANSI code page is Windows-1252, the OEM code page 437.
#include <cstring>

#include "platform/posix/ansi_text.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// Code page 437 bytes 0x80 to 0xFF in code page 1252. Characters 1252 lacks
// (box drawing, Greek letters, mathematical signs) become what Windows' best
// fit makes of them: '+' and '-' for corners and lines, the broken bar for
// upright lines and blocks, a near letter or sign for the rest.
constexpr unsigned char kOem437ToAnsi[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 'P',  0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, '+',  '+',  0xA6, 0xA6, '+',  '+',  '+',  '+',  '+',
    '+',  '-',  '-',  '+',  '-',  '+',  0xA6, 0xA6, '+',  '+',  '-',  '-',  0xA6, '-',  '+',  '-',
    '-',  '-',  '-',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  0xA6, '_',  0xA6, 0xA6, 0xAF,
    'a',  0xDF, 'G',  'p',  'S',  's',  0xB5, 't',  'F',  'T',  'O',  'd',  '8',  'f',  'e',  'n',
    '=',  0xB1, '=',  '=',  '(',  ')',  0xF7, 0x98, 0xB0, 0xB7, 0xB7, 'v',  'n',  0xB2, 0xA6, 0xA0,
};

}  // namespace

// Bytes below 0x80 are the same in both code pages. Source and destination
// may be the same buffer.
BOOL PosixPlatform::OemToCharA(LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (;; ++source, ++destination) {
        const auto byte = static_cast<unsigned char>(*source);
        *destination = static_cast<char>(byte < 0x80 ? byte : kOem437ToAnsi[byte - 0x80]);
        if (byte == 0) return TRUE;
    }
}

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
        wide[i] = UnicodeOfAnsiByte(static_cast<unsigned char>(multiByte[i]));
    }
    return count;
}

}  // namespace plv::posix
