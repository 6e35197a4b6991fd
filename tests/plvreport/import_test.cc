// plvreport import over a LOGS directory that grows as the agents write:
// imports along the way end as one import at the end, and nothing twice.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "import_progress.h"
#include "log_time.h"
#include "plvlog/log_bytes.h"
#include "plvlog/tool_run.h"
#include "postgres_server.h"
#include "report_engines.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

const std::string kDefLine =
    "19980820;09:15:02;WS-1;ANN;SALES;C:\\OFFICE\\WRITER;WRITER.EXE;19980312;1048576;"
    "Report;\ta\r draft;WriterFrame;Writer Deluxe;Valdrin Systems;2.8;0409\r\n";

std::string Line(int n, const char *date = "1998/08/20") {
    const std::string second = (n % 60 < 10 ? "0" : "") + std::to_string(n % 60);
    return EventLine(date, "10:00:" + second, "WS-" + std::to_string(n % 7),
                     "U" + std::to_string(n % 5), "C:\\APPS\\APP" + std::to_string(n % 3) + ".EXE");
}

// Every row of the database, its numbers for names and files replaced by
// the names and paths, in one order whatever order the rows went in.
std::string Dump(EngineDatabases &databases, const std::string &name) {
    std::string dump;
    for (const char *query :
         {"SELECT path, kind, read_to, hex(head), header FROM files ORDER BY path",
          "SELECT f.path, e.file_offset, e.logged_at, w.name, u.name, c.name, e.spare1, a.name, "
          "e.event, e.identifier, e.start_at, e.count1, e.count2, e.spare2 FROM events e "
          "JOIN files f ON f.id = e.file_id JOIN workstations w ON w.id = e.workstation_id "
          "JOIN users u ON u.id = e.user_id JOIN contexts c ON c.id = e.context_id "
          "JOIN applications a ON a.id = e.application_id ORDER BY f.path, e.file_offset",
          "SELECT f.path, d.file_offset, d.recorded_at, w.name, u.name, c.name, d.directory, "
          "d.file_name, d.file_date, d.file_size, d.title, d.window_class, d.product, d.company, "
          "d.version, d.language FROM definition_lines d JOIN files f ON f.id = d.file_id "
          "JOIN workstations w ON w.id = d.workstation_id JOIN users u ON u.id = d.user_id "
          "JOIN contexts c ON c.id = d.context_id ORDER BY f.path, d.file_offset",
          "SELECT f.path, s.file_offset, s.length FROM skipped_ranges s "
          "JOIN files f ON f.id = s.file_id ORDER BY f.path, s.file_offset"})
        dump += databases.Rows(name, query) + "--\n";
    return dump;
}

class Import : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == Engine::postgres && !PostgresInstalled())
            GTEST_SKIP() << "postgresql-15 is not installed";
        std::filesystem::create_directory(dir / "LOGS");
    }
    ToolRun Run(const std::string &database, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--db", databases.Location(database)});
        return RunTool(PLVREPORT_PROGRAM, arguments, dir.path());
    }
    void Append(const std::string &name, const std::string &bytes) {
        std::ofstream(dir / ("LOGS/" + name), std::ios::binary | std::ios::app) << bytes;
    }
    std::string Dump(const std::string &database) { return testing::Dump(databases, database); }
    TemporaryDirectory dir;
    EngineDatabases databases{GetParam(), dir};
};

INSTANTIATE_TEST_SUITE_P(Engines, Import, ::testing::Values(Engine::sqlite, Engine::postgres),
                         [](const auto &info) { return EngineName(info.param); });

