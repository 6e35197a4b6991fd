// Event lines and the instants they log, as the readers take them.
#include "event_line.h"

#include <gtest/gtest.h>

#include "log_time.h"

namespace plv::logs {
namespace {

TEST(EventLine, TakesTheAgentsLinesAndNothingElse) {
    const std::vector<std::pair<std::string, bool>> lines = {
        {"1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;Initiated;;;;;;", true},
        {"1998/08/20;17:40:11;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;Terminated;;1998/08/"
         "20;09:15:02;0;0;",
         true},
        {"1998/08/21;00:00:00;WS-017;JDOE;SALES;;Pelvantine;Continued;PLV.12;;;;;", true},
        // A ':' after a separator, and bytes of the code page's upper half.
        {"1998/08/20;09:15:02;WS;:U;:\xC4;;C:\\\xD6.EXE;Initiated;;;;;;", true},
        {"1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;",
         false},  // 13 fields
        {"1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;;",
         false},  // 15 fields
        {"1998/02/29;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;",
         false},  // no such day
        {"1998/08/20;23:59:59;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", true},
        {"1998/08/20;24:00:00;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", false},
        {"1998/08/20;09:60:00;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", false},
        {"1998/08/20;09:15:60;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", false},
        {"1998-08-20;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", false},
        // '/' is the byte before '0': "1/" must not read as nine.
        {"1998/08/20;09:1/:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Initiated;;;;;;", false},
        {"1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Terminated;;1998/08/20;;0;0;",
         false},
        {"1998/08/20;09:15:02;WS-017;JDOE;SALES;;C:\\EDITOR.EXE;Terminated;;;09:15:02;0;0;", false},
    };
    for (const auto &[line, taken] : lines)
        EXPECT_EQ(ReadEventLine(line).has_value(), taken) << line;
    const auto end = ReadEventLine(lines[1].first);
    EXPECT_EQ(end->fields[kApplication], "C:\\APPS\\EDITOR.EXE");
    EXPECT_EQ(end->fields[kSpare2], "");
    EXPECT_EQ(end->at - *end->startAt, 8 * 3600 + 25 * 60 + 9);
    EXPECT_FALSE(ReadEventLine(lines[0].first)->startAt);
}

}  // namespace
}  // namespace plv::logs
