// Talking to an X server that has gone must not end the host by SIGPIPE.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/x11_display.h"

namespace plv::posix::x11 {
namespace {

bool SigpipePending() {
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

bool SigpipeBlocked() {
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    return sigismember(&mask, SIGPIPE) == 1;
}

// Writes to a pipe whose reading end is closed, as to a server that is gone.
int WriteToNobody() {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    const ssize_t written = ::write(fds[1], "x", 1);
    const int error = errno;
    ::close(fds[1]);
    return written < 0 ? error : 0;
}

TEST(SigpipeHeld, AWriteToNobodyFailsWithoutEndingTheProcess) {
    ASSERT_FALSE(SigpipeBlocked());
    {
        const SigpipeHeld held;
        EXPECT_EQ(WriteToNobody(), EPIPE);
    }
    EXPECT_FALSE(SigpipePending());
    EXPECT_FALSE(SigpipeBlocked());
}

TEST(SigpipeHeld, LeavesTheHostsOwnPendingSignalAndMaskAlone) {
    sigset_t sigpipe, previous;
    sigemptyset(&sigpipe);
    sigaddset(&sigpipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &sigpipe, &previous);
    ::raise(SIGPIPE);
    {
        const SigpipeHeld held;
        EXPECT_EQ(WriteToNobody(), EPIPE);
    }
    EXPECT_TRUE(SigpipePending());
    EXPECT_TRUE(SigpipeBlocked());
    const timespec now{};
    EXPECT_EQ(sigtimedwait(&sigpipe, nullptr, &now), SIGPIPE);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace
}  // namespace plv::posix::x11
