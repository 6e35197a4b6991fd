#include "platform/platform_contract.h"
#include "platform/posix/posix_platform.h"

namespace plv::testing {

INSTANTIATE_TEST_SUITE_P(Posix, PlatformContract,
                         ::testing::Values(Kind<posix::PosixPlatform>("Posix")));

}  // namespace plv::testing
