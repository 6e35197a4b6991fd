#include "monitor/identification_fixture.h"

namespace plv::testing {
namespace {

constexpr char kPath[] = "C:\\APPS\\EDIT.EXE";

// A missing file shows in the new-definition test: no size, no date.
TEST_F(IdentificationTest, FileDatesCountWholeDaysSince1980) {
    struct Case {
        std::int64_t when;
        int result;
        std::uint32_t fileDate;
    };
    const Case cases[] = {
        {UtcSeconds(1980, 1, 1, 0), 0, 0},  // day 0 is no date
        {UtcSeconds(1980, 1, 2, 23), 1, 86400},
        {UtcSeconds(2045, 12, 31), 1, (2468346u - 2444240u) * 86400},
        {UtcSeconds(2046, 1, 1), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.when);
        AddFile(kPath, 4321, c.when);
        identification.fileFactsFetched = false;
        std::uint32_t size = 99;
        std::uint32_t fileDate = 99;
        EXPECT_EQ(GetAppFileInfo(kPath, &size, &fileDate), c.result);
        EXPECT_EQ(size, 4321u);  // known even without a date
        EXPECT_EQ(fileDate, c.fileDate);
        EXPECT_EQ(identification.fileFactsFetched, c.result == 1);
    }
}

TEST_F(IdentificationTest, VersionInfoReadsTheFirstTranslationsStrings) {
    AddVersion(kPath, 0x407, 0x4B0,
               {{"ProductName", std::string(50, 'P')},
                {"CompanyName", "Valdrin"},
                {"ProductVersion", "1.2.3.4567"}});
    fake.versions[kPath].translations.push_back({0x409, 0x4E4});
    VersionInfo info;
    std::memset(&info, 'x', sizeof info);
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 1);
    EXPECT_EQ(std::string(info.productName), std::string(35, 'P'));
    EXPECT_STREQ(info.companyName, "Valdrin");
    EXPECT_STREQ(info.productVersion, "1.2.3.45");
    EXPECT_STREQ(info.languageName, "German (");
    EXPECT_EQ(info.languageId, 0x407u);
    EXPECT_TRUE(identification.versionFactsFetched);
    EXPECT_TRUE(fake.heap.live.empty());
}

TEST_F(IdentificationTest, VersionInfoWithoutResourceOrTranslationIsNothingAndMissingStringsEmpty) {
    VersionInfo info;
    std::memset(&info, 'x', sizeof info);
    identification.versionFactsFetched = true;
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 0);
    EXPECT_FALSE(identification.versionFactsFetched);

    AddVersion(kPath, 0x409, 0x4E4, {{"ProductName", "Editor"}});
    fake.versions[kPath].translations.clear();
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 0);
    const VersionInfo zero{};
    EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
    EXPECT_TRUE(fake.heap.live.empty());  // the buffer went back

    AddVersion(kPath, 0x409, 0x4E4, {{"CompanyName", ""}});
    std::memset(&info, 'x', sizeof info);
    EXPECT_EQ(GetAppVersionInfo(kPath, &info), 1);
    EXPECT_STREQ(info.productName, "");
    EXPECT_STREQ(info.companyName, "");
    EXPECT_STREQ(info.productVersion, "");
    EXPECT_EQ(info.languageId, 0x409u);
}

}  // namespace
}  // namespace plv::testing
