#include "report_engines.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <regex>
#include <stdexcept>

#include "postgres_server.h"

namespace plv::testing {
namespace {

std::string SqliteRows(const std::string &path, const std::string &sql) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        const std::string why = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(why + ": " + sql);
    }
    std::string rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto *text = sqlite3_column_text(statement, i);
            rows += text == nullptr ? "NULL" : reinterpret_cast<const char *>(text);
            rows += '|';
        }
        rows += '\n';
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::string PostgresRows(const std::string &uri, const std::string &sql) {
    PGconn *conn = PQconnectdb(uri.c_str());
    PGresult *result = PQexec(conn, sql.c_str());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const std::string why = PQerrorMessage(conn);
        PQclear(result);
        PQfinish(conn);
        throw std::runtime_error(why + ": " + sql);
    }
    std::string rows;
    for (int row = 0; row < PQntuples(result); ++row) {
        for (int i = 0; i < PQnfields(result); ++i) {
            rows += PQgetisnull(result, row, i) ? "NULL" : PQgetvalue(result, row, i);
            rows += '|';
        }
        rows += '\n';
    }
    PQclear(result);
    PQfinish(conn);
    return rows;
}

}  // namespace

std::string EngineName(Engine engine) { return engine == Engine::sqlite ? "SQLite" : "PostgreSQL"; }

std::string EngineDatabases::Location(const std::string &name) {
    auto known = locations_.find(name);
    if (known == locations_.end())
        known =
            locations_
                .emplace(name, engine_ == Engine::sqlite ? dir_ / name : FreshPostgresDatabase())
                .first;
    return known->second;
}

std::string EngineDatabases::Rows(const std::string &name, std::string sql) {
    if (engine_ == Engine::sqlite) return SqliteRows(Location(name), sql);
    sql = std::regex_replace(sql, std::regex(R"(hex\(([^)]*)\))"), "upper(encode($1, 'hex'))");
    return PostgresRows(Location(name), sql);
}

}  // namespace plv::testing
