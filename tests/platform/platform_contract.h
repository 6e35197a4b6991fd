// The contract every platform keeps alike, run against the Linux platform,
// the fake and the real Windows API, so that none can drift from the others.
// Each run gets a world: a platform with an empty scratch directory (drive
// T: where the platform maps drives), and another process on the same
// machine that the test can make open, lock, take semaphores and die.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/platform.h"

namespace plv::testing {

// Another process, acting on the same files and semaphores.
class Peer {
  public:
    virtual ~Peer() = default;
    // Opens a file and keeps it open; 0 or the Win32 error.
    virtual DWORD Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) = 0;
    // Locks a range of the file it opened last; 0 or the Win32 error.
    virtual DWORD Lock(DWORD offset, DWORD length) = 0;
    // Creates or opens the semaphore and tries to take it without waiting.
    virtual bool TakeSemaphore(const std::string &name) = 0;
    // Opens the semaphore and closes it again; 0 or the Win32 error.
    virtual DWORD FindSemaphore(const std::string &name) = 0;
    // The process dies: whatever it held is let go, as the kernel does.
    virtual void Die() = 0;
};

class World {
  public:
    virtual ~World() = default;
    virtual Platform &platform() = 0;
    virtual std::unique_ptr<Peer> StartPeer() = 0;
    // The scratch directory's path, without a trailing backslash.
    virtual std::string ScratchRoot() { return "T:"; }
    // Under Wine, which differs from Windows in ways that some cases accept,
    // each saying which.
    virtual bool UnderWine() { return false; }
    // Whether the read-only attribute keeps writers out. Wine keeps it as the
    // Unix file's lack of write permission, which does not stop root.
    virtual bool ReadOnlyKeepsWritersOut() { return true; }
};

struct PlatformKind {
    const char *name;
    std::function<std::unique_ptr<World>()> make;
};
void PrintTo(const PlatformKind &kind, std::ostream *out);

class PlatformContract : public ::testing::TestWithParam<PlatformKind> {
  protected:
    std::unique_ptr<World> world = GetParam().make();
    Platform &os = world->platform();
    const std::string root = world->ScratchRoot();

    // A path in the scratch directory.
    std::string Scratch(const std::string &name) const { return root + "\\" + name; }

    // Whole-file helpers through the seam.
    void WriteWholeFile(const std::string &path, const std::string &content);
    std::string ReadWholeFile(const std::string &path);
    HANDLE Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition);

    template <typename Call>
    DWORD ErrorIf(Call failed) {
        return plv::testing::ErrorIf(os, failed);
    }
};

}  // namespace plv::testing
