#include "platform/platform_contract.h"
#include "platform/win32/win32_platform.h"

namespace plv::testing {

INSTANTIATE_TEST_SUITE_P(Win32, PlatformContract,
                         ::testing::Values(Kind<win32::Win32Platform>("Win32")));

}  // namespace plv::testing