// Records come one by one, one is cut off mid-write and written again
// whole, a definition line comes in two writes, and a second day starts.
// Fields hold a tab, a lone CR and an LF, which PostgreSQL's COPY rows escape.
TEST_P(Import, ImportsAlongAGrowingDirectoryEndAsOneImportAtTheEnd) {
    std::string day1 = LogBytes({Line(1), Line(2) + "the last\nfield"});
    const std::string cut = LogRecordBytes(Line(3), 40).substr(0, 30);
    Append("19980820.LOG", day1 + cut);
    Append("19980820.DEF", kDefLine.substr(0, 50));
    const ToolRun first = Run("along.db", {"import", "LOGS"});
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.output,
              "files: 2 new, 0 grown, 0 read anew, 0 unchanged\n"
              "records: 2 (events: 2, definition lines: 0)\n"
              "skipped byte ranges: 0 (0 bytes)\n"
              "unfinished files: 2 (ending in part of a record or line, read again next time)\n");
    EXPECT_NE(first.errors.find("19980820.LOG: the 30 bytes at offset " +
                                std::to_string(day1.size()) + " hold no whole record yet"),
              std::string::npos)
        << first.errors;

    Append("19980820.LOG", LogRecordBytes(Line(3), 41) + LogRecordBytes(Line(4), 42));
    Append("19980820.DEF", kDefLine.substr(50) + "not a definition line\r\n");
    const ToolRun second = Run("along.db", {"import", "LOGS"});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.output,
              "files: 0 new, 2 grown, 0 read anew, 0 unchanged\n"
              "records: 3 (events: 2, definition lines: 1)\n"
              "skipped byte ranges: 2 (53 bytes)\n");
    EXPECT_NE(second.errors.find("19980820.LOG: skipped 30 bytes at offset " +
                                 std::to_string(day1.size()) + ": no whole record"),
              std::string::npos)
        << second.errors;

    Append("19980821.LOG", LogBytes({Line(5, "1998/08/21")}));
    Append("19980820.LOG", LogRecordBytes(Line(6), 43));
    EXPECT_EQ(Run("along.db", {"import", "LOGS"}).output,
              "files: 1 new, 1 grown, 0 read anew, 1 unchanged\n"
              "records: 2 (events: 2, definition lines: 0)\n"
              "skipped byte ranges: 0 (0 bytes)\n");

    EXPECT_EQ(Run("once.db", {"import", dir / "LOGS"}).status, 1);
    const std::string once = Dump("once.db");
    EXPECT_EQ(Dump("along.db"), once);
    const std::int64_t recorded = *plv::logs::LoggedInstant("1998/08/20", "09:15:02");
    EXPECT_NE(once.find("|" + std::to_string(recorded) +
                        "|WS-1|ANN|SALES|C:\\OFFICE\\WRITER|WRITER.EXE|19980312|1048576|"
                        "Report;\ta\r draft|WriterFrame|Writer Deluxe|Valdrin Systems|2.8|1033|"),
              std::string::npos)
        << once;
    // The skipped ranges are kept with their files, not only counted.
    for (const std::string &range : {"19980820.DEF|" + std::to_string(kDefLine.size()) + "|23|",
                                     "19980820.LOG|" + std::to_string(day1.size()) + "|30|"})
        EXPECT_NE(once.find(range), std::string::npos) << once;
    // The reports read the definition lines back with their names.
    EXPECT_EQ(Run("once.db", {"unknown", "--workstation", "WS-1", "--user", "ANN", "--format=csv"})
                      .output,
              "file,product,company,workstations,users,days,first,last\n"
              "WRITER.EXE,Writer Deluxe,Valdrin Systems,1,1,1,1998-08-20 09:15:02,"
              "1998-08-20 09:15:02\n");

    // The same set again changes nothing.
    EXPECT_EQ(Run("once.db", {"import", "LOGS", "LOGS/19980821.LOG"}).output,
              "files: 0 new, 0 grown, 0 read anew, 3 unchanged\n"
              "records: 0 (events: 0, definition lines: 0)\n"
              "skipped byte ranges: 0 (0 bytes)\n");
    EXPECT_EQ(Dump("once.db"), once);
}

// A file that no longer begins as it did is another file under the old
// name: what it held gives way to what it holds.
TEST_P(Import, AFileWrittenAnewReplacesWhatItHeld) {
    const std::string path = dir / "LOGS/19980820.LOG";
    WriteHostFile(path, LogBytes({Line(1), Line(2), Line(3)}));
    EXPECT_EQ(Run("report.db", {"import", "LOGS"}).status, 0);
    // Longer than before: only its beginning tells it from a grown file. It
    // begins without a header, so the old file's header goes too.
    WriteHostFile(path,
                  LogBytes({Line(4), Line(5), Line(6), Line(7)}).substr(LogHeaderBytes().size()));
    const ToolRun again = Run("report.db", {"import", "LOGS"});
    EXPECT_EQ(again.output,
              "files: 0 new, 0 grown, 1 read anew, 0 unchanged\n"
              "records: 4 (events: 4, definition lines: 0)\n"
              "skipped byte ranges: 0 (0 bytes)\n");
    EXPECT_EQ(Run("fresh.db", {"import", "LOGS"}).status, 0);
    EXPECT_EQ(Dump("report.db"), Dump("fresh.db"));
}

