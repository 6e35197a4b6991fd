// SQLite connections and prepared statements that fail by throwing
// StoreError with the engine's message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace plvreport::sqlite {

class Connection {
  public:
    // Opens the file to write, creating it when it does not exist, or to
    // read only.
    Connection(const std::string &path, bool writable);
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection();

    void Execute(const char *sql);
    [[noreturn]] void Fail(const std::string &doing) const;
    sqlite3 *handle() const { return db_; }

  private:
    sqlite3 *db_ = nullptr;
};

class Statement {
  public:
    Statement(Connection &connection, const char *sql);
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement();

    // Parameters count from 1. Texts and bytes are not copied: they must
    // outlast the next Step or Run.
    Statement &Bind(int index, std::int64_t value);
    Statement &Bind(int index, std::optional<std::int64_t> value);
    Statement &BindText(int index, std::string_view text);
    Statement &BindBlob(int index, std::string_view bytes);

    // True while a row is ready; false when done, the statement reset.
    bool Step();
    // Runs a statement that answers no rows.
    void Run();

    // Columns count from 0.
    std::int64_t Int(int column) const;
    std::optional<std::int64_t> OptionalInt(int column) const;
    std::string_view Text(int column) const;
    std::string_view Blob(int column) const;

  private:
    Connection &connection_;
    sqlite3_stmt *statement_ = nullptr;
};

}  // namespace plvreport::sqlite
