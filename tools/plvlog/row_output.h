// Rows of named columns written as a table, CSV or JSON: the output of the
// tools' reports and of the log reader's other formats. Cells are UTF-8.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plv::logs {

enum class RowFormat {
    table,  // aligned columns under a header line, for a terminal
    csv,    // a header row naming the columns, then rows quoted as RFC 4180 has it, lines ending in
            // LF
    json,   // an array of objects, one a row, keyed by the column names
};

// "table", "csv" or "json"; nothing for any other name.
std::optional<RowFormat> RowFormatNamed(std::string_view name);

struct Column {
    std::string name;
    bool numeric = false;  // right-aligned in a table, a number in JSON
};

// CSV and JSON rows go out as they come, in large writes; a table is held
// until Finish, which sizes its columns.
class RowWriter {
  public:
    RowWriter(std::FILE *out, RowFormat format, std::vector<Column> columns);
    RowWriter(const RowWriter &) = delete;
    RowWriter &operator=(const RowWriter &) = delete;
    ~RowWriter();

    // As many cells as columns; a numeric cell holds a number's digits.
    void Row(const std::vector<std::string_view> &cells);
    // Ends the output; false when it could not be written whole.
    bool Finish();

  private:
    void Flush();

    std::FILE *out_;
    RowFormat format_;
    std::vector<Column> columns_;
    std::string pending_;
    std::size_t rows_ = 0;
    std::vector<std::vector<std::string>> tableRows_;
    bool failed_ = false;
    bool finished_ = false;
};

void AppendCsvField(std::string &out, std::string_view text);
// A JSON string, quotes included: control characters, and those of
// alsoEscaped, are written as \u escapes.
void AppendJsonString(std::string &out, std::string_view text, std::string_view alsoEscaped = {});

}  // namespace plv::logs
