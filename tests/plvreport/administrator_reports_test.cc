// Applications by their definitions' names, licence compliance, unknown
// programs and the agents' own figures over three workstations and two
// days, filled through the storage interface; each answer worked out by
// hand, byte for byte in CSV.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "html_text.h"
#include "log_time.h"
#include "peaks.h"
#include "plvlog/tool_run.h"
#include "store.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

using plvreport::StoredDefinition;
using plvreport::StoredEvent;

const std::string kEditor = "C:\\APPS\\EDITOR.EXE", kOtherEditor = "D:\\TOOLS\\editor.exe",
                  kCalc = "C:\\APPS\\CALC.EXE";
constexpr char kDay1[] = "1998/08/20", kDay2[] = "1998/08/21";

std::int64_t At(const char *date, const char *time) { return *logs::LoggedInstant(date, time); }

// A log file of the store, its events added one after another.
class StoredLog {
  public:
    StoredLog(plvreport::Store &store, const std::string &file) : store_(store) {
        bool added = false;
        id_ = store.TakeFile(file, plvreport::FileKind::log, &added).id;
    }
    void Add(const char *date, const char *time, const char *workstation, const char *user,
             const std::string &application, const char *what, const char *started = nullptr) {
        StoredEvent e;
        e.offset = offset_++;
        e.at = At(date, time);
        if (started != nullptr) e.startAt = At(date, started);
        e.workstation = workstation, e.user = user, e.context = "SALES";
        e.application = application, e.event = what;
        store_.AddEvent(id_, e);
    }
    void PlaceNextAt(std::uint64_t offset) { offset_ = offset; }

  private:
    plvreport::Store &store_;
    std::int64_t id_ = 0;
    std::uint64_t offset_ = 0;
};

// A store open for import with a day's log file and definition file.
class StoredDay {
  public:
    explicit StoredDay(const TemporaryDirectory &dir)
        : store_(plvreport::OpenStore(dir / "report.db", plvreport::StoreUse::import)) {
        store_->Begin();
        log_.emplace(*store_, dir / "19980820.LOG");
        bool added = false;
        definitions_ =
            store_->TakeFile(dir / "19980820.DEF", plvreport::FileKind::definitions, &added).id;
    }
    plvreport::Store &store() { return *store_; }
    StoredLog &log() { return *log_; }
    void Recorded(const char *date, const char *time, const char *workstation,
                  const std::string &user, const std::string &file, const char *product = "",
                  const char *company = "") {
        StoredDefinition d;
        d.offset = offset_++;
        d.recordedAt = At(date, time);
        d.workstation = workstation, d.user = user, d.context = "SALES";
        d.fileName = file, d.product = product, d.company = company;
        store_->AddDefinition(definitions_, d);
    }
    void Commit() { store_->Commit(); }

  private:
    std::unique_ptr<plvreport::Store> store_;
    std::optional<StoredLog> log_;
    std::int64_t definitions_ = 0;
    std::uint64_t offset_ = 0;
};

// The text inside each <tag> of the page's part that starts at `from`, up to `to`.
std::vector<std::string> Texts(const std::string &html, const std::string &tag,
                               const std::string &from, const std::string &to) {
    std::vector<std::string> texts;
    const std::size_t end = html.find(to, html.find(from));
    for (std::size_t at = html.find(tag, html.find(from)); at < end; at = html.find(tag, at + 1))
        texts.push_back(
            html.substr(at + tag.size(), html.find('<', at + tag.size()) - at - tag.size()));
    return texts;
}

