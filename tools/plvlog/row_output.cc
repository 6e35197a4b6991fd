#include "row_output.h"

#include <algorithm>

namespace plv::logs {
namespace {

constexpr std::size_t kPieceSize = 1 << 20;

// Characters, not bytes, count for a column's width.
std::size_t Width(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void AppendPadded(std::string &out, std::string_view text, std::size_t width, bool right) {
    const std::string padding(width - Width(text), ' ');
    if (right) out += padding;
    out += text;
    if (!right) out += padding;
}

}  // namespace

std::optional<RowFormat> RowFormatNamed(std::string_view name) {
    if (name == "table") return RowFormat::table;
    if (name == "csv") return RowFormat::csv;
    if (name == "json") return RowFormat::json;
    return std::nullopt;
}

void AppendCsvField(std::string &out, std::string_view text) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (plain) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendJsonString(std::string &out, std::string_view text, std::string_view alsoEscaped) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || alsoEscaped.find(c) != std::string_view::npos) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

RowWriter::RowWriter(std::FILE *out, RowFormat format, std::vector<Column> columns)
    : output_(out), format_(format), columns_(std::move(columns)) {
    std::string &text = output_.text();
    if (format_ == RowFormat::csv) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (i > 0) text += ',';
            AppendCsvField(text, columns_[i].name);
        }
        text += '\n';
    }
}

RowWriter::~RowWriter() { Finish(); }

void RowWriter::Row(const std::vector<std::string_view> &cells) {
    std::string &text = output_.text();
    switch (format_) {
        case RowFormat::table:
            tableRows_.emplace_back(cells.begin(), cells.end());
            return;
        case RowFormat::csv:
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i > 0) text += ',';
                AppendCsvField(text, cells[i]);
            }
            text += '\n';
            break;
        case RowFormat::json:
            text += rows_ == 0 ? "[\n{" : ",\n{";
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i > 0) text += ',';
                AppendJsonString(text, columns_[i].name);
                text += ':';
                if (columns_[i].numeric)
                    text += cells[i];
                else
                    AppendJsonString(text, cells[i]);
            }
            text += '}';
            break;
    }
    ++rows_;
    output_.Appended();
}

bool RowWriter::Finish() {
    if (finished_) return output_.Finish();
    finished_ = true;
    std::string &text = output_.text();
    if (format_ == RowFormat::json) text += rows_ == 0 ? "[]\n" : "\n]\n";
    if (format_ == RowFormat::table) {
        std::vector<std::size_t> widths;
        for (const Column &column : columns_) widths.push_back(Width(column.name));
        for (const auto &row : tableRows_)
            for (std::size_t i = 0; i < row.size(); ++i)
                widths[i] = std::max(widths[i], Width(row[i]));
        const auto line = [&](const std::vector<std::string_view> &cells) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i > 0) text += "  ";
                const bool last = i + 1 == cells.size();
                // No blanks after the last column.
                if (last && !columns_[i].numeric)
                    text += cells[i];
                else
                    AppendPadded(text, cells[i], widths[i], columns_[i].numeric);
            }
            text += '\n';
            output_.Appended();
        };
        std::vector<std::string_view> cells;
        for (const Column &column : columns_) cells.push_back(column.name);
        line(cells);
        for (const auto &row : tableRows_)
            line(std::vector<std::string_view>(row.begin(), row.end()));
        tableRows_.clear();
    }
    return output_.Finish();
}

void ChunkedOutput::Appended() {
    if (pending_.size() >= kPieceSize) Write();
}

void ChunkedOutput::Write() {
    if (!pending_.empty() &&
        std::fwrite(pending_.data(), 1, pending_.size(), out_) != pending_.size())
        failed_ = true;
    pending_.clear();
}

bool ChunkedOutput::Finish() {
    Write();
    if (std::fflush(out_) != 0) failed_ = true;
    return !failed_;
}

}  // namespace plv::logs
