// PostgreSQL connections over libpq that fail by throwing StoreError with
// the server's message: statements with parameters, and COPY into a table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct pg_conn;
struct pg_result;

namespace plvreport::pg {

// A parameter in text form (ending in a NUL, as libpq reads it), or SQL
// NULL; bytes go as they are (BYTEA).
struct Parameter {
    Parameter(const std::string &text) : value(text) {}
    Parameter(const char *text) : value(text) {}
    static Parameter Null() { return Parameter(); }
    static Parameter Bytes(std::string_view bytes) {
        Parameter p;
        p.value = bytes;
        p.binary = true;
        return p;
    }
    std::optional<std::string_view> value;
    bool binary = false;

  private:
    Parameter() = default;
};

// The rows a statement answered, in text form.
class Result {
  public:
    explicit Result(pg_result *result);
    int rows() const;
    bool IsNull(int row, int column) const;
    std::string_view Text(int row, int column) const;
    std::int64_t Int(int row, int column) const;
    std::optional<std::int64_t> OptionalInt(int row, int column) const;
    // A BYTEA column's bytes.
    std::string Bytes(int row, int column) const;

  private:
    std::unique_ptr<pg_result, void (*)(pg_result *)> result_;
};

class Connection {
  public:
    // `conninfo` is any libpq connection string or URI.
    explicit Connection(const std::string &conninfo);
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection();

    Result Execute(const char *sql, std::initializer_list<Parameter> parameters = {});

    // COPY ... FROM STDIN: rows in COPY's text form, sent in large pieces.
    void BeginCopy(const char *sql);
    void PutCopy(std::string_view rows);
    void EndCopy();

  private:
    [[noreturn]] void Fail(const std::string &doing) const;
    Result Checked(pg_result *result, const char *sql) const;

    pg_conn *conn_ = nullptr;
};

// `text` as one field of a COPY text row.
void AppendCopyField(std::string &row, std::string_view text);

}  // namespace plvreport::pg
