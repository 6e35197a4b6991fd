#include "html_report.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_set>

#include "chart_script.h"
#include "html_text.h"
#include "log_time.h"
#include "peaks.h"
#include "report_input.h"
#include "unknown_programs.h"

namespace plvreport {
namespace {

using plv::logs::kSecondsPerDay;

constexpr std::size_t kPeakCharts = 12, kTopRows = 10, kUnknownRows = 20;
constexpr std::int64_t kSecondsPerHour = 3600;

struct Usage {
    std::string name;
    std::int64_t seconds = 0, sessions = 0;
    std::unordered_set<std::int64_t> pairs;
};

std::string Hours(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(seconds) / kSecondsPerHour);
    return text;
}

// The most used first, then by name.
std::vector<const Usage *> Top(const std::map<std::int64_t, Usage> &usage, std::size_t count) {
    std::vector<const Usage *> top;
    for (const auto &[id, u] : usage) top.push_back(&u);
    std::sort(top.begin(), top.end(), [](const Usage *a, const Usage *b) {
        return a->seconds != b->seconds ? a->seconds > b->seconds : a->name < b->name;
    });
    if (top.size() > count) top.resize(count);
    return top;
}

void Table(std::ostream &page, const std::string &id, const std::vector<std::string> &columns,
           const std::vector<std::vector<std::string>> &rows) {
    page << "<table id=\"" << id << "\"><tr>";
    for (const std::string &c : columns) page << "<th>" << HtmlEscaped(c) << "</th>";
    page << "</tr>\n";
    for (const auto &row : rows) {
        page << "<tr>";
        for (const std::string &cell : row) page << "<td>" << HtmlEscaped(cell) << "</td>";
        page << "</tr>\n";
    }
    page << "</table>\n";
}

template <typename Numbers>
std::string JsonNumbers(const Numbers &numbers) {
    std::string out = "[";
    for (const auto &n : numbers) out += (out.size() > 1 ? "," : "") + std::to_string(n);
    return out + "]";
}

std::string JsonStrings(const std::vector<std::string> &texts) {
    std::string out = "[";
    for (const std::string &t : texts) out += (out.size() > 1 ? "," : "") + JsonString(t);
    return out + "]";
}

constexpr char kStyle[] = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.15em; margin-top: 1.5em; }
.charts { display: flex; flex-wrap: wrap; gap: 1em; }
.chart { width: 520px; height: 260px; }
table { border-collapse: collapse; margin-bottom: 1em; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; }
)";

// Draws each chart from the data, and leaves what each holds on its canvas
// (data-drawn) for whoever checks the page.
constexpr char kDraw[] = R"(
const report = JSON.parse(document.getElementById('report-data').textContent);
function draw(id, type, labels, datasets, ticks) {
  const canvas = document.getElementById(id);
  const chart = new Chart(canvas, {type: type, data: {labels: labels, datasets: datasets},
    options: {animation: false, responsive: true, maintainAspectRatio: false,
              scales: {y: {beginAtZero: true, ticks: ticks}}}});
  canvas.dataset.drawn = JSON.stringify(chart.data.datasets.map(d => d.data));
}
report.peaks.forEach((p, i) => {
  const sets = [{label: 'peak users', data: p.peaks, backgroundColor: '#4e79a7'}];
  if (p.licences !== null)
    sets.push({type: 'line', label: 'licences', data: p.peaks.map(() => p.licences),
               borderColor: '#e15759', pointRadius: 0, borderDash: [6, 4]});
  draw('peak-' + i, 'bar', report.days, sets, {precision: 0});  // users are whole
});
draw('hours', 'bar', report.hourLabels, [{label: 'hours in use', data: report.hours, backgroundColor: '#59a14f'}], {});
draw('weekdays', 'bar', report.weekdayLabels, [{label: 'hours in use', data: report.weekdays, backgroundColor: '#f28e2b'}], {});
)";

}  // namespace

