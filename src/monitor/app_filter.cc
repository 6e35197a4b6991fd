#include "monitor/app_filter.h"

#include <cstring>

#include "core/library_state.h"
#include "core/text.h"
#include "platform/ascii.h"
#include "usage/metered_apps.h"

namespace plv {
namespace {

FilterState filters;

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
    if (filters.programs.Ignores(Runtime().ignoredPrograms, name)) return 1;
    return filters.classes.Ignores(Runtime().ignoredClasses, candidate->className) ? 1 : 0;
}

extern "C" PLV_EXPORT PLVMeteredApp *PLVAPI IsAppAuthorized(uint32_t processId, uint32_t threadId) {
    for (auto *record = static_cast<PLVMeteredApp *>(Runtime().meteredApps); record != nullptr;
         record = static_cast<PLVMeteredApp *>(record->next)) {
        if (record->processId == processId && (threadId == 0 || record->threadId == threadId))
            return record;
    }
    return nullptr;
}
