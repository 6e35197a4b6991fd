// The chart library the HTML report carries inline, read from Debian's
// libjs-chart.js at build time (chart_script.cc is generated).
#pragma once

namespace plvreport {

extern const char kChartScript[];

}  // namespace plvreport
