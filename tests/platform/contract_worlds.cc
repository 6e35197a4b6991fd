// The two worlds the contract runs in: the Linux platform over a temporary
// directory, with this test binary re-run as the other process; and the
// fake, with a second fake on the same machine as the other process.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform_contract.h"
#include "support/fake_platform.h"
#include "support/helper_process.h"
#include "support/temporary_directory.h"

namespace plv::testing {
namespace {

// ---- the Linux platform ------------------------------------------------

// The other process: "peer <T: directory> <data directory> <runtime directory>".
int PeerMain(const std::vector<std::string> &arguments) {
    posix::MapDrive('T', arguments.at(0));
    posix::SetDataDirectory(arguments.at(1));
    posix::SetRuntimeDirectory(arguments.at(2));
    posix::PosixPlatform os;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "open") {
            DWORD access, share, disposition;
            std::string path;
            words >> access >> share >> disposition >> path;
            file = os.CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
            std::cout << (file == INVALID_HANDLE_VALUE ? os.GetLastError() : 0) << std::endl;
        } else if (command == "lock") {
            DWORD offset, length;
            words >> offset >> length;
            std::cout << (os.LockFile(file, offset, 0, length, 0) ? 0 : os.GetLastError()) << std::endl;
        } else if (command == "take") {
            std::string name;
            words >> name;
            HANDLE semaphore = os.CreateSemaphoreA(nullptr, 1, 1, name.c_str());
            const bool taken = semaphore && os.WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0;
            std::cout << (taken ? "taken" : "busy") << std::endl;
        } else {
            std::cout << "unknown " << command << std::endl;
        }
    }
    return 0;
}
const HelperRole peerRole("peer", &PeerMain);

class PosixPeer final : public Peer {
  public:
    explicit PosixPeer(const std::vector<std::string> &arguments) : process_("peer", arguments) {}
    DWORD Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) override {
        return Number(process_.Ask("open " + std::to_string(access) + " " + std::to_string(shareMode) +
                                   " " + std::to_string(disposition) + " " + path));
    }
    DWORD Lock(DWORD offset, DWORD length) override {
        return Number(process_.Ask("lock " + std::to_string(offset) + " " + std::to_string(length)));
    }
    bool TakeSemaphore(const std::string &name) override {
        return process_.Ask("take " + name) == "taken";
    }
    void Die() override { process_.Kill(); }

  private:
    static DWORD Number(const std::string &answer) {
        return static_cast<DWORD>(std::strtoul(answer.c_str(), nullptr, 10));
    }
    HelperProcess process_;
};

class PosixWorld final : public World {
  public:
    PosixWorld() {
        posix::MapDrive('T', volume_.path());
        posix::SetDataDirectory(directories_ / "data");
        posix::SetRuntimeDirectory(directories_ / "run");
    }
    Platform &platform() override { return os_; }
    std::unique_ptr<Peer> StartPeer() override {
        return std::make_unique<PosixPeer>(std::vector<std::string>{
            volume_.path(), directories_ / "data", directories_ / "run"});
    }

  private:
    TemporaryDirectory volume_;
    TemporaryDirectory directories_;
    posix::PosixPlatform os_;
};

// ---- the fake -----------------------------------------------------------

// Files of the fake live in one fake, so the other process's opens and
// locks are made there; its semaphores live in a second fake on the same
// machine.
class FakePeer final : public Peer {
  public:
    explicit FakePeer(FakePlatform &fake) : fake_(fake) { other_.machine = fake.machine; }
    DWORD Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) override {
        HANDLE file = fake_.CreateFileA(path.c_str(), access, shareMode, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return fake_.GetLastError();
        files_.push_back(file);
        path_ = path;
        return 0;
    }
    DWORD Lock(DWORD offset, DWORD length) override {
        fake_.LockByOtherProcess(path_, offset, length);
        return 0;
    }
    bool TakeSemaphore(const std::string &name) override {
        HANDLE semaphore = other_.CreateSemaphoreA(nullptr, 1, 1, name.c_str());
        return semaphore && other_.WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0;
    }
    void Die() override {
        for (HANDLE file : files_) fake_.CloseHandle(file);
        files_.clear();
        fake_.ReleaseOtherProcessLocks();
        other_.EndProcess();
    }

  private:
    FakePlatform &fake_;
    FakePlatform other_;
    std::vector<HANDLE> files_;
    std::string path_;
};

class FakeWorld final : public World {
  public:
    FakeWorld() { fake_.files.directories.insert("T:"); }
    Platform &platform() override { return fake_; }
    std::unique_ptr<Peer> StartPeer() override { return std::make_unique<FakePeer>(fake_); }

  private:
    FakePlatform fake_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    All, PlatformContract,
    ::testing::Values(PlatformKind{"Posix", [] { return std::make_unique<PosixWorld>(); }},
                      PlatformKind{"Fake", [] { return std::make_unique<FakeWorld>(); }}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace plv::testing
