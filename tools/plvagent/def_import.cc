#include "def_import.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "definitions.h"
#include "ini_file.h"
#include "values.h"

namespace plvagent {
namespace {

constexpr std::size_t kFieldCount = 15;
constexpr std::size_t kFieldsBeforeTitle = 9;
constexpr std::size_t kFieldsAfterTitle = 5;  // class, product, company, version, language

std::vector<std::string> Split(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(';', start)) != std::string::npos; start = at + 1)
        fields.push_back(line.substr(start, at - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool Digits(const std::string &text, std::size_t count) {
    return text.size() == count && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsClockTime(const std::string &text) {
    return text.size() == 8 && text[2] == ':' && text[5] == ':' &&
           Digits(text.substr(0, 2) + text.substr(3, 2) + text.substr(6, 2), 6);
}

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

std::optional<RecordedDefinition> ParseDefLine(std::string line, std::string *why) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> f = Split(line);
    if (f.size() < kFieldCount) {
        *why = "has " + std::to_string(f.size()) + " fields, a definition line 15";
        return std::nullopt;
    }
    RecordedDefinition r;
    r.date = f[0];
    r.time = f[1];
    r.workstation = f[2];
    r.user = f[3];
    r.userContext = f[4];
    r.directory = f[5];
    r.fileName = f[6];
    r.fileDate = f[7];
    const std::size_t after = f.size() - kFieldsAfterTitle;
    for (std::size_t i = kFieldsBeforeTitle; i < after; ++i)
        r.title += (i > kFieldsBeforeTitle ? ";" : "") + f[i];
    r.windowClass = f[after];
    r.product = f[after + 1];
    r.company = f[after + 2];
    r.version = f[after + 3];

    // The size was written as a signed number: sizes from 2 GB on read negative.
    std::int64_t size = 0;
    const std::string &sizeText = f[8];
    const auto [end, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    std::string hexWhy;
    const std::optional<std::uint16_t> language =
        f.back().size() == 4 ? ParseHex16(f.back(), &hexWhy) : std::nullopt;
    if (!Digits(r.date, 8) || !IsClockTime(r.time)) {
        *why = "does not begin with a recording date and time";
    } else if (!r.fileDate.empty() && !Digits(r.fileDate, 8)) {
        *why = "has a file date that is not YYYYMMDD: " + r.fileDate;
    } else if (sizeText.empty() || error != std::errc{} || end != sizeText.data() + sizeText.size() ||
               size < INT32_MIN || size > INT32_MAX) {
        *why = "has a file size that is no number: " + sizeText;
    } else if (!language) {
        *why = "does not end in a language of four hexadecimal digits";
    } else {
        r.fileSize = static_cast<std::uint32_t>(static_cast<std::int32_t>(size));
        r.language = *language;
        return r;
    }
    return std::nullopt;
}

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
