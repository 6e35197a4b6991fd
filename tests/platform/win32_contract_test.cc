// The contract on the real Windows API. Its cases that need another process
// or a scratch drive run on the Linux platform and the fake only.
#include <memory>

#include "platform/platform_contract.h"
#include "platform/win32/win32_platform.h"

namespace plv::testing {
namespace {

class Win32World final : public World {
  public:
    Platform &platform() override { return os_; }
    std::unique_ptr<Peer> StartPeer() override { return nullptr; }

  private:
    win32::Win32Platform os_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract,
                         ::testing::Values(PlatformKind{"Win32", [] { return std::make_unique<Win32World>(); }}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace plv::testing
