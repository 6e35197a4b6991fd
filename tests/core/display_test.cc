#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;

class DisplayTest : public LibraryTest {
  protected:
    DisplayTest() {
        core.agent = &agent;
        core.hostWindow = fake.host.handle;
        fake.SetLocalTime(1998, 8, 20, 9, 5, 7);
    }
    void Show(std::string text) { Display(text.data()); }
    // Widths sent with LB_SETHORIZONTALEXTENT; the fake's font is 7 pixels a character.
    std::vector<WPARAM> Extents() const {
        std::vector<WPARAM> widths;
        for (const auto &m : fake.host.messages)
            if (m.message == LB_SETHORIZONTALEXTENT) widths.push_back(m.wParam);
        return widths;
    }
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
        {"x\n\ny", {"09:05:07 x", kIndent, kIndent + "y"}},
    };
    for (const Case &c : cases) {
        fake.host.messages.clear();
        Show(c.text);
        EXPECT_EQ(fake.ListBoxLines(), c.lines) << "text: " << c.text;
        for (const auto &m : fake.host.messages) EXPECT_EQ(m.controlId, 101);
    }
}

TEST_F(DisplayTest, ExtentIsSentOnlyForAWiderLineThanEver) {
    Show("abcdef");   // 15 characters stamped
    Show("abc");      // narrower: nothing
    Show("abcdefg");  // 16
    Show("abcdefg");  // as wide: nothing
    EXPECT_THAT(Extents(), ElementsAre(15 * 7, 16 * 7));
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
