// The pieces of identification: what is known of the candidate and the tests
// of one definition.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "monitor/identification.h"
#include "plvlib32.h"

namespace plv {

// A fixed text field as text, ending at its terminator or at the field's end.
template <std::size_t Width>
std::string_view FieldText(const char (&field)[Width]) {
    return {field, strnlen(field, Width)};
}

// The candidate as identification sees it, and the facts of its executable,
// fetched when a test first needs them and then reused.
struct CandidateFacts {
    std::string path;  // the program path
    std::string fileName;
    std::uint32_t size = 0;
    std::uint32_t date = 0;
    VersionInfo version{};
};

// The program path and its file name: after the first ':' if any, then after
// the last backslash if any.
void DescribeCandidate(const PLVCandidate &candidate, CandidateFacts *facts);

// True when the file facts (size and date) are at hand, fetching them if
// this identification has not yet done so successfully.
bool FileFactsReady(CandidateFacts *facts);
bool VersionFactsReady(CandidateFacts *facts);

// Tests a to j, in order; true when the candidate meets every criterion.
bool MeetsDefinition(const PLVAppDefinition &definition, const PLVCandidate &candidate,
                     CandidateFacts *facts);

}  // namespace plv
