// Application identification: the first definition in the host's list whose
// every criterion the candidate meets.
#include "monitor/identification.h"

#include "core/library_state.h"
#include "monitor/definition_match.h"
#include "monitor/new_definition.h"
#include "platform/ascii.h"
#include "usage/definition_files.h"

namespace plv {
namespace {

bool SameCandidate(const PLVCandidate &a, const PLVCandidate &b) {
    return a.processId == b.processId && a.threadId == b.threadId && a.window == b.window &&
           a.virtualDosMachine == b.virtualDosMachine &&
           EqualNoCase(FieldText(a.programPath), FieldText(b.programPath)) &&
           EqualNoCase(FieldText(a.title), FieldText(b.title)) &&
           EqualNoCase(FieldText(a.className), FieldText(b.className));
}

// The program path up to its last backslash (the whole path without one),
// with a backslash after a bare drive.
std::string DirectoryOf(const std::string &path) {
    const std::size_t slash = path.rfind('\\');
    std::string directory = slash == std::string::npos ? path : path.substr(0, slash);
    if (!directory.empty() && directory.back() == ':') directory += '\\';
    return directory;
}

}  // namespace

IdentificationState identification;

void ResetIdentificationState() { identification = IdentificationState{}; }

PLVAppDefinition *MatchAppDefinition(const PLVCandidate *candidate,
                                     PLVNewDefinition *newDefinition) {
    CandidateFacts facts;
    DescribeCandidate(*candidate, &facts);
    const bool recording = OptionSet(PLV_OPT_RECORD_DEFINITIONS);
    const std::string directory = recording ? DirectoryOf(facts.path) : std::string{};
    identification.fileFactsFetched = false;
    identification.versionFactsFetched = false;

    for (auto *definition = static_cast<PLVAppDefinition *>(Runtime().definitions);
         definition != nullptr; definition = static_cast<PLVAppDefinition *>(definition->next)) {
        if (MeetsDefinition(*definition, *candidate, &facts)) return definition;
    }
    if (recording) DescribeUnrecognised(*candidate, directory, &facts, newDefinition);
    return nullptr;
}

}  // namespace plv

extern "C" PLV_EXPORT PLVAppDefinition *PLVAPI PLVIdentifyApp(const PLVCandidate *candidate) {
    using namespace plv;
    if (candidate == nullptr) return nullptr;
    // With the shared timer the last answer stands for an identical
    // candidate, sparing the walk and the executable's file, while the host
    // keeps the list it was found in.
    if (OptionSet(PLV_OPT_SHARED_TIMER) &&
        SameCandidate(*candidate, identification.memoCandidate) &&
        Runtime().definitions == identification.memoDefinitions)
        return identification.memoResult;

    identification.memoCandidate = *candidate;
    identification.memoDefinitions = Runtime().definitions;
    PLVNewDefinition newDefinition{};
    identification.memoResult = MatchAppDefinition(candidate, &newDefinition);
    if (identification.memoResult == nullptr && OptionSet(PLV_OPT_RECORD_DEFINITIONS))
        RecordNewAppDef(newDefinition);
    return identification.memoResult;
}
