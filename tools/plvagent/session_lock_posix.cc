// The session lock on Linux: an advisory lock on a file of the runtime
// directory, which the kernel lets go when the holder ends, however it
// ends; the file names the holder's process id for the one refused.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "host_system.h"
#include "session.h"

namespace plvagent {
namespace {

std::string ReadHolder(int descriptor) {
    char text[32] = {};
    const ssize_t length = ::pread(descriptor, text, sizeof text - 1, 0);
    std::string holder = length > 0 ? std::string(text, static_cast<std::size_t>(length)) : "";
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' ')) holder.pop_back();
    return holder.empty() ? "unknown" : holder;
}

}  // namespace

SessionLock::~SessionLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

bool SessionLock::Take(const std::string &directory, const std::string &session, std::string *why) {
    // The runtime directory is the platform's own, made with no access for
    // others; one it refuses holds no lock, and the start reports the
    // refusal as metering fails to start.
    if (!host::PrepareRuntimeDirectory().empty()) return true;
    // Per user too: a runtime directory may be configured for many.
    const std::string path =
        directory + "/session-" + std::to_string(::getuid()) + "-" + session + ".lock";
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        *why = path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        *why = error == EWOULDBLOCK ? "another plvagent (process " + ReadHolder(descriptor) +
                                          ") meters this session already (lock " + path + ")"
                                    : path + ": " + std::strerror(error);
        ::close(descriptor);
        return false;
    }
    const std::string holder = std::to_string(::getpid()) + "\n";
    if (::ftruncate(descriptor, 0) != 0 || ::pwrite(descriptor, holder.data(), holder.size(), 0) !=
                                               static_cast<ssize_t>(holder.size())) {
        *why = path + ": " + std::strerror(errno);
        ::close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    return true;
}

}  // namespace plvagent
