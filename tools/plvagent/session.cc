#include "session.h"

namespace plvagent {
namespace {

std::string FileNameSafe(const std::string &text) {
    std::string safe = text;
    for (char &c : safe) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!plain) c = '_';
    }
    return safe;
}

}  // namespace

std::string SessionName(const std::string &hostName, const std::string &display) {
    if (display.empty()) return FileNameSafe(hostName);
    // [host]:number[.screen]: the screens of one display are one session.
    std::string name = display;
    const std::size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
        const std::size_t dot = name.find('.', colon);
        if (dot != std::string::npos) name.resize(dot);
        name.erase(colon, 1);
        if (colon > 0) name.insert(colon, "_");
    }
    return FileNameSafe(hostName) + "-" + FileNameSafe(name);
}

}  // namespace plvagent
