#include "monitor/definition_match.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {
namespace {

constexpr std::uint8_t kWindowAndVersionKind = 2;

bool Empty(const char *field) { return field[0] == '\0'; }

bool ContainsNoCase(std::string_view text, std::string_view sought) {
    return stristr(std::string(text).c_str(), std::string(sought).c_str()) != nullptr;
}

// a. A definition whose window and version criteria apply must name the
// application somehow; size, date and location alone would meet everything.
bool NamesNothing(const PLVAppDefinition &d) {
    return d.kind == kWindowAndVersionKind && Empty(d.fileName) && Empty(d.directory) &&
           Empty(d.titleText) && Empty(d.classText) && Empty(d.productName) &&
           Empty(d.companyName) && Empty(d.productVersion) && d.languageId == 0;
}

// c. The directory and the file name, sought anywhere in the path; without a
// drive in the criterion the path's drive is left out.
bool InDirectory(const PLVAppDefinition &d, const CandidateFacts &facts) {
    std::string search(FieldText(d.directory));
    if (search.back() != '\\') search += '\\';
    search += Empty(d.fileName) ? facts.fileName : FieldText(d.fileName);

    std::string path = facts.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (search[1] != ':' && path.size() >= 2 && path[1] == ':') path.erase(0, 2);
    return ContainsNoCase(path, search);
}

bool IsBoundTest(char test) { return test == 'E' || test == 'L' || test == 'G' || test == 'B'; }

// d and e, unsigned.
bool WithinBounds(char test, std::uint32_t value, std::uint32_t bound1, std::uint32_t bound2) {
    switch (test) {
    case 'E':
        return value == bound1;
    case 'L':
        return value < bound1;
    case 'G':
        return value > bound1;
    default:  // 'B'
        return bound1 <= value && value <= bound2;
    }
}

// f. Case counts. A position beyond the end of the title fails without
// reading past it.
bool TitleMatches(const PLVAppDefinition &d, const PLVCandidate &candidate) {
    const std::string_view text = FieldText(d.titleText);
    const std::string_view title = FieldText(candidate.title);
    if (d.titlePosition == 0) return title.find(text) != std::string_view::npos;
    const std::size_t start = d.titlePosition - 1u;
    return start <= title.size() && title.substr(start).starts_with(text);
}

// h. Each non-empty version criterion is a prefix of the fetched string.
template <std::size_t Width, std::size_t FactWidth>
bool VersionStringMatches(const char (&criterion)[Width], const char (&fact)[FactWidth],
                          CandidateFacts *facts) {
    if (Empty(criterion)) return true;
    return VersionFactsReady(facts) && StartsWithNoCase(FieldText(fact), FieldText(criterion));
}

bool WindowAndVersionMatch(const PLVAppDefinition &d, const PLVCandidate &candidate,
                           CandidateFacts *facts) {
    if (!Empty(d.titleText) && !TitleMatches(d, candidate)) return false;
    if (!Empty(d.classText) && !ContainsNoCase(FieldText(candidate.className), FieldText(d.classText)))
        return false;
    if (!VersionStringMatches(d.productName, facts->version.productName, facts) ||
        !VersionStringMatches(d.companyName, facts->version.companyName, facts) ||
        !VersionStringMatches(d.productVersion, facts->version.productVersion, facts))
        return false;
    const std::uint32_t language = d.languageId;
    return language == 0 || (VersionFactsReady(facts) && facts->version.languageId == language);
}

// j. A root that cannot be determined counts as remote.
bool LocationMatches(char location, const CandidateFacts &facts) {
    if (location == 'N') return PLVGetDriveType(facts.path.c_str()) == DRIVE_REMOTE;
    if (location == 'L') return PLVGetDriveType(facts.path.c_str()) != DRIVE_REMOTE;
    return true;
}

}  // namespace

void DescribeCandidate(const PLVCandidate &candidate, CandidateFacts *facts) {
    facts->path = FieldText(candidate.programPath);
    std::string_view name = facts->path;
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    if (const std::size_t slash = name.rfind('\\'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    facts->fileName = name;
}

bool FileFactsReady(CandidateFacts *facts) {
    if (!identification.fileFactsFetched)
        GetAppFileInfo(facts->path.c_str(), &facts->size, &facts->date);
    return identification.fileFactsFetched;
}

bool VersionFactsReady(CandidateFacts *facts) {
    if (!identification.versionFactsFetched) GetAppVersionInfo(facts->path.c_str(), &facts->version);
    return identification.versionFactsFetched;
}

bool MeetsDefinition(const PLVAppDefinition &d, const PLVCandidate &candidate,
                     CandidateFacts *facts) {
    if (NamesNothing(d)) return false;
    if (!Empty(d.fileName) && !EqualNoCase(FieldText(d.fileName), facts->fileName)) return false;
    if (!Empty(d.directory) && !InDirectory(d, *facts)) return false;
    if (IsBoundTest(d.sizeTest) &&
        !(FileFactsReady(facts) && WithinBounds(d.sizeTest, facts->size, d.sizeBound1, d.sizeBound2)))
        return false;
    if (IsBoundTest(d.dateTest) &&
        !(FileFactsReady(facts) && WithinBounds(d.dateTest, facts->date, d.dateBound1, d.dateBound2)))
        return false;
    if (d.kind == kWindowAndVersionKind && !WindowAndVersionMatch(d, candidate, facts)) return false;
    return LocationMatches(d.location, *facts);
}

}  // namespace plv
