// Application identification against the host's definitions.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

// File facts and version facts of an executable, fetched at most once per
// identification.
struct VersionInfo {
    char productName[36];
    char companyName[36];
    char productVersion[9];
    char languageName[9];
    std::uint32_t languageId;
};

struct IdentificationState {
    PLVCandidate memoCandidate{};
    PLVAppDefinition *memoResult = nullptr;
    void *memoDefinitions = nullptr;  // the list head the answer was found in
    bool fileFactsFetched = false;
    bool versionFactsFetched = false;
};

extern IdentificationState identification;

void ResetIdentificationState();

// The first definition the candidate meets, or null; with the
// definition-recording flag set, a null result fills the new definition.
PLVAppDefinition *MatchAppDefinition(const PLVCandidate *candidate,
                                     PLVNewDefinition *newDefinition);

// 1 when both the size and a date after 1 January 1980 were obtained.
int GetAppFileInfo(const char *path, std::uint32_t *size, std::uint32_t *fileDate);

// 1 when the version resource and its translation table were read.
int GetAppVersionInfo(const char *path, VersionInfo *info);

}  // namespace plv
