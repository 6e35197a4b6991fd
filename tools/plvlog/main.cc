// plvlog: prints the usage events of log files, one line each.
#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <sstream>

#include "log_reader.h"

int main(int argc, char **argv) {
    CLI::App app{"Print the usage events of the agent's log files (YYYYMMDD.LOG)"};
    std::vector<std::string> paths;
    bool showHeader = false;
    app.add_option("files", paths, "Log files to read")->required()->check(CLI::ExistingFile);
    app.add_flag("--header", showHeader, "Print each file's header text first");
    CLI11_PARSE(app, argc, argv);

    int status = 0;
    for (const std::string &path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const auto log = plv::logs::ParseLogFile(bytes.str());
        if (!log) {
            std::cerr << path << ": not a log file\n";
            status = 1;
            continue;
        }
        if (showHeader) std::cout << log->header << '\n';
        for (const auto &record : log->records) std::cout << record.line << '\n';
        if (log->trailingBytes != 0) {
            std::cerr << path << ": " << log->trailingBytes << " bytes after the last record\n";
            status = 1;
        }
    }
    return status;
}
