// Fixed-field string routines. A destination given a count n has room for
// n + 1 bytes: the terminator always lands at position n.
#include <cstring>

#include "platform/ascii.h"
#include "plvlib32.h"

using plv::FoldAscii;

extern "C" PLV_EXPORT void PLVAPI LeftStr(char *destination, const char *source, uint32_t count) {
    if (destination == nullptr) return;
    if (source == nullptr || count == 0) {
        destination[0] = '\0';
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        destination[i] = source[i];
        if (source[i] == '\0') break;
    }
    destination[count] = '\0';
}

extern "C" PLV_EXPORT void PLVAPI RightStr(char *destination, const char *source, uint32_t count) {
    if (destination == nullptr) return;
    if (count != 0) {
        const std::size_t length = std::strlen(source);
        std::memmove(destination, source + (length - count), count);
    }
    destination[count] = '\0';
}

extern "C" PLV_EXPORT void PLVAPI MidStr(char *destination, const char *source, uint32_t start,
                                         uint32_t count) {
    if (destination == nullptr) return;
    if (count != 0) std::memmove(destination, source + start, count);
    destination[count] = '\0';
}

extern "C" PLV_EXPORT void PLVAPI strTrim(char *text) {
    if (text == nullptr) return;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
    std::size_t leading = 0;
    while (text[leading] == ' ') ++leading;
    if (leading > 0) std::memmove(text, text + leading, length - leading + 1);
}

extern "C" PLV_EXPORT char *PLVAPI ParseString(const char *source, const char *delimiter,
                                               char *destination, uint32_t count) {
    if (destination == nullptr) return nullptr;
    destination[0] = '\0';
    if (source == nullptr) return nullptr;
    LeftStr(destination, source, count);
    if (char *inField = std::strstr(destination, delimiter); inField != nullptr) *inField = '\0';
    const char *inSource = std::strstr(source, delimiter);
    const char *rest = inSource != nullptr ? inSource + std::strlen(delimiter)
                                           : source + std::strlen(source);
    return const_cast<char *>(rest);
}

// Searches the whole text, however long, folding ASCII letters only.
extern "C" PLV_EXPORT char *PLVAPI stristr(const char *text, const char *sought) {
    const std::size_t soughtLength = std::strlen(sought);
    for (const char *start = text; ; ++start) {
        std::size_t matched = 0;
        while (matched < soughtLength && start[matched] != '\0' &&
               FoldAscii(start[matched]) == FoldAscii(sought[matched])) {
            ++matched;
        }
        if (matched == soughtLength) return const_cast<char *>(start);
        if (*start == '\0') return nullptr;
    }
}
