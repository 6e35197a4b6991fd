// Sessions, usage and peaks of three workstations over two days, each
// answer worked out by hand, byte for byte in CSV.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plvlog/log_bytes.h"
#include "plvlog/tool_run.h"
#include "support/host_files.h"
#include "postgres_server.h"
#include "report_engines.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

const std::string kEditor = "C:\\APPS\\EDITOR.EXE", kCalc = "C:\\APPS\\CALC.EXE",
                  kRenamed = "C:\\APPS\\CALCNEW.EXE";
constexpr char kDay1[] = "1998/08/20", kDay2[] = "1998/08/21";

std::string Agent(const char *date, const std::string &time, const std::string &workstation,
                  const std::string &user, const std::string &event,
                  const std::string &identifier) {
    return std::string(date) + ';' + time + ';' + workstation + ';' + user + ";SALES;;Pelvantine;" +
           event + ';' + identifier + ";;;;;";
}

class Reports : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == Engine::postgres && !PostgresInstalled())
            GTEST_SKIP() << "postgresql-15 is not installed";
        std::filesystem::create_directory(dir / "LOGS");
        const std::vector<std::string> day1 = {
            // A user met first on another workstation: no id stands for both.
            Agent(kDay1, "08:00:00", "WS-3", "ANN", "Continued", "PLV.1"),
            EventLine(kDay1, "09:00:00", "WS-1", "ANN", kEditor),
            EventLine(kDay1, "09:00:01", "WS-2", "BOB", kEditor),
            EventLine(kDay1, "09:10:00", "WS-1", "ANN", kEditor),
            // The earlier of two open starts, named exactly.
            EventLine(kDay1, "09:20:00", "WS-1", "ANN", kEditor, "Terminated", kDay1, "09:00:00"),
            // The start is named as late after the "Initiated" stamp as it may be.
            EventLine(kDay1, "09:30:00", "WS-1", "ANN", kEditor, "Terminated", kDay1, "09:10:02"),
            EventLine(kDay1, "10:00:00", "WS-3", "CAT", kEditor),
            EventLine(kDay1, "10:00:00", "WS-2", "BOB", kEditor, "Terminated", kDay1, "09:00:01"),
            // Renamed under its process: the first name ends without a start, and
            // the second ends naming the first name's start.
            EventLine(kDay1, "11:00:00", "WS-1", "ANN", kCalc),
            EventLine(kDay1, "11:10:00", "WS-1", "ANN", kCalc, "Terminated"),
            EventLine(kDay1, "11:10:00", "WS-1", "ANN", kRenamed),
            EventLine(kDay1, "12:00:00", "WS-1", "ANN", kRenamed, "Terminated", kDay1, "11:00:00"),
            EventLine(kDay1, "18:00:00", "WS-3", "CAT", kEditor, "Terminated", kDay1, "10:00:00"),
            EventLine(kDay1, "23:00:00", "WS-3", "CAT", kCalc),
        };
        const std::vector<std::string> day2 = {
            Agent(kDay2, "00:00:00", "WS-1", "ANN", "Continued", "PLV.1"),
            EventLine(kDay2, "01:00:00", "WS-3", "CAT", kCalc, "Terminated", kDay1, "23:00:00"),
            EventLine(kDay2, "07:00:00", "WS-3", "CAT", kEditor),
            EventLine(kDay2, "07:00:00", "WS-3", "CAT", kEditor, "Terminated", kDay2, "07:00:00"),
            EventLine(kDay2, "08:00:00", "WS-2", "BOB", kCalc),
            // Its start is in no file: it closes nothing.
            EventLine(kDay2, "08:30:00", "WS-1", "ANN", kEditor, "Terminated", "1998/08/19",
                      "10:00:00"),
            // Its start is in no file either; another program's open session stays open.
            EventLine(kDay2, "09:00:00", "WS-2", "BOB", kRenamed, "Terminated"),
            // The last event of WS-2, where its open session ends.
            Agent(kDay2, "09:30:00", "WS-2", "BOB", "Initialization Failure", "PLVWOW32.DLL"),
        };
        WriteHostFile(dir / "LOGS/19980820.LOG", LogBytes(day1));
        WriteHostFile(dir / "LOGS/19980821.LOG", LogBytes(day2));
        const ToolRun import = Report({"import", "LOGS"});
        EXPECT_EQ(import.status, 0) << import.errors;
    }
    ToolRun Report(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--db", databases.Location("report.db")});
        return RunTool(PLVREPORT_PROGRAM, arguments, dir.path());
    }
    std::string Csv(std::vector<std::string> arguments) {
        arguments.push_back("--format=csv");
        const ToolRun run = Report(arguments);
        EXPECT_EQ(run.status, 0) << run.errors;
        return run.output;
    }
    TemporaryDirectory dir;
    EngineDatabases databases{GetParam(), dir};
};

