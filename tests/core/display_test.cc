#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DisplayTest : public LibraryTest {
  protected:
    DisplayTest() {
        core.agent = &agent;
        core.hostWindow = fake.host.handle;
        fake.SetLocalTime(1998, 8, 20, 9, 5, 7);
    }
    void Show(std::string text) { Display(text.data()); }
};

const std::string kIndent(18, ' ');

TEST_F(DisplayTest, LinesAreStampedAndContinuationsIndented) {
    struct Case {
        const char *text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"abc", {"09:05:07 abc"}},
        {"a\nb", {"09:05:07 a", kIndent + "b"}},
        {"a\n", {"09:05:07 a", kIndent}},
        {"", {"09:05:07 "}},
        {"x\n\ny", {"09:05:07 x", kIndent, kIndent + "y"}},
    };
    for (const Case &c : cases) {
        fake.host.messages.clear();
        Show(c.text);
        EXPECT_EQ(fake.ListBoxLines(), c.lines) << "text: " << c.text;
        for (const auto &m : fake.host.messages) EXPECT_EQ(m.controlId, 101);
    }
    char text[] = "a\nb";  // the caller's line feeds become terminators
    Display(text);
    EXPECT_EQ(text[1], '\0');
}

TEST_F(DisplayTest, NothingIsAddedWithoutTraceTextOrDeviceContext) {
    struct Case {
        const char *what;
        std::uint32_t optionFlags;
        bool getDcFails;
        const char *text;
        int dcTaken, dcReleased;
    };
    const Case cases[] = {
        {"trace off", 0, false, "abc", 0, 0},
        {"null text", PLV_OPT_TRACE, false, nullptr, 1, 1},
        {"no context", PLV_OPT_TRACE, true, "abc", 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fake.host = {};
        agent.optionFlags = c.optionFlags;
        fake.host.getDcFails = c.getDcFails;
        std::string text = c.text ? c.text : "";
        Display(c.text ? text.data() : nullptr);
        EXPECT_THAT(fake.host.messages, IsEmpty());
        EXPECT_EQ(fake.host.dcTaken, c.dcTaken);
        EXPECT_EQ(fake.host.dcReleased, c.dcReleased);
    }
}

TEST_F(DisplayTest, FailedMeasurementStillAddsTheLineAndExtentIsSentOnlyForAWiderLineThanEver) {
    fake.host.extentFails = true;
    Show("abc");
    EXPECT_THAT(fake.HorizontalExtents(), IsEmpty());
    EXPECT_THAT(fake.ListBoxLines(), ElementsAre("09:05:07 abc"));
    fake.host = {};
    fake.host.charWidth = 10;
    Show("abcdef");   // 15 characters stamped: 150
    Show("abc");      // narrower: nothing
    Show("abcdefg");  // 160
    Show("abcdefg");  // equal: nothing
    EXPECT_THAT(fake.HorizontalExtents(), ElementsAre(150, 160));
}

TEST_F(DisplayTest, OverlongLineIsCutToTheBuffer) {
    Show(std::string(1000, 'x') + "\n" + std::string(1000, 'y'));
    const auto lines = fake.ListBoxLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "09:05:07 " + std::string(351 - 9, 'x'));
    EXPECT_EQ(lines[1], kIndent + std::string(351 - 18, 'y'));
}

}  // namespace
}  // namespace plv::testing
