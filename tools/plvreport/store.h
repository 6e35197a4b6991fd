// The report database as the import and the reports see it: one small
// interface, whatever engine keeps the data (docs/REPORT_DATABASE.md).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plvreport {

// Whatever the engine could not do; the work since the last commit is lost.
class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class FileKind { log, definitions };

// An imported file and how far it was read.
struct ImportedFile {
    std::int64_t id = 0;
    std::string path;  // absolute: a file is known by it
    FileKind kind = FileKind::log;
    std::uint64_t readTo = 0;  // the bytes read whole: records, lines or skipped ranges
    std::string head;          // its first bytes as read, up to kHeadSize, to know it again
    std::string header;        // a log's header text, once read
};

inline constexpr std::size_t kHeadSize = 512;

// An event to store: texts in UTF-8.
struct StoredEvent {
    std::uint64_t offset = 0;  // of its record in the file
    std::int64_t at = 0;       // its date and time, seconds (log_time.h)
    std::optional<std::int64_t> startAt;
    std::string_view workstation, user, context, spare1, application, event, identifier;
    std::string_view count1, count2, spare2;
};

// A definition line to store: texts in UTF-8.
struct StoredDefinition {
    std::uint64_t offset = 0;  // of its line in the file
    std::int64_t recordedAt = 0;
    std::string_view workstation, user, context, directory, fileName, fileDate;
    std::uint32_t fileSize = 0;
    std::string_view title, windowClass, product, company, version;
    std::uint16_t language = 0;
};

// The names events refer to by number; the numbers are the engine's own.
enum class Dimension { workstation, user, context, application };

enum class EventKind {
    initiated,
    terminated,
    failure,  // the agent's own: it could not start, or its time or registry failed it
    other,
};

// The kind of an event by its text, the same for every engine.
EventKind EventKindOf(std::string_view event);

// An event as the reports read it.
struct EventRow {
    std::int64_t at = 0;
    std::optional<std::int64_t> startAt;
    std::int64_t workstation = 0, user = 0, context = 0, application = 0;
    EventKind kind = EventKind::other;
    std::int64_t fileId = 0;
    std::uint64_t offset = 0;
};

// A definition line as the reports read it.
struct DefinitionRow {
    std::int64_t recordedAt = 0;
    std::int64_t workstation = 0, user = 0;
    std::string fileName, product, company;
};

struct NamedId {
    std::int64_t id = 0;
    std::string name;
};

class Store {
  public:
    virtual ~Store() = default;

    // Changes between Begin and Commit are kept whole or not at all.
    virtual void Begin() = 0;
    virtual void Commit() = 0;

    virtual std::optional<ImportedFile> FindFile(const std::string &path) = 0;
    // Within a transaction: the file to read on, added with nothing read
    // (`added`) when it is new. It is held until Commit, so that another
    // importer of the same file waits, then sees how far this one read.
    virtual ImportedFile TakeFile(const std::string &path, FileKind kind, bool *added) = 0;
    // Keeps readTo, head and header.
    virtual void UpdateFile(const ImportedFile &file) = 0;
    // Forgets what was read of a file that is no longer the one imported.
    virtual void ClearFile(std::int64_t fileId) = 0;
    virtual void AddEvent(std::int64_t fileId, const StoredEvent &event) = 0;
    virtual void AddDefinition(std::int64_t fileId, const StoredDefinition &definition) = 0;
    virtual void AddSkipped(std::int64_t fileId, std::uint64_t offset, std::uint64_t length) = 0;

    // Every event, in no particular order.
    virtual void ScanEvents(const std::function<void(const EventRow &)> &visit) = 0;
    // Every definition line, in no particular order.
    virtual void ScanDefinitions(const std::function<void(const DefinitionRow &)> &visit) = 0;
    virtual std::vector<NamedId> Names(Dimension dimension) = 0;
    // Every file's id and path.
    virtual std::vector<NamedId> Files() = 0;
};

enum class StoreUse {
    import,  // created with its schema when it does not exist
    report,  // read only: it must exist
};

// The database at `location`: a PostgreSQL database when it is a libpq URI
// (postgresql://...), an SQLite file otherwise.
std::unique_ptr<Store> OpenStore(const std::string &location, StoreUse use);

}  // namespace plvreport
