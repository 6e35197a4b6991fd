#include "log_printing.h"

#include <fstream>
#include <memory>

#include "ansi_text.h"
#include "log_paths.h"
#include "log_reader.h"
#include "log_time.h"
#include "row_output.h"

namespace plv::logs {
namespace {

class EventOutput {
  public:
    EventOutput(LogFormat format, std::FILE *out) {
        if (format == LogFormat::plain) {
            plain_ = std::make_unique<ChunkedOutput>(out);
            return;
        }
        std::vector<Column> columns;
        for (const std::string_view name : kEventFieldNames) columns.push_back({std::string(name)});
        rows_ = std::make_unique<RowWriter>(
            out, format == LogFormat::csv ? RowFormat::csv : RowFormat::json, std::move(columns));
    }
    void Header(std::string_view text) {
        if (plain_) Line(text);
    }
    void Event(const LogItem &item) {
        if (plain_) {
            Line(item.text);
            return;
        }
        const auto &fields = item.event.fields;
        if (IsAscii(item.text)) {
            cells_.assign(fields.begin(), fields.end());
        } else {
            for (std::size_t i = 0; i < kEventFieldCount; ++i) utf8_[i] = Utf8FromAnsi(fields[i]);
            cells_.assign(utf8_.begin(), utf8_.end());
        }
        rows_->Row(cells_);
    }
    // False when the output could not be written whole.
    bool Finish() { return plain_ ? plain_->Finish() : rows_->Finish(); }

  private:
    void Line(std::string_view text) {
        plain_->text() += text;
        plain_->text() += '\n';
        plain_->Appended();
    }

    std::unique_ptr<ChunkedOutput> plain_;
    std::unique_ptr<RowWriter> rows_;
    std::array<std::string, kEventFieldCount> utf8_;
    std::vector<std::string_view> cells_;
};

bool Wanted(std::int64_t instant, const PrintOptions &options) {
    const std::int64_t day = DayOf(instant);
    return (!options.from || day >= *options.from) && (!options.to || day <= *options.to);
}

// False when anything of the file was skipped.
bool PrintFile(const std::filesystem::path &path, const PrintOptions &options, EventOutput &output,
               std::FILE *problems) {
    const std::string shown = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(problems, "%s: cannot be read\n", shown.c_str());
        return false;
    }
    LogReader reader(in);
    LogItem item;
    bool whole = true;
    while (reader.Next(item)) {
        switch (item.kind) {
            case LogItem::Kind::header:
                if (options.headers) output.Header(item.text);
                break;
            case LogItem::Kind::record:
                if (Wanted(item.event.at, options)) output.Event(item);
                break;
            case LogItem::Kind::skipped:
                std::fprintf(problems, "%s: skipped %llu bytes at offset %llu: no whole record\n",
                             shown.c_str(), static_cast<unsigned long long>(item.length),
                             static_cast<unsigned long long>(item.offset));
                whole = false;
                break;
            case LogItem::Kind::unfinished:
                std::fprintf(problems,
                             "%s: skipped %llu bytes at offset %llu: no whole record at the end\n",
                             shown.c_str(), static_cast<unsigned long long>(item.length),
                             static_cast<unsigned long long>(item.offset));
                whole = false;
                break;
        }
    }
    if (in.bad()) {
        std::fprintf(problems, "%s: reading stopped at an error\n", shown.c_str());
        whole = false;
    }
    return whole;
}

}  // namespace

PrintResult PrintLogs(const std::vector<std::string> &paths, const PrintOptions &options,
                      std::FILE *out, std::FILE *problems) {
    EventOutput output(options.format, out);
    bool whole = true;
    for (const std::string &argument : paths) {
        std::string why;
        const auto files = FilesNamedBy(argument, {".LOG"}, &why);
        if (!files) {
            std::fprintf(problems, "%s: cannot be read: %s\n", argument.c_str(), why.c_str());
            whole = false;
            continue;
        }
        for (const auto &file : *files) {
            // The agent writes each event to the file of its own day.
            const auto day = DayOfFileName(file);
            if (day && !Wanted(*day, options)) continue;
            if (!PrintFile(file, options, output, problems)) whole = false;
        }
    }
    if (!output.Finish()) return PrintResult::notWritten;
    return whole ? PrintResult::whole : PrintResult::skipped;
}

}  // namespace plv::logs