class AdministratorReports : public ::testing::Test {
  protected:
    AdministratorReports() {
        StoredDay day(dir);
        StoredLog &log = day.log();
        const auto session = [&](const char *date, const char *from, const char *to,
                                 const char *workstation, const char *user,
                                 const std::string &application) {
            log.Add(date, from, workstation, user, application, "Initiated");
            log.Add(date, to, workstation, user, application, "Terminated", from);
        };
        session(kDay1, "09:00:00", "10:00:00", "WS-1", "ANN", kEditor);
        session(kDay1, "09:30:00", "11:00:00", "WS-2", "BOB", kOtherEditor);
        session(kDay1, "10:30:00", "12:00:00", "WS-3", "CAT", kEditor);
        session(kDay1, "13:00:00", "14:00:00", "WS-1", "ANN", kCalc);
        session(kDay2, "09:00:00", "09:30:00", "WS-1", "ANN", kEditor);
        session(kDay2, "09:00:00", "09:20:00", "WS-2", "BOB", kEditor);
        session(kDay2, "09:10:00", "09:40:00", "WS-3", "CAT", kEditor);
        log.Add(kDay2, "10:00:00", "WS-2", "BOB", "Pelvantine", "Initialization Failure");
        log.Add("1998/08/22", "00:00:00", "WS-3", "CAT", "Pelvantine", "Continued");

        day.Recorded(kDay1, "10:00:00", "WS-1", "ANN", "PAINT.EXE", "Paint", "Pelv");
        day.Recorded(kDay1, "11:00:00", "WS-2", "BOB", "PAINT.EXE", "Paint", "Pelv");
        day.Recorded(kDay2, "10:00:00", "WS-2", "BOB", "paint.exe", "Paint 2", "Pelv");
        day.Recorded(kDay1, "12:00:00", "WS-1", "ANN", "NOTES.EXE");
        day.Recorded(kDay2, "12:00:00", "WS-1", "DAN", "NOTES.EXE");
        day.Recorded(kDay2, "08:00:00", "WS-3", "CAT", "ZIP.EXE", "Zip");  // a tie: WinZip shows
        day.Recorded(kDay2, "08:30:00", "WS-1", "ANN", "ZIP.EXE", "WinZip");
        day.Recorded(kDay1, "08:00:00", "WS-3", "CAT", "editor.exe");
        day.Recorded(kDay1, "09:00:00", "WS-1", "ANN", "gnome-calcul");
        day.Recorded(kDay1, "09:05:00", "WS-2", "BOB", "gnome-calcul");
        day.Recorded(kDay2, "07:00:00", "WS-3", "CAT", "gnome-calcul");
        day.Commit();

        WriteHostFile(dir / "plvagent.def",
                      std::string("[Editor]\r\nFileName=EDITOR.EXE\r\n[Sheets]\r\nFileName=SHEETS.EXE\r\n"));
        WriteHostFile(dir / "licences.ini",
                      std::string("[Licences]\r\nEditor = 2\r\neditor.exe = 2\r\nCALC.EXE = 1\r\n"));
    }
    ToolRun Report(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--db", dir / "report.db"});
        return RunTool(PLVREPORT_PROGRAM, arguments, dir.path());
    }
    std::string Csv(std::vector<std::string> arguments) {
        arguments.push_back("--format=csv");
        const ToolRun run = Report(arguments);
        EXPECT_EQ(run.status, 0) << run.errors;
        return run.output;
    }
    TemporaryDirectory dir;
};