void WriteHtmlReport(Store &store, const SessionSet &set, const ApplicationNames &names,
                     const std::vector<LicenceCount> &licences, const ReportFilter &filter,
                     const std::string &output) {
    const SessionSelection selection(filter, set.names);
    const NameBook &n = set.names;

    // Seconds by hour of day and day of week (Monday first), and the top lists.
    std::array<std::int64_t, 24> hours{};
    std::array<std::int64_t, 7> weekdays{};
    std::map<std::int64_t, Usage> byApplication, byUser;
    for (const Session &s : set.sessions) {
        if (!selection.Wanted(s)) continue;
        const std::int64_t from = std::max(s.start, selection.begin());
        const std::int64_t to = std::min(s.end, selection.end());
        for (std::int64_t hour = from - from % kSecondsPerHour; hour < to; hour += kSecondsPerHour) {
            const std::int64_t seconds = std::min(to, hour + kSecondsPerHour) - std::max(from, hour);
            hours[static_cast<std::size_t>((hour % kSecondsPerDay) / kSecondsPerHour)] += seconds;
            // 1970-01-01 was a Thursday: day 0 is the fourth from Monday.
            weekdays[static_cast<std::size_t>((hour / kSecondsPerDay + 3) % 7)] += seconds;
        }
        const std::int64_t seconds = selection.SecondsWithin(s.start, s.end);
        const std::int64_t pair = (s.workstation << 32) ^ s.user;
        for (auto [usage, dimension, id] :
             {std::tuple{&byApplication, Dimension::application, s.application},
              std::tuple{&byUser, Dimension::user, s.user}}) {
            Usage &u = (*usage)[id];
            u.name = n.Name(dimension, id);
            u.seconds += seconds;
            ++u.sessions;
            u.pairs.insert(pair);
        }
    }

    // Each application's peak by day, the highest peaks first.
    std::set<std::int64_t> dayStarts;
    std::map<std::string, std::map<std::int64_t, std::int64_t>> peaksOf;
    for (const PeakRow &row : PeakConcurrency(set, filter, Period::day)) {
        dayStarts.insert(row.period);
        peaksOf[row.application][row.period] = row.peak;
    }
    std::vector<std::pair<std::string, std::int64_t>> charted;  // name, highest peak
    for (const auto &[application, peaks] : peaksOf) {
        std::int64_t highest = 0;
        for (const auto &[day, peak] : peaks) highest = std::max(highest, peak);
        charted.push_back({application, highest});
    }
    std::stable_sort(charted.begin(), charted.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    if (charted.size() > kPeakCharts) charted.resize(kPeakCharts);

    std::vector<std::string> days;
    for (const std::int64_t day : dayStarts) days.push_back(plv::logs::DayText(day));
    std::ostringstream data;
    data << "{\"days\":" << JsonStrings(days) << ",\"peaks\":[";
    for (std::size_t i = 0; i < charted.size(); ++i) {
        std::vector<std::int64_t> series;
        for (const std::int64_t day : dayStarts) {
            const auto &peaks = peaksOf[charted[i].first];
            const auto found = peaks.find(day);
            series.push_back(found != peaks.end() ? found->second : 0);
        }
        const LicenceCount *licence = LicenceOf(licences, charted[i].first);
        data << (i ? "," : "") << "{\"application\":" << JsonString(charted[i].first)
             << ",\"peaks\":" << JsonNumbers(series)
             << ",\"licences\":" << (licence ? std::to_string(licence->count) : "null") << "}";
    }
    std::vector<std::string> hourLabels;
    for (int h = 0; h < 24; ++h) hourLabels.push_back((h < 10 ? "0" : "") + std::to_string(h));
    std::vector<std::string> hourValues, weekdayValues;
    data << "],\"hourLabels\":" << JsonStrings(hourLabels) << ",\"hours\":[";
    for (std::size_t h = 0; h < hours.size(); ++h) data << (h ? "," : "") << Hours(hours[h]);
    data << "],\"weekdayLabels\":"
         << JsonStrings({"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"})
         << ",\"weekdays\":[";
    for (std::size_t d = 0; d < weekdays.size(); ++d) data << (d ? "," : "") << Hours(weekdays[d]);
    data << "]}";

    const std::string period = (filter.from ? plv::logs::DayText(*filter.from) : std::string("the first day")) +
                               " to " +
                               (filter.to ? plv::logs::DayText(*filter.to) : std::string("the last day"));
    std::ostringstream page;
    page << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
         << "<title>Software usage: " << HtmlEscaped(period) << "</title>\n<style>" << kStyle
         << "</style>\n</head><body>\n<h1>Software usage, " << HtmlEscaped(period) << "</h1>\n"
         << "<h2>Most users at once, by day, against the licences</h2>\n<div class=\"charts\">\n";
    for (std::size_t i = 0; i < charted.size(); ++i)
        page << "<div><h3>" << HtmlEscaped(charted[i].first) << "</h3><div class=\"chart\"><canvas id=\"peak-"
             << i << "\"></canvas></div></div>\n";
    page << "</div>\n<h2>Use by hour of day and day of week</h2>\n<div class=\"charts\">"
         << "<div class=\"chart\"><canvas id=\"hours\"></canvas></div>"
         << "<div class=\"chart\"><canvas id=\"weekdays\"></canvas></div></div>\n";

    std::vector<std::vector<std::string>> rows;
    for (const Usage *u : Top(byApplication, kTopRows))
        rows.push_back({u->name, Hours(u->seconds), std::to_string(u->sessions), std::to_string(u->pairs.size())});
    page << "<h2>Top applications</h2>\n";
    Table(page, "top-applications", {"application", "hours", "sessions", "users"}, rows);
    rows.clear();
    for (const Usage *u : Top(byUser, kTopRows))
        rows.push_back({u->name, Hours(u->seconds), std::to_string(u->sessions)});
    page << "<h2>Top users</h2>\n";
    Table(page, "top-users", {"user", "hours", "sessions"}, rows);
    rows.clear();
    std::vector<UnknownProgram> unknown = UnknownPrograms(store, n, names, filter);
    if (unknown.size() > kUnknownRows) unknown.resize(kUnknownRows);
    for (const UnknownProgram &p : unknown)
        rows.push_back({p.file, p.product, p.company, std::to_string(p.workstations),
                        std::to_string(p.users), plv::logs::InstantText(p.last)});
    page << "<h2>Programs no definition knows</h2>\n";
    Table(page, "unknown", {"file", "product", "company", "workstations", "users", "last seen"}, rows);

    page << "<script type=\"application/json\" id=\"report-data\">" << data.str() << "</script>\n"
         << "<script>" << kChartScript << "</script>\n<script>" << kDraw << "</script>\n</body></html>\n";

    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    file << page.str();
    file.close();
    if (!file) throw InputError("plvreport: " + output + ": cannot be written: " + std::strerror(errno));
}

}  // namespace plvreport
