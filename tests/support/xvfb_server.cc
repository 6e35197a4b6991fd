#include "support/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace plv::testing {
namespace {

// Xvfb writes its display number, then a line end, once it accepts clients.
std::string ReadDisplayNumber(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string number;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd watch{fd, POLLIN, 0};
        if (::poll(&watch, 1, 100) <= 0) continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1) return {};
        if (c == '\n') return number;
        number.push_back(c);
    }
    return {};
}

}  // namespace

std::unique_ptr<XvfbServer> XvfbServer::Start(const std::vector<std::string> &arguments,
                                               std::string &whyNot) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        whyNot = "no pipe for its display number";
        return nullptr;
    }
    // Without reset, as a desktop's server: one left without clients for a
    // moment would otherwise reset and refuse whoever connects meanwhile.
    std::vector<std::string> command{"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    auto process = std::make_unique<ChildProcess>(command, pipeFds[1]);
    ::close(pipeFds[1]);
    std::string number = process->started() ? ReadDisplayNumber(pipeFds[0]) : std::string{};
    ::close(pipeFds[0]);
    if (!process->started()) {
        whyNot = "Xvfb is not installed (Debian package xvfb)";
        return nullptr;
    }
    if (number.empty()) {
        whyNot = "Xvfb did not report a display";
        return nullptr;
    }
    return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(process), ":" + number));
}

}  // namespace plv::testing
