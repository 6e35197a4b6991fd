#include <cstring>
#include <string>

#include "core/library_state.h"
#include "core/text.h"
#include "monitor/sixteen_bit.h"
#include "platform/ascii.h"

namespace plv {
namespace {

// A name filter: the program's file name, lower-cased, against a host list,
// with a one-entry cache of the last name that passed.
bool IsIgnored(const char *path, void *list, char (&cache)[64]) {
    if (path == nullptr || path[0] == '\0') return false;
    std::string name = AfterLastBackslash(path);
    for (char &c : name) c = FoldAscii(c);
    if (EqualNoCase(name.c_str(), cache)) return false;
    for (auto *node = static_cast<PLVTextListNode *>(list); node != nullptr;
         node = static_cast<PLVTextListNode *>(node->next)) {
        if (node->text != nullptr && EqualNoCase(node->text, name.c_str())) return true;
    }
    LeftStr(cache, name.c_str(), sizeof cache - 1);
    return false;
}

}  // namespace

bool IsDOSProgramIgnored(const char *path) {
    return IsIgnored(path, Runtime().ignoredDosPrograms, sixteenBit.lastDosName);
}

bool Is16BitProgramIgnored(const char *path) {
    return IsIgnored(path, Runtime().ignored16BitPrograms, sixteenBit.last16BitName);
}

}  // namespace plv