// The same expected text for both engines: their CSV is the same byte for byte.
INSTANTIATE_TEST_SUITE_P(Engines, Reports, ::testing::Values(Engine::sqlite, Engine::postgres),
                         [](const auto &info) { return EngineName(info.param); });

TEST_P(Reports, SessionsPairStartsWithTheirEnds) {
    EXPECT_EQ(
        Csv({"sessions"}),
        "workstation,user,context,application,start,end,seconds,state\n"
        "WS-1,ANN,SALES,C:\\APPS\\EDITOR.EXE,1998-08-20 09:00:00,1998-08-20 09:20:00,1200,closed\n"
        "WS-2,BOB,SALES,C:\\APPS\\EDITOR.EXE,1998-08-20 09:00:01,1998-08-20 10:00:00,3599,closed\n"
        "WS-1,ANN,SALES,C:\\APPS\\EDITOR.EXE,1998-08-20 09:10:00,1998-08-20 09:30:00,1200,closed\n"
        "WS-3,CAT,SALES,C:\\APPS\\EDITOR.EXE,1998-08-20 10:00:00,1998-08-20 18:00:00,28800,closed\n"
        "WS-1,ANN,SALES,C:\\APPS\\CALC.EXE,1998-08-20 11:00:00,1998-08-20 11:10:00,600,closed\n"
        "WS-1,ANN,SALES,C:\\APPS\\CALCNEW.EXE,1998-08-20 11:10:00,1998-08-20 12:00:00,3000,closed\n"
        "WS-3,CAT,SALES,C:\\APPS\\CALC.EXE,1998-08-20 23:00:00,1998-08-21 01:00:00,7200,closed\n"
        "WS-3,CAT,SALES,C:\\APPS\\EDITOR.EXE,1998-08-21 07:00:00,1998-08-21 07:00:00,0,closed\n"
        "WS-2,BOB,SALES,C:\\APPS\\CALC.EXE,1998-08-21 08:00:00,1998-08-21 09:30:00,5400,open\n");
    EXPECT_EQ(
        Csv({"sessions", "--from", "1998-08-21", "--workstation", "WS-3"}),
        "workstation,user,context,application,start,end,seconds,state\n"
        "WS-3,CAT,SALES,C:\\APPS\\CALC.EXE,1998-08-20 23:00:00,1998-08-21 01:00:00,7200,closed\n"
        "WS-3,CAT,SALES,C:\\APPS\\EDITOR.EXE,1998-08-21 07:00:00,1998-08-21 07:00:00,0,closed\n");
}

TEST_P(Reports, UsageCountsSessionsPairsWorkstationsAndSeconds) {
    const std::string header = "key,sessions,users,workstations,seconds\n";
    EXPECT_EQ(Csv({"usage"}), header +
                                  "C:\\APPS\\CALC.EXE,3,3,3,13200\n"
                                  "C:\\APPS\\CALCNEW.EXE,1,1,1,3000\n"
                                  "C:\\APPS\\EDITOR.EXE,5,3,3,34799\n");
    EXPECT_EQ(Csv({"usage", "--by", "day"}), header +
                                                 "1998-08-20,7,3,3,41999\n"
                                                 "1998-08-21,3,2,2,9000\n");
    EXPECT_EQ(Csv({"usage", "--by", "user"}), header +
                                                  "ANN,4,1,1,6000\n"
                                                  "BOB,2,1,1,8999\n"
                                                  "CAT,3,1,1,36000\n");
    EXPECT_EQ(Csv({"usage", "--by", "workstation", "--to", "1998-08-20"}),
              header +
                  "WS-1,4,1,1,6000\n"
                  "WS-2,1,1,1,3599\n"
                  "WS-3,2,1,1,32400\n");
    EXPECT_EQ(Csv({"usage", "--by", "day", "--user", "BOB"}), header +
                                                                  "1998-08-20,1,1,1,3599\n"
                                                                  "1998-08-21,1,1,1,5400\n");
    EXPECT_EQ(
        Csv({"usage", "--application", kEditor, "--from", "1998-08-21", "--to", "1998-08-21"}),
        header + "C:\\APPS\\EDITOR.EXE,1,1,1,0\n");
}

