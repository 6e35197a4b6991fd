#include "sqlite_statement.h"

#include <sqlite3.h>

#include "store.h"

namespace plvreport::sqlite {

Connection::Connection(const std::string &path, bool writable) {
    // One thread uses a connection: SQLite need not lock around each call.
    const int access = writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    const int status = sqlite3_open_v2(path.c_str(), &db_, access | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(status);
        sqlite3_close(db_);
        throw StoreError(message);
    }
    // Another importer or report may hold the file for a moment.
    sqlite3_busy_timeout(db_, 60000);
}

Connection::~Connection() { sqlite3_close(db_); }

void Connection::Execute(const char *sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

void Connection::Fail(const std::string &doing) const {
    throw StoreError(std::string(sqlite3_errmsg(db_)) + " (" + doing + ")");
}

Statement::Statement(Connection &connection, const char *sql) : connection_(connection) {
    if (sqlite3_prepare_v3(connection.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_,
                           nullptr) != SQLITE_OK)
        connection.Fail(sql);
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement &Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK)
        connection_.Fail("binding a number");
    return *this;
}

Statement &Statement::Bind(int index, std::optional<std::int64_t> value) {
    if (value) return Bind(index, *value);
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) connection_.Fail("binding a null");
    return *this;
}

// Texts and bytes are bound where they lie: each statement steps before its
// caller's values go. A text without characters is empty, never a null.
Statement &Statement::BindText(int index, std::string_view text) {
    if (sqlite3_bind_text64(statement_, index, text.empty() ? "" : text.data(), text.size(),
                            SQLITE_STATIC, SQLITE_UTF8) != SQLITE_OK)
        connection_.Fail("binding a text");
    return *this;
}

Statement &Statement::BindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob64(statement_, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                            SQLITE_STATIC) != SQLITE_OK)
        connection_.Fail("binding bytes");
    return *this;
}

bool Statement::Step() {
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW) return true;
    sqlite3_reset(statement_);
    if (status != SQLITE_DONE) connection_.Fail(sqlite3_sql(statement_));
    return false;
}

void Statement::Run() {
    while (Step()) {
    }
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::optional<std::int64_t> Statement::OptionalInt(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    return Int(column);
}

std::string_view Statement::Text(int column) const {
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement_, column));
    return text == nullptr
               ? std::string_view()
               : std::string_view(
                     text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::string_view Statement::Blob(int column) const {
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement_, column));
    return bytes == nullptr
               ? std::string_view()
               : std::string_view(
                     bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

}  // namespace plvreport::sqlite
