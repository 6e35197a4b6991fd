#include "def_import.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "definitions.h"
#include "ini_file.h"
#include "values.h"

namespace plvagent {
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

std::string SectionText(const RecordedDefinition &r, const std::string &name, const std::string &origin,
                        bool exact) {
    std::ostringstream text;
    text << "\r\n[" << name << "]\r\n";
    text << "; recorded " << r.date << " " << r.time << " on " << r.workstation << " for " << r.user
         << " (" << origin << ")\r\n";
    const auto key = [&](const char *name, const std::string &value) {
        if (!value.empty()) text << name << '=' << Quoted(value) << "\r\n";
    };
    key("FileName", r.fileName);
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

ImportResult ImportDefinitions(const std::vector<DefFile> &files, const ImportOptions &options,
                               std::vector<std::string> existingNames,
                               std::vector<std::string> existingFileNames) {
    ImportResult result;
    for (const DefFile &file : files) {
        std::istringstream lines(file.content);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            const std::string origin = file.shownName + ":" + std::to_string(number);
            if (Trimmed(line).empty() || line == "\r") continue;
            std::string why;
            const std::optional<RecordedDefinition> recorded = ParseDefLine(line, &why);
            if (!recorded) {
                result.skipped.push_back(origin + ": " + why);
                continue;
            }
            if (!options.programs.empty() && !Contains(options.programs, recorded->fileName)) continue;
            if (recorded->fileName.empty()) {
                result.skipped.push_back(origin + ": no program file name was recorded");
            } else if (Contains(existingFileNames, recorded->fileName)) {
                result.skipped.push_back(origin + ": " + recorded->fileName + " is defined already");
            } else {
                const std::string name = SectionName(*recorded, existingNames);
                result.sections += SectionText(*recorded, name, origin, options.exact);
                result.imported.push_back("[" + name + "] from " + origin);
                existingFileNames.push_back(recorded->fileName);
            }
        }
    }
    return result;
}

}  // namespace plvagent
