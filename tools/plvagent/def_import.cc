#include "def_import.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "definitions.h"
#include "ini_file.h"
#include "platform/ascii.h"
#include "values.h"

namespace plvagent {

using plv::UpperAsciiText;

namespace {

bool Contains(const std::vector<std::string> &names, const std::string &name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string &known) { return SameName(known, name); });
}

// A value the profile calls read back as it is: quoted when blanks at its
// ends or a leading quote would be lost.
std::string Quoted(const std::string &value) {
    const bool needsQuotes = !value.empty() && (value.front() == ' ' || value.back() == ' ' ||
                                                value.front() == '"' || value.front() == '\'');
    return needsQuotes ? '"' + value + '"' : value;
}

// Brackets would end the section line early.
std::string SectionName(const RecordedDefinition &recorded, std::vector<std::string> &taken) {
    std::string base = recorded.product.empty() ? recorded.fileName : recorded.product;
    std::replace(base.begin(), base.end(), '[', '(');
    std::replace(base.begin(), base.end(), ']', ')');
    base = Trimmed(base).substr(0, kDefinitionNameRoom - 6);
    std::string name = base;
    for (int copy = 2; Contains(taken, name); ++copy) name = base + " (" + std::to_string(copy) + ")";
    taken.push_back(name);
    return name;
}

// The reason a criterion the section would hold does not fit its definition
// field, which the definitions reader refuses; empty when all fit. The
// library records no longer field, but a line made by hand or elsewhere may.
std::string TooLongCriterion(const RecordedDefinition &r, bool exact) {
    const struct {
        const char *key;
        const std::string &value;
        std::size_t room;
        bool written;
    } criteria[] = {
        // A file name too long for the FileName criterion is written as Class.
        {"Class", r.fileName, sizeof PLVAppDefinition::classText - 1, true},
        {"Product", r.product, sizeof PLVAppDefinition::productName - 1, true},
        {"Company", r.company, sizeof PLVAppDefinition::companyName - 1, true},
        {"Version", r.version, kDefinitionVersionRoom, exact},
    };
    for (const auto &c : criteria)
        if (c.written && c.value.size() > c.room)
            return std::string(c.key) + " is longer than a definition holds (" +
                   std::to_string(c.room) + " characters)";
    return {};
}

std::string SectionText(const RecordedDefinition &r, const std::string &name, const std::string &origin,
                        bool exact) {
    std::ostringstream text;
    text << "\r\n[" << name << "]\r\n";
    text << "; recorded " << r.date << " " << r.time << " on " << r.workstation << " for " << r.user
         << " (" << origin << ")\r\n";
    const auto key = [&](const char *name, const std::string &value) {
        if (!value.empty()) text << name << '=' << Quoted(value) << "\r\n";
    };
    key(r.fileName.size() < kRecordedFileNameRoom ? "FileName" : "Class", r.fileName);
    key("Product", r.product);
    key("Company", r.company);
    if (exact) {
        key("Directory", r.directory);
        key("SizeTest", "E");
        key("SizeBound1", std::to_string(r.fileSize));
        if (!r.fileDate.empty()) {
            key("DateTest", "E");
            key("DateBound1", r.fileDate);
        }
        key("Version", r.version);
        if (r.language != 0) {
            char language[8];
            std::snprintf(language, sizeof language, "%04x", r.language);
            key("Language", language);
        }
    }
    return text.str();
}

}  // namespace

ImportResult ImportDefinitions(const std::vector<DefFile> &files, std::vector<Candidate> candidates,
                               const ImportOptions &options, std::vector<std::string> existingNames,
                               std::vector<std::string> existingFileNames) {
    ImportResult result;
    // In file order, each line read or why not; the candidates after them.
    struct Read {
        std::string origin;
        std::optional<RecordedDefinition> recorded;
        std::string why;
    };
    std::vector<Read> read;
    for (const DefFile &file : files) {
        std::istringstream lines(file.content);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            if (Trimmed(line).empty() || line == "\r") continue;
            Read entry{file.shownName + ":" + std::to_string(number), {}, {}};
            entry.recorded = ParseDefLine(line, &entry.why);
            read.push_back(std::move(entry));
        }
    }
    for (Candidate &c : candidates) read.push_back({std::move(c.origin), std::move(c.recorded), {}});

    // The workstations each program was recorded on, by its name in capitals.
    std::map<std::string, std::set<std::string>> workstationsOf;
    for (const Read &r : read)
        if (r.recorded)
            workstationsOf[UpperAsciiText(r.recorded->fileName)].insert(
                UpperAsciiText(r.recorded->workstation));
    std::set<std::string> tooFew;  // told once
    for (const Read &c : read) {
        if (!c.recorded) {
            result.skipped.push_back(c.origin + ": " + c.why);
            continue;
        }
        const RecordedDefinition &recorded = *c.recorded;
        if (!options.programs.empty() && !Contains(options.programs, recorded.fileName)) continue;
        const std::size_t workstations = workstationsOf[UpperAsciiText(recorded.fileName)].size();
        const std::string tooLong = TooLongCriterion(recorded, options.exact);
        if (recorded.fileName.empty()) {
            result.skipped.push_back(c.origin + ": no program file name was recorded");
        } else if (!tooLong.empty()) {
            result.skipped.push_back(c.origin + ": " + tooLong);
        } else if (Contains(existingFileNames, recorded.fileName)) {
            result.skipped.push_back(c.origin + ": " + recorded.fileName + " is defined already");
        } else if (workstations < options.minWorkstations) {
            if (tooFew.insert(UpperAsciiText(recorded.fileName)).second)
                result.skipped.push_back(c.origin + ": " + recorded.fileName + " was recorded on " +
                                         std::to_string(workstations) + " workstation(s), fewer than " +
                                         std::to_string(options.minWorkstations));
        } else {
            const std::string name = SectionName(recorded, existingNames);
            result.sections += SectionText(recorded, name, c.origin, options.exact);
            result.imported.push_back("[" + name + "] from " + c.origin);
            existingFileNames.push_back(recorded.fileName);
        }
    }
    return result;
}

}  // namespace plvagent