TEST_P(Reports, TablesAndJsonHoldTheSameRows) {
    const ToolRun table = Report({"usage", "--by", "day", "--format", "table"});
    EXPECT_EQ(table.output,
              "key         sessions  users  workstations  seconds\n"
              "1998-08-20         7      3             3    41999\n"
              "1998-08-21         3      2             2     9000\n");
    // A text column is padded, but never the last.
    EXPECT_EQ(
        Report({"peaks", "--format", "table", "--to", "1998-08-20", "--application", kCalc}).output,
        "application       day         peak  at\n"
        "C:\\APPS\\CALC.EXE  1998-08-20     1  1998-08-20 11:00:00\n");
    const ToolRun json =
        Report({"peaks", "--format", "json", "--to", "1998-08-20", "--application", kCalc});
    EXPECT_EQ(json.output,
              "[\n{\"application\":\"C:\\\\APPS\\\\CALC.EXE\",\"day\":\"1998-08-20\",\"peak\":1,"
              "\"at\":\"1998-08-20 11:00:00\"}\n]\n");
    // A report cut short by a full disk is said, never taken for the whole.
    const ToolRun full = RunToolOnAFullDisk(
        PLVREPORT_PROGRAM, {"--db", databases.Location("report.db"), "usage"}, dir.path());
    EXPECT_EQ(full.status, 3);
    EXPECT_EQ(full.errors, "plvreport: the report could not be written whole\n");
}

TEST_P(Reports, AnswersItsVersionAndRefusesWrongUseWithStatus2) {
    const ToolRun version = Report({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "plvreport " PLV_VERSION "\n");
    for (const std::vector<std::string> &arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"usage", "--by", "month"},
                                               {"sessions", "--from", "20.08.1998"},
                                               {"peaks", "--format", "xml"},
                                               {"import"}}) {
        const ToolRun run = Report(arguments);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_EQ(run.output, "");
    }
    const ToolRun missing = RunTool(PLVREPORT_PROGRAM, {"--db", "missing.db", "sessions"}, dir.path());
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.errors, "plvreport: missing.db: no such database: import log files into it first\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));
    std::filesystem::create_directory(dir / "not-a-database");
    const ToolRun broken =
        RunTool(PLVREPORT_PROGRAM, {"--db", "not-a-database", "usage"}, dir.path());
    EXPECT_EQ(broken.status, 3);
    EXPECT_NE(broken.errors, "");
    if (GetParam() == Engine::postgres) {  // a database without the tables
        const std::string empty = databases.Location("empty");
        const ToolRun none = RunTool(PLVREPORT_PROGRAM, {"--db", empty, "usage"}, dir.path());
        EXPECT_EQ(none.status, 3);
        EXPECT_EQ(none.errors,
                  "plvreport: " + empty + ": no report database: import log files into it first\n");
    }
    // A database of another schema is refused, never read as this one.
    EXPECT_EQ(databases.Rows("report.db", "UPDATE schema_info SET version = 2 RETURNING version"),
              "2|\n");
    const ToolRun newer = Report({"usage"});
    EXPECT_EQ(newer.status, 3);
    EXPECT_EQ(newer.errors, "plvreport: " + databases.Location("report.db") +
                                ": the database's schema is not version 1\n");
}

}  // namespace
}  // namespace plv::testing
