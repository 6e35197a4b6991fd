// Command lines split into arguments as Windows' C runtime splits them.
#include <gtest/gtest.h>

#include "platform/posix/command_line.h"

namespace plv::posix {
namespace {

TEST(CommandLine, SplitsAsTheWindowsRuntimeDoes) {
    struct {
        const char *line;
        std::vector<std::string> arguments;
    } const cases[] = {
        {"prog", {"prog"}},
        {"prog a b", {"prog", "a", "b"}},
        {"prog  a \t b \t", {"prog", "a", "b"}},
        // The program's name: to the next blank, or quoted to the next quote,
        // with no escapes, and the next argument may follow the quote at once.
        {R"("C:\Program Files\App.exe" -x)", {R"(C:\Program Files\App.exe)", "-x"}},
        {R"("C:\a b\x.exe"tail c)", {R"(C:\a b\x.exe)", "tail", "c"}},
        {R"(C:\dir\"x".exe a)", {R"(C:\dir\"x".exe)", "a"}},
        {R"(C:\dir\x.exe\ a)", {R"(C:\dir\x.exe\)", "a"}},
        {R"("" x)", {"", "x"}},
        {R"("C:\open)", {R"(C:\open)"}},
        // The other arguments: quotes and the backslashes before them.
        {R"(prog "abc" d e)", {"prog", "abc", "d", "e"}},
        {R"(prog a\\\b d"e f"g h)", {"prog", R"(a\\\b)", "de fg", "h"}},
        {R"(prog a\\\"b c d)", {"prog", R"(a\"b)", "c", "d"}},
        {R"(prog a\\\\"b c" d e)", {"prog", R"(a\\b c)", "d", "e"}},
        {R"(prog "a\\" b)", {"prog", R"(a\)", "b"}},
        {R"(prog "a\"b" c)", {"prog", R"(a"b)", "c"}},
        {R"(prog \"a)", {"prog", R"("a)"}},
        {R"(prog a\b\ c\\)", {"prog", R"(a\b\)", R"(c\\)"}},
        {R"(prog "" x "")", {"prog", "", "x", ""}},
        {R"(prog "a b)", {"prog", "a b"}},
        {"prog \"a\tb\"", {"prog", "a\tb"}},
        // Runs of quotes: a doubled quote inside a quoted part is a literal
        // quote and ends the part; three keep it open.
        {R"(prog a"b"" c d)", {"prog", R"(ab")", "c", "d"}},
        {R"(prog "a""b c")", {"prog", R"(a"b)", "c"}},
        {R"(prog "a"""b c")", {"prog", R"(a"b c)"}},
        {R"(prog """a""" b)", {"prog", R"("a")", "b"}},
        {R"(prog """""" x)", {"prog", R"("")", "x"}},
        {R"(prog \""a b" c)", {"prog", R"("a b)", "c"}},
    };
    for (const auto &c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

}  // namespace
}  // namespace plv::posix
