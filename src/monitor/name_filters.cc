#include "core/library_state.h"
#include "core/text.h"
#include "monitor/sixteen_bit.h"

namespace plv {
namespace {

// A name filter: the program's file name against a host list.
bool IsIgnored(const char *path, const void *list, IgnoreList<64> &filter) {
    if (path == nullptr || path[0] == '\0') return false;
    return filter.Ignores(list, AfterLastBackslash(path));
}

}  // namespace

bool IsDOSProgramIgnored(const char *path) {
    return IsIgnored(path, Runtime().ignoredDosPrograms, sixteenBit.dosPrograms);
}

bool Is16BitProgramIgnored(const char *path) {
    return IsIgnored(path, Runtime().ignored16BitPrograms, sixteenBit.sixteenBitPrograms);
}

}  // namespace plv
