#include "sqlite_store.h"

#include <array>
#include <filesystem>
#include <unordered_map>

#include "sqlite_statement.h"

namespace plvreport {
namespace {

constexpr int kSchemaVersion = 1;

// docs/REPORT_DATABASE.md describes every table.
constexpr char kSchema[] = R"sql(
CREATE TABLE schema_info (version INTEGER NOT NULL);
CREATE TABLE files (
    id INTEGER PRIMARY KEY,
    path TEXT NOT NULL UNIQUE,
    kind TEXT NOT NULL CHECK (kind IN ('log', 'definitions')),
    read_to INTEGER NOT NULL,
    head BLOB NOT NULL,
    header TEXT NOT NULL
);
CREATE TABLE workstations (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE contexts (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE applications (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE events (
    id INTEGER PRIMARY KEY,
    file_id INTEGER NOT NULL REFERENCES files (id),
    file_offset INTEGER NOT NULL,
    logged_at INTEGER NOT NULL,
    workstation_id INTEGER NOT NULL REFERENCES workstations (id),
    user_id INTEGER NOT NULL REFERENCES users (id),
    context_id INTEGER NOT NULL REFERENCES contexts (id),
    spare1 TEXT NOT NULL,
    application_id INTEGER NOT NULL REFERENCES applications (id),
    event TEXT NOT NULL,
    identifier TEXT NOT NULL,
    start_at INTEGER,
    count1 TEXT NOT NULL,
    count2 TEXT NOT NULL,
    spare2 TEXT NOT NULL
);
CREATE TABLE definition_lines (
    id INTEGER PRIMARY KEY,
    file_id INTEGER NOT NULL REFERENCES files (id),
    file_offset INTEGER NOT NULL,
    recorded_at INTEGER NOT NULL,
    workstation_id INTEGER NOT NULL REFERENCES workstations (id),
    user_id INTEGER NOT NULL REFERENCES users (id),
    context_id INTEGER NOT NULL REFERENCES contexts (id),
    directory TEXT NOT NULL,
    file_name TEXT NOT NULL,
    file_date TEXT NOT NULL,
    file_size INTEGER NOT NULL,
    title TEXT NOT NULL,
    window_class TEXT NOT NULL,
    product TEXT NOT NULL,
    company TEXT NOT NULL,
    version TEXT NOT NULL,
    language INTEGER NOT NULL
);
CREATE TABLE skipped_ranges (
    file_id INTEGER NOT NULL REFERENCES files (id),
    file_offset INTEGER NOT NULL,
    length INTEGER NOT NULL,
    PRIMARY KEY (file_id, file_offset)
);
)sql";

constexpr std::array<const char *, 4> kNameTables = {"workstations", "users", "contexts",
                                                     "applications"};

const char *KindName(FileKind kind) { return kind == FileKind::log ? "log" : "definitions"; }

// Names and their numbers, kept for the import: a name costs a query once.
class NameTable {
  public:
    NameTable(sqlite::Connection &db, const std::string &table)
        : find_(db, ("SELECT id FROM " + table + " WHERE name = ?").c_str()),
          add_(db, ("INSERT INTO " + table + " (name) VALUES (?) RETURNING id").c_str()) {}

    std::int64_t IdOf(std::string_view name) {
        const auto known = ids_.find(name);
        if (known != ids_.end()) return known->second;
        std::int64_t id = 0;
        if (find_.BindText(1, name).Step()) {
            id = find_.Int(0);
            find_.Run();
        } else {
            if (!add_.BindText(1, name).Step())
                throw StoreError("no number for the name " + std::string(name));
            id = add_.Int(0);
            add_.Run();
        }
        ids_.emplace(name, id);
        return id;
    }

  private:
    sqlite::Statement find_, add_;
    // Looked up by the caller's view, without a copy.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, std::int64_t, TextHash, std::equal_to<>> ids_;
};

class SqliteStore final : public Store {
  public:
    SqliteStore(const std::string &path, StoreUse use)
        : writable_(use == StoreUse::import), db_(path, writable_) {
        db_.Execute("PRAGMA cache_size = -65536");
        CreateOrCheckSchema();
        for (std::size_t i = 0; i < kNameTables.size(); ++i)
            names_[i] = std::make_unique<NameTable>(db_, kNameTables[i]);
        inserts_ = std::make_unique<Inserts>(db_);
    }

    // A transaction still open when the store closes is rolled back, and the
    // store with its numbers for names goes with it.
    void Begin() override { db_.Execute("BEGIN IMMEDIATE"); }
    void Commit() override { db_.Execute("COMMIT"); }

    std::optional<ImportedFile> FindFile(const std::string &path) override {
        sqlite::Statement find(db_,
                               "SELECT id, kind, read_to, head, header FROM files WHERE path = ?");
        if (!find.BindText(1, path).Step()) return std::nullopt;
        ImportedFile file;
        file.id = find.Int(0);
        file.path = path;
        file.kind = find.Text(1) == "log" ? FileKind::log : FileKind::definitions;
        file.readTo = static_cast<std::uint64_t>(find.Int(2));
        file.head = std::string(find.Blob(3));
        file.header = std::string(find.Text(4));
        find.Run();
        return file;
    }

    // The transaction (BEGIN IMMEDIATE) holds the whole database already.
    ImportedFile TakeFile(const std::string &path, FileKind kind, bool *added) override {
        if (auto known = FindFile(path)) {
            *added = false;
            return *known;
        }
        sqlite::Statement add(db_,
                              "INSERT INTO files (path, kind, read_to, head, header) "
                              "VALUES (?, ?, 0, x'', '') RETURNING id");
        add.BindText(1, path).BindText(2, KindName(kind));
        if (!add.Step()) throw StoreError("no number for the file " + path);
        ImportedFile file{add.Int(0), path, kind, 0, "", ""};
        add.Run();
        *added = true;
        return file;
    }

    void UpdateFile(const ImportedFile &file) override {
        sqlite::Statement update(db_,
                                 "UPDATE files SET read_to = ?, head = ?, header = ? WHERE id = ?");
        update.Bind(1, static_cast<std::int64_t>(file.readTo)).BindBlob(2, file.head);
        update.BindText(3, file.header).Bind(4, file.id).Run();
    }

    void ClearFile(std::int64_t fileId) override {
        for (const char *table : {"events", "definition_lines", "skipped_ranges"}) {
            sqlite::Statement clear(
                db_, ("DELETE FROM " + std::string(table) + " WHERE file_id = ?").c_str());
            clear.Bind(1, fileId).Run();
        }
    }

    void AddEvent(std::int64_t fileId, const StoredEvent &e) override {
        inserts_->event.Bind(1, fileId).Bind(2, static_cast<std::int64_t>(e.offset)).Bind(3, e.at);
        inserts_->event.Bind(4, IdOf(Dimension::workstation, e.workstation));
        inserts_->event.Bind(5, IdOf(Dimension::user, e.user))
            .Bind(6, IdOf(Dimension::context, e.context));
        inserts_->event.BindText(7, e.spare1).Bind(8, IdOf(Dimension::application, e.application));
        inserts_->event.BindText(9, e.event).BindText(10, e.identifier).Bind(11, e.startAt);
        inserts_->event.BindText(12, e.count1).BindText(13, e.count2).BindText(14, e.spare2).Run();
    }

    void AddDefinition(std::int64_t fileId, const StoredDefinition &d) override {
        inserts_->definition.Bind(1, fileId)
            .Bind(2, static_cast<std::int64_t>(d.offset))
            .Bind(3, d.recordedAt);
        inserts_->definition.Bind(4, IdOf(Dimension::workstation, d.workstation));
        inserts_->definition.Bind(5, IdOf(Dimension::user, d.user))
            .Bind(6, IdOf(Dimension::context, d.context));
        inserts_->definition.BindText(7, d.directory)
            .BindText(8, d.fileName)
            .BindText(9, d.fileDate);
        inserts_->definition.Bind(10, std::int64_t{d.fileSize})
            .BindText(11, d.title)
            .BindText(12, d.windowClass);
        inserts_->definition.BindText(13, d.product)
            .BindText(14, d.company)
            .BindText(15, d.version);
        inserts_->definition.Bind(16, std::int64_t{d.language}).Run();
    }

    void AddSkipped(std::int64_t fileId, std::uint64_t offset, std::uint64_t length) override {
        sqlite::Statement add(
            db_, "INSERT INTO skipped_ranges (file_id, file_offset, length) VALUES (?, ?, ?)");
        add.Bind(1, fileId)
            .Bind(2, static_cast<std::int64_t>(offset))
            .Bind(3, static_cast<std::int64_t>(length));
        add.Run();
    }

    void ScanEvents(const std::function<void(const EventRow &)> &visit) override {
        sqlite::Statement scan(
            db_,
            "SELECT logged_at, start_at, workstation_id, user_id, context_id, application_id, "
            "event, file_id, file_offset FROM events");
        EventRow row;
        while (scan.Step()) {
            row.at = scan.Int(0);
            row.startAt = scan.OptionalInt(1);
            row.workstation = scan.Int(2);
            row.user = scan.Int(3);
            row.context = scan.Int(4);
            row.application = scan.Int(5);
            row.kind = EventKindOf(scan.Text(6));
            row.fileId = scan.Int(7);
            row.offset = static_cast<std::uint64_t>(scan.Int(8));
            visit(row);
        }
    }

    void ScanDefinitions(const std::function<void(const DefinitionRow &)> &visit) override {
        sqlite::Statement scan(db_,
                               "SELECT recorded_at, workstation_id, user_id, file_name, product, "
                               "company FROM definition_lines");
        DefinitionRow row;
        while (scan.Step()) {
            row.recordedAt = scan.Int(0);
            row.workstation = scan.Int(1);
            row.user = scan.Int(2);
            row.fileName = scan.Text(3);
            row.product = scan.Text(4);
            row.company = scan.Text(5);
            visit(row);
        }
    }

    std::vector<NamedId> Names(Dimension dimension) override {
        return Listing(
            ("SELECT id, name FROM " + std::string(kNameTables[Index(dimension)])).c_str());
    }

    std::vector<NamedId> Files() override { return Listing("SELECT id, path FROM files"); }

  private:
    static std::size_t Index(Dimension dimension) { return static_cast<std::size_t>(dimension); }

    std::int64_t IdOf(Dimension dimension, std::string_view name) {
        return names_[Index(dimension)]->IdOf(name);
    }

    std::vector<NamedId> Listing(const char *sql) {
        sqlite::Statement list(db_, sql);
        std::vector<NamedId> listing;
        while (list.Step()) listing.push_back({list.Int(0), std::string(list.Text(1))});
        return listing;
    }

    void CreateOrCheckSchema() {
        sqlite::Statement tables(db_,
                                 "SELECT count(*) FROM sqlite_schema WHERE name = 'schema_info'");
        tables.Step();
        const bool exists = tables.Int(0) != 0;
        tables.Run();
        if (!exists) {
            if (!writable_) throw StoreError("no report database: import log files into it first");
            Begin();
            db_.Execute(kSchema);
            sqlite::Statement version(db_, "INSERT INTO schema_info (version) VALUES (?)");
            version.Bind(1, std::int64_t{kSchemaVersion}).Run();
            Commit();
            return;
        }
        sqlite::Statement version(db_, "SELECT version FROM schema_info");
        const bool known = version.Step() && version.Int(0) == kSchemaVersion;
        version.Run();
        if (!known)
            throw StoreError("the database's schema is not version " +
                             std::to_string(kSchemaVersion));
    }

    bool writable_;
    sqlite::Connection db_;
    std::array<std::unique_ptr<NameTable>, 4> names_;
    // Prepared once the schema is there.
    struct Inserts {
        explicit Inserts(sqlite::Connection &db)
            : event(db,
                    "INSERT INTO events (file_id, file_offset, logged_at, workstation_id, user_id, "
                    "context_id, "
                    "spare1, application_id, event, identifier, start_at, count1, count2, spare2) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              definition(db,
                         "INSERT INTO definition_lines (file_id, file_offset, recorded_at, "
                         "workstation_id, "
                         "user_id, context_id, directory, file_name, file_date, file_size, title, "
                         "window_class, product, company, version, language) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)") {}
        sqlite::Statement event, definition;
    };
    std::unique_ptr<Inserts> inserts_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string &path, StoreUse use) {
    std::error_code error;
    if (use == StoreUse::report && !std::filesystem::exists(path, error))
        throw StoreError("no such database: import log files into it first");
    return std::make_unique<SqliteStore>(path, use);
}

}  // namespace plvreport
