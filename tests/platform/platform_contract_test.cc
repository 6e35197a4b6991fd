// The cases every platform must pass alike (see platform_contract.h).
#include "platform/platform_contract.h"

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

TEST_P(PlatformContract, GlobalAllocZeroFillsAndGlobalFreeReleases) {
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{130}, SIZE_T{431}, SIZE_T{65536}}) {
        auto *block = static_cast<unsigned char *>(platform->GlobalAlloc(GPTR, size));
        ASSERT_NE(block, nullptr);
        for (SIZE_T i = 0; i < size; ++i) ASSERT_EQ(block[i], 0);
        EXPECT_EQ(platform->GlobalFree(block), nullptr);
    }
}

TEST_P(PlatformContract, LastErrorRoundTrips) {
    platform->SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform->GetLastError(), ERROR_ACCESS_DENIED);
    platform->SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(platform->GetLastError(), ERROR_SUCCESS);
}

TEST_P(PlatformContract, VersionIsReportedForTheDocumentedSize) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(platform->GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

TEST_P(PlatformContract, LocalTimeAndMktimeAreInverseBeyond2038) {
    for (std::int64_t t : {std::int64_t{0}, std::int64_t{903604502}, std::int64_t{2147483647},
                           std::int64_t{2147483648}, std::int64_t{2398291200}}) {
        std::tm local{};
        ASSERT_TRUE(platform->localtime(t, &local));
        local.tm_isdst = -1;
        EXPECT_EQ(platform->mktime(&local), t) << t;
    }
}

TEST_P(PlatformContract, MktimeNormalisesMembers) {
    std::tm local{};
    local.tm_year = 99;
    local.tm_mon = 1;
    local.tm_mday = 31;  // 31 February 1999 is 3 March
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::int64_t t = platform->mktime(&local);
    EXPECT_EQ(local.tm_mon, 2);
    EXPECT_EQ(local.tm_mday, 3);
    std::tm again{};
    again.tm_year = 99;
    again.tm_mon = 2;
    again.tm_mday = 3;
    again.tm_hour = 12;
    again.tm_isdst = -1;
    EXPECT_EQ(platform->mktime(&again), t);
}

INSTANTIATE_TEST_SUITE_P(Fake, PlatformContract,
                         ::testing::Values(Kind<FakePlatform>("Fake")));

}  // namespace
}  // namespace plv::testing