TEST_P(Import, GoesOnAfterPathsItCannotRead) {
    WriteHostFile(dir / "LOGS/19980820.LOG", LogBytes({Line(1)}));
    // /dev/null opens, but holds no file of a known size.
    const ToolRun run = Run("report.db", {"import", "missing", "/dev/null", "LOGS"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "missing: cannot be read: No such file or directory\n/dev/null: cannot be read\n");
    EXPECT_NE(run.output.find("records: 1 (events: 1,"), std::string::npos);
    EXPECT_NE(run.output.find("unreadable paths or files: 2\n"), std::string::npos);
}

// A file larger than one transaction of the import, its events filling
// many pieces of what is sent to the server (a busy share's day), is
// stored once, every event of it.
TEST_P(Import, AFileOfManyEventsStoresEachOnce) {
    constexpr int kRecords = 120000;  // of 321 bytes: 38.5 MB
    const std::string deep = "C:\\" + std::string(250, 'D') + "\\APP";
    std::vector<std::string> lines;
    for (int r = 0; r < kRecords; ++r) {
        const std::string application = deep + std::to_string(r % 3) + ".EXE";
        lines.push_back(EventLine("1998/08/20", "10:00:00", "WS-1", "U1", application));
    }
    Append("19980820.LOG", LogBytes(lines));
    const ToolRun run = Run("many", {"import", "LOGS"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(databases.Rows("many", "SELECT count(*), count(DISTINCT file_offset) FROM events"),
              std::to_string(kRecords) + "|" + std::to_string(kRecords) + "|\n");
}

// Two importers started at once over the same files, known already and
// grown since, and new: each file is read by one of them at a time, from
// where the other stopped. An SQLite file is held by one importer at a
// time, and the other waits for it.
TEST_P(Import, TwoImportersAtOnceLeaveEveryEventOnce) {
    constexpr int kFiles = 24, kRecords = 400;
    const auto name = [](int f) { return "199808" + std::to_string(10 + f) + ".LOG"; };
    for (int f = 0; f < kFiles / 2; ++f) Append(name(f), LogBytes({Line(f)}));
    EXPECT_EQ(Run("race", {"import", "LOGS"}).status, 0);
    for (int f = 0; f < kFiles; ++f) {
        std::vector<std::string> lines;
        for (int r = f < kFiles / 2 ? 1 : 0; r < kRecords; ++r)
            lines.push_back(Line(f * kRecords + r));
        std::string bytes = LogBytes(lines);
        if (f < kFiles / 2) bytes = bytes.substr(LogBytes({}).size());  // records only
        Append(name(f), bytes);
    }
    const std::string importer = std::string("'") + PLVREPORT_PROGRAM + "' --db '" +
                                 databases.Location("race") + "' import '" + dir / "LOGS" +
                                 "' >/dev/null 2>&1";
    EXPECT_EQ(
        std::system((importer + " & a=$!; " + importer + " & b=$!; wait $a && wait $b").c_str()),
        0);
    const std::string events = std::to_string(kFiles * kRecords);
    EXPECT_EQ(databases.Rows("race",
                             "SELECT count(*), (SELECT count(*) FROM (SELECT DISTINCT file_id, "
                             "file_offset FROM events) AS d), count(DISTINCT file_id) FROM events"),
              events + "|" + events + "|" + std::to_string(kFiles) + "|\n");
}

// On a terminal, the progress line is written over, and cleared before a
// problem is told, so that the problem stands on a line of its own.
TEST(ImportProgress, AProblemOnATerminalClearsTheProgressLineFirst) {
    int terminal = -1, slave = -1;
    ASSERT_EQ(::openpty(&terminal, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE *out = ::fdopen(slave, "w");
    {
        plvreport::ImportProgress progress(out);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // drawn 4 times a second
        progress.Progress(50, 100);
        progress.Problem("19980820.LOG: damaged");
    }
    std::fclose(out);
    std::string shown;
    char bytes[256];
    for (ssize_t got; (got = ::read(terminal, bytes, sizeof bytes)) > 0;) shown.append(bytes, got);
    ::close(terminal);
    EXPECT_EQ(shown, "\r\033[Kimporting:  50%, 0 of 0 MB, 0 MB/s\r\033[K19980820.LOG: damaged\r\n");
}

}  // namespace
}  // namespace plv::testing
