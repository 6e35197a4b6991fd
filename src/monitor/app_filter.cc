#include "monitor/app_filter.h"

#include <cstring>

#include "core/library_state.h"
#include "core/text.h"
#include "platform/ascii.h"
#include "usage/metered_apps.h"

namespace plv {
namespace {

FilterState filters;

bool OnTextList(void *list, const char *text, bool ignoreCase) {
    for (auto *node = static_cast<PLVTextListNode *>(list); node != nullptr;
         node = static_cast<PLVTextListNode *>(node->next)) {
        if (node->text == nullptr) continue;
        if (ignoreCase ? EqualNoCase(node->text, text) : std::strcmp(node->text, text) == 0)
            return true;
    }
    return false;
}

}  // namespace

void ResetFilterState() { filters = FilterState{}; }

bool IsKnownProgram(const PLVCandidate *candidate) {
    const char *path = candidate->programPath;
    const char *colon = std::strchr(path, ':');
    const char *name = AfterLastBackslash(colon != nullptr ? colon + 1 : path);
    for (auto *definition = static_cast<PLVAppDefinition *>(Runtime().definitions);
         definition != nullptr; definition = static_cast<PLVAppDefinition *>(definition->next)) {
        if (definition->fileName[0] != '\0' && EqualNoCase(definition->fileName, name))
            return true;
    }
    return false;
}

PLVMeteredApp *AdmitCandidate(PLVCandidate *candidate) {
    if (PLVIdentifyApp(candidate) == nullptr && !OptionSet(PLV_OPT_UNDEFINED_APPS)) return nullptr;
    // The candidate's address is that of its program path: the name admitted.
    return AuthorizeApp(static_cast<HWND>(candidate->window), 0, candidate->programPath);
}

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT int32_t PLVAPI IsFilteredApp(const PLVCandidate *candidate) {
    const char *name = AfterLastBackslash(candidate->programPath);
    if (!EqualNoCase(name, filters.lastProgramName)) {
        if (OnTextList(Runtime().ignoredPrograms, name, true)) return 1;
        LeftStr(filters.lastProgramName, name, sizeof filters.lastProgramName - 1);
    }
    if (std::strcmp(candidate->className, filters.lastClassName) != 0) {
        if (OnTextList(Runtime().ignoredClasses, candidate->className, false)) return 1;
        LeftStr(filters.lastClassName, candidate->className, sizeof filters.lastClassName - 1);
    }
    return 0;
}

extern "C" PLV_EXPORT PLVMeteredApp *PLVAPI IsAppAuthorized(uint32_t processId, uint32_t threadId) {
    for (auto *record = static_cast<PLVMeteredApp *>(Runtime().meteredApps); record != nullptr;
         record = static_cast<PLVMeteredApp *>(record->next)) {
        if (record->processId == processId && (threadId == 0 || record->threadId == threadId))
            return record;
    }
    return nullptr;
}
