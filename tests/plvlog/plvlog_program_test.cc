// plvlog run as an administrator runs it, over files of a directory of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plvlog/log_bytes.h"
#include "plvlog/tool_run.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

const std::string kStart =
    EventLine("1998/08/20", "09:15:02", "WS-017", "JDOE", "C:\\APPS\\EDITOR.EXE");
const std::string kEnd = EventLine("1998/08/20", "17:40:11", "WS-017", "JDOE",
                                   "C:\\APPS\\EDITOR.EXE", "Terminated", "1998/08/20", "09:15:02");
const std::string kNextDay =
    EventLine("1998/08/21", "08:00:00", "WS-018", "ASMITH", "Z:\\usr\\bin\\xeyes");

class Plvlog : public ::testing::Test {
  protected:
    ToolRun Run(const std::vector<std::string> &arguments) {
        return RunTool(PLVLOG_PROGRAM, arguments, dir.path());
    }
    std::string Write(const std::string &name, const std::string &bytes) {
        return WriteHostFile(dir / name, bytes);
    }
    TemporaryDirectory dir;
};

// Two damaged files around a missing one: every whole record is printed, in
// order, and every skipped range and the missing file are named.
TEST_F(Plvlog, GoesOnAfterDamageAndMissingFiles) {
    const std::string first = LogBytes({kStart}) + "garbage" + LogRecordBytes(kEnd, 3);
    const std::string second = LogBytes({kNextDay}) + LogRecordBytes(kStart, 4).substr(0, 20);
    Write("19980820.LOG", first);
    Write("19980821.LOG", second);
    const ToolRun run = Run({"--header", "19980820.LOG", "missing.LOG", "19980821.LOG"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "Pelvantine usage log\n" + kStart + "\n" + kEnd +
                              "\nPelvantine usage log\n" + kNextDay + "\n");
    const std::string atFirst = std::to_string(LogBytes({kStart}).size());
    const std::string atSecond = std::to_string(LogBytes({kNextDay}).size());
    EXPECT_EQ(run.errors, "19980820.LOG: skipped 7 bytes at offset " + atFirst +
                              ": no whole record\n"
                              "missing.LOG: cannot be read: No such file or directory\n"
                              "19980821.LOG: skipped 20 bytes at offset " +
                              atSecond + ": no whole record at the end\n");
    EXPECT_EQ(Run({"19980820.LOG"}).status, 1);
    EXPECT_EQ(Run({"--from", "1998-08-21", "19980820.LOG"}).status, 0);  // a day not asked for
    EXPECT_EQ(Run({"missing.LOG"}).status, 1);
    Write("sound.LOG", LogBytes({kStart, kEnd}));
    EXPECT_EQ(Run({"sound.LOG"}).status, 0);
}

// A directory's logs are read in date order, whatever order it lists them in.
TEST_F(Plvlog, ReadsADirectorysLogsInDateOrder) {
    std::vector<std::string> lines;
    for (const std::string day : {"23", "20", "25", "21", "24", "22"}) {
        lines.push_back(EventLine("1998/08/" + day, "09:00:00", "WS-1", "JDOE", "C:\\A.EXE"));
        Write("199808" + day + ".LOG", LogBytes({lines.back()}));
    }
    std::sort(lines.begin(), lines.end());
    std::string inOrder;
    for (const std::string &line : lines) inOrder += line + "\n";
    EXPECT_EQ(Run({"."}).output, inOrder);
}

// A comma and a quote are quoted, a control character escaped in JSON; the
// code page's characters become UTF-8; the last field is kept.
TEST_F(Plvlog, WritesCsvAndJsonInUtf8) {
    const std::string odd =
            EventLine("1998/08/20", "10:00:00", "WS,1", "J\"D\x1f", "C:\\\xD6\x80\x94L.EXE") + "S2";
    Write("19980820.LOG", LogBytes({odd}));
    const ToolRun csv = Run({"--format", "csv", "19980820.LOG"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.output,
              "date,time,workstation,user,context,spare1,application,event,identifier,start_date,"
              "start_time,count1,count2,spare2\n"
              "1998/08/20,10:00:00,\"WS,1\",\"J\"\"D\x1f\",SALES,,"
              "C:\\\xC3\x96\xE2\x82\xAC\xE2\x80\x9DL.EXE,Initiated,,,,,,S2\n");
    const ToolRun json = Run({"--format", "json", "19980820.LOG"});
    EXPECT_EQ(json.output,
              "[\n{\"date\":\"1998/08/20\",\"time\":\"10:00:00\",\"workstation\":\"WS,1\","
              "\"user\":\"J\\\"D\\u001f\",\"context\":\"SALES\",\"spare1\":\"\",\"application\":"
              "\"C:\\\\\xC3\x96\xE2\x82\xAC\xE2\x80\x9DL.EXE\",\"event\":\"Initiated\","
              "\"identifier\":\"\",\"start_date\":\"\",\"start_time\":\"\",\"count1\":\"\","
              "\"count2\":\"\",\"spare2\":\"S2\"}\n]\n");
    EXPECT_EQ(Run({"--format", "json", "--to", "1998-08-19", "19980820.LOG"}).output, "[]\n");
}

// Output goes out in writes of a megabyte: a log just past one write is
// printed once, line for line. Just past, so that a write repeated for every
// line after it stays a few megabytes. A CSV row is as long as the line.
TEST_F(Plvlog, PrintsEachLineOnceAcrossItsWrites) {
    const std::size_t lines = (std::size_t{1} << 20) / (kStart.size() + 1) + 3;
    Write("MANY.LOG", LogBytes(std::vector<std::string>(lines, kStart)));
    std::string printed;
    for (std::size_t i = 0; i < lines; ++i) printed += kStart + "\n";
    const std::string plain = Run({"MANY.LOG"}).output;
    EXPECT_EQ(plain.size(), printed.size());  // not the megabytes themselves
    EXPECT_TRUE(plain == printed);
    const ToolRun csv = Run({"--format", "csv", "MANY.LOG"});
    ASSERT_GE(csv.output.size(), std::size_t{1} << 20);
    EXPECT_EQ(std::ranges::count(csv.output, '\n'), static_cast<std::ptrdiff_t>(lines + 1));
}

// A full disk is said, and not taken for the end of the log.
TEST_F(Plvlog, SaysWhenItsOutputCannotBeWritten) {
    Write("19980820.LOG", LogBytes({kStart, kEnd}));
    for (const std::string format : {"plain", "csv", "json"}) {
        const ToolRun run =
            RunToolOnAFullDisk(PLVLOG_PROGRAM, {"--format", format, "19980820.LOG"}, dir.path());
        EXPECT_EQ(run.status, 1) << format;
        EXPECT_EQ(run.errors, "plvlog: the output could not be written whole\n") << format;
    }
}

TEST_F(Plvlog, AnswersItsVersionAndRefusesWrongUseWithStatus2) {
    const ToolRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "plvlog " PLV_VERSION "\n");
    for (const std::vector<std::string> &arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"--format", "xml", "x.LOG"},
                                               {"--from", "1998/08/20", "x.LOG"},
                                               {"--header", "--format", "csv", "x.LOG"},
                                               {"--bogus", "x.LOG"}}) {
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(run.errors, "");
        EXPECT_EQ(run.output, "");
    }
}

}  // namespace
}  // namespace plv::testing
