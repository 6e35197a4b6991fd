#include "definitions.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "fixed_text.h"
#include "host_system.h"
#include "ini_file.h"
#include "platform/ascii.h"
#include "section_reader.h"
#include "values.h"

namespace plvagent {
namespace {

constexpr std::uint8_t kWindowAndVersionKind = 2;

struct Letter {
    const char *word;
    char letter;
};

constexpr std::array kTests = {Letter{"equal", 'E'}, Letter{"less", 'L'}, Letter{"greater", 'G'},
                               Letter{"between", 'B'}};
constexpr std::array kLocations = {Letter{"network", 'N'}, Letter{"local", 'L'}};

// A criterion letter, given as the letter or as its word.
template <std::size_t N>
char ReadLetter(SectionReader &reader, const char *key, const std::array<Letter, N> &letters) {
    const std::optional<std::string> value = reader.Text(key);
    if (!value) return '\0';
    const std::string given = plv::UpperAsciiText(*value);
    std::string expected;
    for (const Letter &choice : letters) {
        if (given == plv::UpperAsciiText(choice.word) || given == std::string(1, choice.letter))
            return choice.letter;
        expected += (expected.empty() ? "" : ", ") + std::string(1, choice.letter) + " (" + choice.word + ")";
    }
    reader.Report(key, "expected " + expected);
    return '\0';
}

template <std::size_t Width>
void ReadText(SectionReader &reader, const char *key, char (&field)[Width]) {
    std::string text;
    reader.Text(key, Width - 1, text);
    PutText(field, text);
}

// A bound read by the given parser; present tells whether it was given.
template <typename Parse>
std::uint32_t ReadBound(SectionReader &reader, const char *key, Parse parse, bool *present) {
    const std::optional<std::string> value = reader.Text(key);
    *present = value.has_value();
    if (!value) return 0;
    std::string why;
    if (const std::optional<std::uint32_t> bound = parse(*value, &why)) return *bound;
    reader.Report(key, why);
    return 0;
}

// A size or date test and its bounds: 'B' takes both, the others only the
// first; bounds need a test.
struct Range {
    char test;
    std::uint32_t bound1;
    std::uint32_t bound2;
};

template <typename Parse>
Range ReadRange(SectionReader &reader, const char *testKey, const char *key1, const char *key2,
                Parse parse) {
    Range range{ReadLetter(reader, testKey, kTests), 0, 0};
    bool given1 = false;
    bool given2 = false;
    range.bound1 = ReadBound(reader, key1, parse, &given1);
    range.bound2 = ReadBound(reader, key2, parse, &given2);
    if (range.test == '\0') {
        if (given1 || given2) reader.Report(testKey, std::string("is required with ") + (given1 ? key1 : key2));
    } else if (!given1) {
        reader.Report(key1, std::string("is required by ") + testKey);
    } else if (range.test == 'B' && !given2) {
        reader.Report(key2, std::string("is required by ") + testKey + " B (between)");
    } else if (range.test != 'B' && given2) {
        reader.Report(key2, std::string("is read only with ") + testKey + " B (between)");
    } else if (range.test == 'B' && range.bound2 < range.bound1) {
        reader.Report(key2, std::string("must not be below ") + key1);
    }
    return range;
}

std::optional<std::uint32_t> ParseSize(const std::string &text, std::string *why) {
    return ParseNumber(text, 0, 0xFFFFFFFF, why);
}

bool HasWindowOrVersionCriterion(const PLVAppDefinition &d) {
    return d.titleText[0] != '\0' || d.classText[0] != '\0' || d.productName[0] != '\0' ||
           d.companyName[0] != '\0' || d.productVersion[0] != '\0' || d.languageId != 0;
}

PLVAppDefinition ReadDefinition(const IniFile &file, const IniSection &section,
                                std::uint32_t number, Problems &problems) {
    SectionReader reader(file, &section, problems);
    PLVAppDefinition d{};
    std::memcpy(d.hostData1, &number, sizeof number);
    if (section.name.size() > kDefinitionNameRoom)
        problems.push_back(file.At(section, "a name of at most " +
                                                std::to_string(kDefinitionNameRoom) + " characters"));
    std::memcpy(d.hostData2, section.name.data(), std::min(section.name.size(), kDefinitionNameRoom));

    std::uint32_t kind = kWindowAndVersionKind;
    reader.Number("Kind", 1, 2, kind);
    d.kind = static_cast<std::uint8_t>(kind);
    ReadText(reader, "FileName", d.fileName);
    if (const std::optional<std::string> directory = reader.Text("Directory")) {
        std::string path = host::AgentPathOf(*directory);
        while (path.size() > 1 && path.back() == '\\') path.pop_back();
        if (path.size() >= sizeof d.directory)
            reader.Report("Directory", "at most " + std::to_string(sizeof d.directory - 1) + " characters");
        PutText(d.directory, path);
    }
    d.location = ReadLetter(reader, "Location", kLocations);

    const Range size = ReadRange(reader, "SizeTest", "SizeBound1", "SizeBound2", ParseSize);
    d.sizeTest = size.test;
    d.sizeBound1 = size.bound1;
    d.sizeBound2 = size.bound2;
    const Range date = ReadRange(reader, "DateTest", "DateBound1", "DateBound2", ParseFileDate);
    d.dateTest = date.test;
    d.dateBound1 = date.bound1;
    d.dateBound2 = date.bound2;

    ReadText(reader, "Title", d.titleText);
    std::uint32_t position = 0;
    reader.Number("TitlePosition", 0, sizeof d.titleText - 1, position);
    d.titlePosition = static_cast<std::uint8_t>(position);
    if (position != 0 && d.titleText[0] == '\0') reader.Report("TitlePosition", "is read only with a Title");
    ReadText(reader, "Class", d.classText);
    ReadText(reader, "Product", d.productName);
    ReadText(reader, "Company", d.companyName);
    std::string version;
    reader.Text("Version", kDefinitionVersionRoom, version);
    PutText(d.productVersion, version);
    if (const std::optional<std::string> language = reader.Text("Language")) {
        std::string why;
        if (const auto identifier = ParseHex16(*language, &why)) {
            d.languageId = *identifier;
        } else {
            reader.Report("Language", why);
        }
    }
    reader.ReportUnknownKeys();

    // Criteria the library would pass over without a word.
    const bool windowOrVersion = HasWindowOrVersionCriterion(d);
    if (d.kind != kWindowAndVersionKind && windowOrVersion) {
        reader.Report("Kind", "must be 2 for the Title, Class, Product, Company, Version and Language criteria to count");
    } else if (d.kind == kWindowAndVersionKind && !windowOrVersion && d.fileName[0] == '\0' &&
               d.directory[0] == '\0') {
        problems.push_back(file.At(section, "can never match: give a FileName, Directory, Title, Class or version criterion"));
    }
    return d;
}

}  // namespace

DefinitionList::DefinitionList(std::vector<PLVAppDefinition> nodes) : nodes_(std::move(nodes)) {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        nodes_[i].next = i + 1 < nodes_.size() ? &nodes_[i + 1] : nullptr;
}

DefinitionList ReadDefinitions(const std::string &path, const std::string &shownName,
                               Problems &problems) {
    const std::optional<IniFile> file = IniFile::Open(path, shownName, problems);
    if (!file) return {};
    std::vector<PLVAppDefinition> nodes;
    for (const IniSection &section : file->sections())
        nodes.push_back(ReadDefinition(*file, section, static_cast<std::uint32_t>(nodes.size() + 1), problems));
    return DefinitionList(std::move(nodes));
}

std::string DefinitionName(const PLVAppDefinition &definition) {
    return std::string(reinterpret_cast<const char *>(definition.hostData2),
                       strnlen(reinterpret_cast<const char *>(definition.hostData2), sizeof definition.hostData2));
}

}  // namespace plvagent
