// The rules by which Windows reads profile (.ini) files, on their text:
// sections and keys without regard to case, blanks around names and values
// trimmed, one pair of matching quotes around a value removed, lines that
// start with ';' ignored, no inline comments, the first of repeated keys
// winning, lists of names ended by an empty name and cut as Windows cuts
// them. The Linux platform and the test fake both read through them.
#pragma once

#include <string>

#include "platform/win32_api.h"

namespace plv {

// What GetPrivateProfileStringA answers, given the file's text (null when
// there is no such file).
DWORD ProfileString(const std::string *content, LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                    LPSTR buffer, DWORD size);

// The number GetPrivateProfileIntA reads from a value: an optional sign,
// then hexadecimal after "0x", octal after "0o", binary after "0b", else
// decimal, up to the first character that is no digit; modulo 2^32.
UINT ProfileInteger(const char *text);

}  // namespace plv
