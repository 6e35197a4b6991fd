#include "monitor/new_definition.h"

#include <cstdio>
#include <cstring>

#include "time/date_time.h"

namespace plv {
namespace {

template <std::size_t Width>
void Fill(char (&field)[Width], std::string_view text) {
    LeftStr(field, std::string(text).c_str(), Width - 1);
}

// An emptied field keeps nothing of what it held.
template <std::size_t Width>
void Empty(char (&field)[Width]) {
    std::memset(field, 0, Width);
}

// "YYYYMMDD" of a file date; empty when there is no date.
void FormatFileDate(std::uint32_t fileDate, char (&field)[9]) {
    field[0] = '\0';
    if (fileDate == 0) return;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint16_t year = 0;
    JulianDayToDate(static_cast<std::int32_t>(fileDate / kSecondsPerDay) + kDayNumber1980, &month,
                    &day, &year);
    if (year == 0) return;
    char text[32];
    std::snprintf(text, sizeof text, "%04i%02i%02i", int{year}, int{month}, int{day});
    LeftStr(field, text, sizeof field - 1);
}

}  // namespace

void DescribeUnrecognised(const PLVCandidate &candidate, const std::string &directory,
                          CandidateFacts *facts, PLVNewDefinition *definition) {
    *definition = PLVNewDefinition{};
    Fill(definition->directory, directory);
    Fill(definition->fileName, facts->fileName);
    // No directory worth recording: a bare drive letter, a path without one,
    // or no path at all. The file name is compared whole, as the path holds it.
    const std::string_view kept = FieldText(definition->directory);
    if (kept.size() == 1 || kept == facts->fileName || kept == "(none)")
        Empty(definition->directory);
    if (FieldText(definition->fileName) == "(none)") Empty(definition->fileName);

    FileFactsReady(facts);
    definition->fileSize = facts->size;
    FormatFileDate(facts->date, definition->fileDate);

    Fill(definition->windowTitle, FieldText(candidate.title));
    Fill(definition->windowClass, FieldText(candidate.className));

    VersionFactsReady(facts);
    Fill(definition->productName, FieldText(facts->version.productName));
    Fill(definition->companyName, FieldText(facts->version.companyName));
    Fill(definition->productVersion, FieldText(facts->version.productVersion));
    definition->languageId = facts->version.languageId;
}

}  // namespace plv
