// The two worlds the contract runs in: the Linux platform over a temporary
// directory, with this test binary re-run as the other process; and the
// fake, with a second fake on the same machine as the other process.
#include <vector>

#include "platform/contract_peer.h"
#include "platform/posix/posix_platform.h"
#include "support/fake_platform.h"
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
    return AnswerPeerCommands(os);
}
const HelperRole peerRole("peer", &PeerMain);

class PosixWorld final : public World {
  public:
    PosixWorld() {
        posix::MapDrive('T', volume_.path());
        posix::SetDataDirectory(directories_ / "data");
        posix::SetRuntimeDirectory(directories_ / "run");
    }
    Platform &platform() override { return os_; }
    std::unique_ptr<Peer> StartPeer() override {
        return std::make_unique<HelperPeer>(
            "peer",
            std::vector<std::string>{volume_.path(), directories_ / "data", directories_ / "run"});
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
    DWORD FindSemaphore(const std::string &name) override {
        HANDLE semaphore = other_.OpenSemaphoreA(SYNCHRONIZE, FALSE, name.c_str());
        if (semaphore == nullptr) return other_.GetLastError();
        other_.CloseHandle(semaphore);
        return 0;
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
