#include "time/date_time.h"

#include <chrono>
#include <tuple>

#include "support/library_test.h"

namespace plv::testing {
namespace {

// Valid dates are all counted by the round trip below.
TEST(DateToJulianDay, KnownAndInvalidDays) {
    struct Case {
        int month, day, year;
        std::int32_t number;
    };
    const Case cases[] = {
        {1, 1, 2000, 2451545}, {2, 31, 1999, 2451241}, {1, 1, 1979, 0}, {1, 1, 2046, 0},
        {0, 1, 2000, 0},       {13, 1, 2000, 0},       {1, 0, 2000, 0}, {1, 32, 2000, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DateToJulianDay(static_cast<uint8_t>(c.month), static_cast<uint8_t>(c.day),
                                  static_cast<uint16_t>(c.year)),
                  c.number)
            << c.month << '/' << c.day << '/' << c.year;
    }
}

TEST(JulianDayToDate, EveryDayOf1980To2045RoundTripsAndNoOther) {
    using namespace std::chrono;
    std::int32_t expected = kDayNumber1980;
    for (sys_days day = 1980y / 1 / 1; day <= 2045y / 12 / 31; day += days{1}, ++expected) {
        const year_month_day ymd{day};
        const auto m = static_cast<std::uint8_t>(unsigned{ymd.month()});
        const auto d = static_cast<std::uint8_t>(unsigned{ymd.day()});
        const auto y = static_cast<std::uint16_t>(int{ymd.year()});
        ASSERT_EQ(DateToJulianDay(m, d, y), expected);
        std::uint8_t m2, d2;
        std::uint16_t y2;
        JulianDayToDate(expected, &m2, &d2, &y2);
        ASSERT_EQ((std::tuple{m2, d2, y2}), (std::tuple{m, d, y}));
    }
    EXPECT_EQ(expected - 1, 2468346);
    for (std::int32_t outside : {2444239, 2468347, 0}) {
        std::uint8_t month = 9, day = 9;
        std::uint16_t year = 9;
        JulianDayToDate(outside, &month, &day, &year);
        EXPECT_EQ((std::tuple{month, day, year}), (std::tuple{0, 0, 0})) << outside;
    }
}

TEST_F(LibraryTest, TimeDifferenceIsSecondMinusFirst) {
    const WSDate lastDay{31, 12, 1998, 0}, newYear{1, 1, 1999, 0}, feb31{31, 2, 1999, 0},
        mar3{3, 3, 1999, 0}, jan1990{1, 1, 1990, 3}, jan2{2, 1, 1990, 0};
    const WSTime before{23, 59, 50, 0}, after{0, 0, 10, 0}, midnight{0, 0, 0, 0}, noon{12, 0, 0, 0},
        one{13, 0, 1, 0};
    EXPECT_EQ(GetTimeDifference(&lastDay, &before, &newYear, &after), 20);
    EXPECT_EQ(GetTimeDifference(&newYear, &after, &lastDay, &before), -20);
    EXPECT_EQ(GetTimeDifference(&feb31, &midnight, &mar3, &midnight), 0);  // normalised
    // A missing date is 1 January 1990.
    EXPECT_EQ(GetTimeDifference(nullptr, &noon, nullptr, &one), 3601);
    EXPECT_EQ(GetTimeDifference(nullptr, &noon, &jan1990, &noon), 0);
    EXPECT_EQ(GetTimeDifference(nullptr, &noon, &jan2, &noon), 86400);
}

}  // namespace
}  // namespace plv::testing
