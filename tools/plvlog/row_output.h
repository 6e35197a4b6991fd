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

// Text gathered and written in pieces of a megabyte, so that a long output
// costs few writes; a write that fails is remembered, not retried.
class ChunkedOutput {
  public:
    explicit ChunkedOutput(std::FILE *out) : out_(out) {}
    ChunkedOutput(const ChunkedOutput &) = delete;
    ChunkedOutput &operator=(const ChunkedOutput &) = delete;

    // The text not yet written: append to it, then call Appended.
    std::string &text() { return pending_; }
    // Writes what has gathered once it makes a piece.
    void Appended();
    // Writes the rest and flushes the stream; false when any write failed.
    // Called again, it answers the same.
    bool Finish();

  private:
    void Write();

    std::FILE *out_;
    std::string pending_;
    bool failed_ = false;
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
    ChunkedOutput output_;
    RowFormat format_;
    std::vector<Column> columns_;
    std::size_t rows_ = 0;
    std::vector<std::vector<std::string>> tableRows_;
    bool finished_ = false;
};

void AppendCsvField(std::string &out, std::string_view text);
// A JSON string, quotes included: control characters, and those of
// alsoEscaped, are written as \u escapes.
void AppendJsonString(std::string &out, std::string_view text, std::string_view alsoEscaped = {});

}  // namespace plv::logs
