#include "pg_connection.h"

#include <libpq-fe.h>

#include <charconv>
#include <vector>

#include "store.h"

namespace plvreport::pg {

Result::Result(pg_result *result) : result_(result, PQclear) {}

int Result::rows() const { return PQntuples(result_.get()); }

bool Result::IsNull(int row, int column) const {
    return PQgetisnull(result_.get(), row, column) != 0;
}

std::string_view Result::Text(int row, int column) const {
    return {PQgetvalue(result_.get(), row, column),
            static_cast<std::size_t>(PQgetlength(result_.get(), row, column))};
}

std::int64_t Result::Int(int row, int column) const {
    const std::string_view text = Text(row, column);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw StoreError("not a number: " + std::string(text));
    return value;
}

std::optional<std::int64_t> Result::OptionalInt(int row, int column) const {
    if (IsNull(row, column)) return std::nullopt;
    return Int(row, column);
}

std::string Result::Bytes(int row, int column) const {
    std::size_t length = 0;
    unsigned char *bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char *>(PQgetvalue(result_.get(), row, column)), &length);
    if (bytes == nullptr) throw StoreError("no memory for a BYTEA value");
    std::string copy(reinterpret_cast<const char *>(bytes), length);
    PQfreemem(bytes);
    return copy;
}

Connection::Connection(const std::string &conninfo) {
    // Texts go and come in UTF-8 whatever the server's own encoding.
    const char *keywords[] = {"dbname", "client_encoding", "fallback_application_name", nullptr};
    const char *values[] = {conninfo.c_str(), "UTF8", "plvreport", nullptr};
    conn_ = PQconnectdbParams(keywords, values, 1);
    if (conn_ == nullptr) throw StoreError("no memory for a connection");
    if (PQstatus(conn_) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(conn_);
        PQfinish(conn_);
        throw StoreError(message.substr(0, message.find_last_not_of('\n') + 1));
    }
    // The server's notices (e.g. "relation exists, skipping") are not the user's business.
    PQsetNoticeProcessor(
        conn_, [](void *, const char *) {}, nullptr);
}

Connection::~Connection() { PQfinish(conn_); }

void Connection::Fail(const std::string &doing) const {
    std::string message = PQerrorMessage(conn_);
    message = message.substr(0, message.find_last_not_of('\n') + 1);
    throw StoreError(message + " (" + doing + ")");
}

Result Connection::Checked(pg_result *result, const char *sql) const {
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Result(result);
    PQclear(result);
    Fail(sql);
}

Result Connection::Execute(const char *sql, std::initializer_list<Parameter> parameters) {
    // Without parameters a text may hold several statements.
    if (parameters.size() == 0) return Checked(PQexec(conn_, sql), sql);
    std::vector<const char *> values;
    std::vector<int> lengths, formats;
    for (const Parameter &p : parameters) {
        values.push_back(p.value ? p.value->data() : nullptr);
        lengths.push_back(p.value ? static_cast<int>(p.value->size()) : 0);
        formats.push_back(p.binary ? 1 : 0);
    }
    return Checked(PQexecParams(conn_, sql, static_cast<int>(values.size()), nullptr, values.data(),
                                lengths.data(), formats.data(), 0),
                   sql);
}

void Connection::BeginCopy(const char *sql) {
    pg_result *result = PQexec(conn_, sql);
    const bool copying = PQresultStatus(result) == PGRES_COPY_IN;
    PQclear(result);
    if (!copying) Fail(sql);
}

void Connection::PutCopy(std::string_view rows) {
    if (PQputCopyData(conn_, rows.data(), static_cast<int>(rows.size())) != 1) Fail("COPY");
}

void Connection::EndCopy() {
    if (PQputCopyEnd(conn_, nullptr) != 1) Fail("COPY");
    pg_result *result = PQgetResult(conn_);
    const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    while ((result = PQgetResult(conn_)) != nullptr) PQclear(result);
    if (!done) Fail("COPY");
}

void AppendCopyField(std::string &row, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                row += "\\\\";
                break;
            case '\t':
                row += "\\t";
                break;
            case '\n':
                row += "\\n";
                break;
            case '\r':
                row += "\\r";
                break;
            default:
                row += c;
        }
    }
}

}  // namespace plvreport::pg
