// The contract's world on the real Windows API: a fresh scratch directory in
// place of drive T:, semaphore names and a registry of its own, and this test
// program run again as the other process.
#include <atomic>
#include <vector>

#include "platform/contract_peer.h"
#include "platform/win32/win32_platform.h"
#include "support/temporary_directory.h"
#include "support/wine.h"

namespace plv::testing {
namespace {

// Test programs run side by side under one Wine server, which holds one
// namespace of semaphores and one registry for them all. Each world's
// semaphore names carry a prefix of its own, and HKEY_LOCAL_MACHINE stands
// for a key of its own; every call still goes to the real API.
class WorldPlatform final : public win32::Win32Platform {
  public:
    WorldPlatform(std::string semaphorePrefix, HKEY machine)
        : semaphorePrefix_(std::move(semaphorePrefix)), machine_(machine) {}

    HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount,
                            LPCSTR name) override {
        const std::string own = Own(name);
        return Win32Platform::CreateSemaphoreA(security, initialCount, maximumCount, name ? own.c_str() : nullptr);
    }
    HANDLE OpenSemaphoreA(DWORD access, BOOL inheritHandle, LPCSTR name) override {
        const std::string own = Own(name);
        return Win32Platform::OpenSemaphoreA(access, inheritHandle, name ? own.c_str() : nullptr);
    }
    LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) override {
        return Win32Platform::RegOpenKeyExA(Own(key), subKey, options, access, result);
    }
    LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition) override {
        return Win32Platform::RegCreateKeyExA(Own(key), subKey, reserved, keyClass, options, access, security,
                                              result, disposition);
    }

  private:
    std::string Own(LPCSTR name) const { return name ? semaphorePrefix_ + name : std::string(); }
    HKEY Own(HKEY key) const { return key == HKEY_LOCAL_MACHINE ? machine_ : key; }

    std::string semaphorePrefix_;
    HKEY machine_;
};

// The other process: "win32-peer <semaphore prefix>".
int PeerMain(const std::vector<std::string> &arguments) {
    WorldPlatform os(arguments.at(0), nullptr);
    return AnswerPeerCommands(os);
}
const HelperRole peerRole("win32-peer", &PeerMain);

std::string UniqueName() {
    static std::atomic<unsigned> worlds{0};
    return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(worlds++);
}

class Win32World final : public World {
  public:
    Win32World()
        : name_(UniqueName()),
          semaphorePrefix_("PLVContract-" + name_ + "-"),
          machineKeyPath_("Software\\PLV contract tests\\" + name_),
          os_(semaphorePrefix_, CreateMachineKey(machineKeyPath_, &machine_)) {}
    ~Win32World() override {
        ::RegCloseKey(machine_);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, machineKeyPath_.c_str());
    }

    Platform &platform() override { return os_; }
    std::unique_ptr<Peer> StartPeer() override {
        return std::make_unique<HelperPeer>("win32-peer",
                                            std::vector<std::string>{semaphorePrefix_});
    }
    std::string ScratchRoot() override { return scratch_.path(); }
    bool UnderWine() override { return RunningUnderWine(); }
    bool ReadOnlyKeepsWritersOut() override { return !RunningUnderWineAsRoot(); }

  private:
    static HKEY CreateMachineKey(const std::string &path, HKEY *key) {
        *key = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, nullptr);
        return *key;
    }

    std::string name_;
    std::string semaphorePrefix_;
    std::string machineKeyPath_;
    HKEY machine_ = nullptr;
    WorldPlatform os_;
    TemporaryDirectory scratch_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract,
                         ::testing::Values(PlatformKind{"Win32", [] { return std::make_unique<Win32World>(); }}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace plv::testing