TEST_F(AdministratorReports, LicencesMarkOverUseAndUnusedLicences) {
    const std::string header = "application,period,licences,peak,at,over\n";
    const struct {
        std::vector<std::string> arguments;
        std::string rows;
    } cases[] = {
        {{"--definitions", "plvagent.def", "--by", "day"},
         "CALC.EXE,1998-08-20,1,1,1998-08-20 13:00:00,no\n"
         "CALC.EXE,1998-08-21,1,0,,no\n"
         "Editor,1998-08-20,2,2,1998-08-20 09:30:00,no\n"
         "Editor,1998-08-21,2,3,1998-08-21 09:10:00,yes\n"
         "editor.exe,1998-08-20,2,0,,no\n"
         "editor.exe,1998-08-21,2,0,,no\n"},
        // By file name, both editors' paths count under one licence; a month
        // asked for has its row, used or not.
        {{"--from", "1998-08-01", "--to", "1998-09-30"},
         "CALC.EXE,1998-08,1,1,1998-08-20 13:00:00,no\nCALC.EXE,1998-09,1,0,,no\n"
         "Editor,1998-08,2,0,,no\nEditor,1998-09,2,0,,no\n"
         "editor.exe,1998-08,2,3,1998-08-21 09:10:00,yes\neditor.exe,1998-09,2,0,,no\n"},
        {{"--by", "day", "--from", "1998-08-20", "--to", "1998-08-20"},
         "CALC.EXE,1998-08-20,1,1,1998-08-20 13:00:00,no\n"
         "Editor,1998-08-20,2,0,,no\n"
         "editor.exe,1998-08-20,2,2,1998-08-20 09:30:00,no\n"},
        // The periods asked for, used or not.
        {{"--by", "day", "--from", "1998-08-22", "--to", "1998-08-23", "--application", kCalc},
         "CALC.EXE,1998-08-22,1,0,,no\nCALC.EXE,1998-08-23,1,0,,no\n"
         "Editor,1998-08-22,2,0,,no\nEditor,1998-08-23,2,0,,no\n"
         "editor.exe,1998-08-22,2,0,,no\neditor.exe,1998-08-23,2,0,,no\n"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> arguments = {"licences", "--licences", "licences.ini"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(Csv(arguments), header + c.rows) << ::testing::PrintToString(c.arguments);
    }
    // The calculator, without a licence now, is left out; 0 licences is a count.
    WriteHostFile(dir / "licences.ini", std::string("[Licences]\r\nEditor = 0\r\n"));
    EXPECT_EQ(Csv({"licences", "--licences", "licences.ini", "--definitions", "plvagent.def",
                   "--from", "1998-08-20", "--to", "1998-08-20"}),
              header + "Editor,1998-08,0,2,1998-08-20 09:30:00,yes\n");
}

TEST_F(AdministratorReports, BadLicenceAndDefinitionLinesAreNamedWithStatus2) {
    const std::vector<std::string> licences = {"licences", "--licences", "licences.ini"};
    const std::vector<std::string> definitions = {"unknown", "--definitions", "plvagent.def"};
    const struct {
        const std::vector<std::string> &arguments;  // the case's file last
        std::string content, error;
    } cases[] = {
        {licences, "[Licences]\r\nEditor = 2\r\nCALC.EXE = many\r\n",
         "licences.ini:3: CALC.EXE: a licence count"},
        {licences, "[Licenses]\r\nEditor = 2\r\n",
         "licences.ini:1: [Licenses]: the only section read is [Licences]"},
        {licences, "[Licences]\r\nEditor 2\r\n", "licences.ini:2"},
        {licences, "", "licences.ini: has no [Licences] section"},
        {definitions, "[Editor]\r\nFileNam=EDITOR.EXE\r\n", "plvagent.def:2: FileNam: unknown key"},
    };
    for (const auto &c : cases) {
        WriteHostFile(dir / c.arguments.back(), c.content);
        const ToolRun run = Report(c.arguments);
        EXPECT_EQ(run.status, 2) << c.content;
        EXPECT_NE(run.errors.find(c.error), std::string::npos) << run.errors;
        EXPECT_EQ(run.output, "");
    }
}

TEST_F(AdministratorReports, UnknownProgramsRankByWorkstationsThenUsers) {
    const std::string header = "file,product,company,workstations,users,days,first,last\n";
    EXPECT_EQ(Csv({"unknown", "--definitions", "plvagent.def"}),
              header +
                  "gnome-calcul,,,3,3,2,1998-08-20 09:00:00,1998-08-21 07:00:00\n"
                  "PAINT.EXE,Paint,Pelv,2,2,2,1998-08-20 10:00:00,1998-08-21 10:00:00\n"
                  "ZIP.EXE,WinZip,,2,2,1,1998-08-21 08:00:00,1998-08-21 08:30:00\n"
                  "NOTES.EXE,,,1,2,2,1998-08-20 12:00:00,1998-08-21 12:00:00\n");
    // Without definitions every program is unknown; a period keeps its lines only.
    EXPECT_EQ(Csv({"unknown", "--to", "1998-08-20", "--workstation", "WS-3"}),
              header + "editor.exe,,,1,1,1,1998-08-20 08:00:00,1998-08-20 08:00:00\n");
}

TEST_F(AdministratorReports, WorkstationsShowTheirLastEventAndFailures) {
    const std::string header = "workstation,first,last,events,sessions,failures\n";
    EXPECT_EQ(Csv({"workstations"}),
              header +
                  "WS-1,1998-08-20 09:00:00,1998-08-21 09:30:00,6,3,0\n"
                  "WS-2,1998-08-20 09:30:00,1998-08-21 10:00:00,5,2,1\n"
                  "WS-3,1998-08-20 10:30:00,1998-08-22 00:00:00,5,2,0\n");
    // The event at midnight after the last day is outside the period.
    EXPECT_EQ(Csv({"workstations", "--from", "1998-08-21", "--to", "1998-08-21"}),
              header +
                  "WS-1,1998-08-21 09:00:00,1998-08-21 09:30:00,2,1,0\n"
                  "WS-2,1998-08-21 09:00:00,1998-08-21 10:00:00,3,1,1\n"
                  "WS-3,1998-08-21 09:10:00,1998-08-21 09:40:00,2,1,0\n");
}

// The page of a known database in a real headless browser: no console
// error, nothing fetched, every chart holding its data; its screenshot is
// left in the build for a look.
TEST_F(AdministratorReports, HtmlReportDrawsEveryChartInABrowser) {
    const ToolRun page = Report({"html", "--output", "report.html", "--definitions", "plvagent.def",
                                 "--licences", "licences.ini"});
    ASSERT_EQ(page.status, 0) << page.errors;
    const std::string html = ReadHostFile(dir / "report.html");
    EXPECT_EQ(html.find(" src="), std::string::npos) << "the page fetches something";
    EXPECT_NE(html.find("<td>C:\\APPS\\CALC.EXE</td>"), std::string::npos);
    EXPECT_NE(html.find("\"hourLabels\":[\"00\",\"01\",\"02\",\"03\",\"04\",\"05\",\"06\",\"07\","
                        "\"08\",\"09\",\"10\",\"11\",\"12\",\"13\",\"14\",\"15\",\"16\",\"17\","
                        "\"18\",\"19\",\"20\",\"21\",\"22\",\"23\"]"),
              std::string::npos);
    EXPECT_EQ(Texts(html, "<h2>", "<body>", "</body>"),
              (std::vector<std::string>{"Most users at once, by day, against the licences",
                                        "Use by hour of day and day of week", "Top applications",
                                        "Top users", "Programs no definition knows"}));

    const auto browse = [&](const std::string &what) {
        return RunTool(CHROMIUM_PROGRAM,
                       {"--headless=new", "--no-sandbox", "--disable-gpu",
                        "--enable-logging=stderr", "--v=0", "--window-size=1200,1300",
                        "--hide-scrollbars", what,
                        "file://" + (dir / "report.html")},
                       dir.path());
    };
    const ToolRun dom = browse("--dump-dom");
    ASSERT_EQ(dom.status, 0) << dom.errors;
    EXPECT_EQ(dom.errors.find("CONSOLE"), std::string::npos) << dom.errors;
    const struct {
        std::string canvas, drawn;
    } charts[] = {
        // Editor by day against its 2 licences; the calculator against its 1.
        {"peak-0", "[[2,3],[2,2]]"},
        {"peak-1", "[[1,0],[1,1]]"},
        {"hours", "[[0,0,0,0,0,0,0,0,0,2.8,1.5,1,0,1,0,0,0,0,0,0,0,0,0,0]]"},
        {"weekdays", "[[0,0,0,5,1.3,0,0]]"},  // a Thursday and a Friday
    };
    for (const auto &c : charts) {
        const std::size_t canvas = std::min(dom.output.find("id=\"" + c.canvas + "\""), dom.output.size());
        const std::string tag = dom.output.substr(canvas, dom.output.find('>', canvas) - canvas);
        EXPECT_NE(tag.find("data-drawn=\"" + c.drawn + "\""), std::string::npos) << tag;
    }
    for (const char *row : {"<h1>Software usage, the first day to the last day</h1>",
                            "<tr><td>Editor</td><td>5.3</td><td>6</td><td>3</td></tr>",
                            "<tr><td>ANN</td><td>2.5</td><td>3</td></tr>",
                            "<tr><td>gnome-calcul</td><td></td><td></td><td>3</td><td>3</td>"})
        EXPECT_NE(dom.output.find(row), std::string::npos) << row;

    const ToolRun screenshot = browse(std::string("--screenshot=") + PLVREPORT_SCREENSHOT);
    ASSERT_EQ(screenshot.status, 0) << screenshot.errors;
    EXPECT_EQ(ReadHostFile(PLVREPORT_SCREENSHOT).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

std::string Numbered(const char *prefix, int n, const char *suffix = "") {
    return prefix + std::string(n < 10 ? "0" : "") + std::to_string(n) + suffix;
}

// Application n has n + 1 users at once for n + 1 hours in all, user n uses
// the applications from n on, and program n no definition knows is seen by
// 25 - n users: the page keeps to the leading ones of each, in order.
TEST(HtmlReport, ShowsOnlyTheLeadingApplicationsUsersAndUnknownPrograms) {
    TemporaryDirectory dir;
    {
        StoredDay day(dir);
        for (int n = 0; n < 25; ++n) {
            for (int u = 0; u <= n; ++u) {
                const std::string user = Numbered("U", u), app = Numbered("APP", n, ".EXE");
                day.log().Add(kDay1, "09:00:00", "WS-1", user.c_str(), app, "Initiated");
                day.log().Add(kDay1, "10:00:00", "WS-1", user.c_str(), app, "Terminated",
                              "09:00:00");
                day.Recorded(kDay1, "09:00:00", "WS-1", user, Numbered("NEW", 24 - n, ".EXE"));
            }
        }
        day.Commit();
    }
    ASSERT_EQ(RunTool(PLVREPORT_PROGRAM, {"--db", dir / "report.db", "html", "--output", "r.html"},
                      dir.path())
                  .status,
              0);
    const std::string html = ReadHostFile(dir / "r.html");
    const auto names = [](const char *prefix, int first, int count, int step, const char *suffix) {
        std::vector<std::string> names;
        for (int n = first; count-- > 0; n += step) names.push_back(Numbered(prefix, n, suffix));
        return names;
    };
    EXPECT_EQ(Texts(html, "<h3>", "<h2>", "</div>\n<h2>"), names("APP", 24, 12, -1, ".EXE"));
    EXPECT_EQ(Texts(html, "<tr><td>", "id=\"top-applications\"", "</table>"),
              names("APP", 24, 10, -1, ".EXE"));
    EXPECT_EQ(Texts(html, "<tr><td>", "id=\"top-users\"", "</table>"), names("U", 0, 10, 1, ""));
    EXPECT_EQ(Texts(html, "<tr><td>", "id=\"unknown", "</table>"), names("NEW", 0, 20, 1, ".EXE"));
}

// Every text of the page is markup-safe, and no text of the data ends its
// script element.
TEST(HtmlText, EscapesMarkupAndScriptEnds) {
    EXPECT_EQ(plvreport::HtmlEscaped("O'Neil & <Son> \"A\""),
              "O&#39;Neil &amp; &lt;Son&gt; &quot;A&quot;");
    EXPECT_EQ(plvreport::JsonString("C:\\A\"</script>\n\xc3\xa9"),
              "\"C:\\\\A\\\"\\u003c/script\\u003e\\u000a\xc3\xa9\"");
}

// An end whose start matches no open session closes the latest one begun
// after the start it names.
TEST(BuildSessions, AnEndNamingNoOpenStartClosesTheLatestBegunAfterIt) {
    TemporaryDirectory dir;
    StoredDay day(dir);
    day.log().Add(kDay1, "10:00:00", "WS-1", "ANN", kEditor, "Initiated");
    day.log().Add(kDay1, "10:30:00", "WS-1", "ANN", kEditor, "Initiated");
    day.log().Add(kDay1, "11:00:00", "WS-1", "ANN", kEditor, "Terminated", "09:50:00");
    day.Commit();
    const auto sessions = plvreport::BuildSessions(day.store()).sessions;
    ASSERT_EQ(sessions.size(), 2u);
    for (const plvreport::Session &s : sessions)
        EXPECT_EQ(s.open, s.start != At(kDay1, "10:30:00")) << s.start;
}

// Events of one instant pair in the order of their places in the file,
// whatever order the engine gives them in.
TEST(BuildSessions, EventsOfOneInstantPairInTheOrderOfTheirFile) {
    TemporaryDirectory dir;
    StoredDay day(dir);
    day.log().PlaceNextAt(1);
    day.log().Add(kDay1, "10:00:00", "WS-1", "ANN", kEditor, "Terminated", "10:00:00");
    day.log().PlaceNextAt(0);
    day.log().Add(kDay1, "10:00:00", "WS-1", "ANN", kEditor, "Initiated");
    day.Commit();
    const auto sessions = plvreport::BuildSessions(day.store()).sessions;
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_FALSE(sessions[0].open);
}

// A pair counts once while any of its sessions is open: the end of the
// shorter of two does not make room for another pair.
TEST(PeakConcurrency, APairCountsUntilItsLastSessionEnds) {
    plvreport::SessionSet set;
    set.names.Add(plvreport::Dimension::application, {{7, kEditor}});
    // Workstation and user 1 twice, one inside the other; then pair 2.
    set.sessions = {{1, 1, 0, 7, 100, 400}, {1, 1, 0, 7, 150, 200}, {2, 2, 0, 7, 300, 350}};
    const auto rows = plvreport::PeakConcurrency(set, {}, plvreport::Period::day);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].peak, 2);
    EXPECT_EQ(rows[0].at, 300);
}

}  // namespace
}  // namespace plv::testing
