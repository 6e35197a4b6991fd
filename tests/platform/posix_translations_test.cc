// Translations of the Linux platform: ANSI code page 1252 into Unicode,
// checked against the C library's tables; command lines split as Windows' C
// runtime splits them; errno into the Win32 codes, the operation giving
// context. Code page 437 into 1252 is in the platform contract.
#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/ansi_text.h"
#include "platform/posix/command_line.h"
#include "platform/posix/errors.h"
#include "platform/posix/posix_platform.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using plv::testing::TemporaryDirectory;

// What iconv makes of one byte, or nothing when the target lacks it.
std::string Converted(const char *from, const char *to, unsigned char byte) {
    iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char *source = in, *target = out;
    std::size_t left = 1, room = sizeof out;
    const bool whole = ::iconv(converter, &source, &left, &target, &room) != static_cast<std::size_t>(-1);
    ::iconv_close(converter);
    return whole ? std::string(out, static_cast<std::size_t>(target - out)) : std::string{};
}

TEST(CodePages, AnsiBytesAreTheirCharactersAndBack) {
    PosixPlatform os;
    for (int byte = 1; byte < 256; ++byte) {
        const std::string utf16 = Converted("CP1252", "UTF-16LE", static_cast<unsigned char>(byte));
        // Bytes 1252 leaves undefined stand for the control codes of their value.
        const char16_t expected = utf16.size() == 2
            ? static_cast<char16_t>(static_cast<unsigned char>(utf16[0]) | static_cast<unsigned char>(utf16[1]) << 8)
            : static_cast<char16_t>(byte);
        const char ansi[2] = {static_cast<char>(byte), 0};
        WCHAR wide[2] = {};
        ASSERT_EQ(os.MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 2), 2);
        EXPECT_EQ(wide[0], expected) << std::hex << byte;
        EXPECT_EQ(AnsiByteOf(expected), byte) << std::hex << byte;
        EXPECT_EQ(AnsiFromUtf16(std::u16string(1, expected)), std::string(1, static_cast<char>(byte)));
    }
    // A character 1252 lacks has no byte, nor have the control codes whose
    // bytes it gives to letters, at either end of them.
    for (const char32_t lacking : {U'\u2603', U'\u0080', U'\u009F'})
        EXPECT_EQ(AnsiByteOf(lacking), -1) << std::hex << static_cast<unsigned>(lacking);
    // A surrogate pair is one character the code page lacks; a lone half is one too.
    EXPECT_EQ(AnsiFromUtf16(u"a\xD83D\xDE00" u"b\xDC00\xDC01"), "a?b??");
}

TEST(CodePages, OemToCharRefusesNoBuffer) {
    PosixPlatform os;
    EXPECT_EQ(ErrorIf(os, [&] { return !os.OemToCharA(nullptr, nullptr); }), ERROR_INVALID_PARAMETER);
}

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

using plv::testing::TemporaryDirectory;

TEST(ErrnoTranslation, GivesTheCodesTheCoreTellsApart) {
    TemporaryDirectory directory;
    const std::string inExisting = directory / "missing.log";
    const std::string inMissing = directory / "nodir/missing.log";
    struct {
        int error;
        ErrorContext context;
        DWORD code;
    } const cases[] = {
        {ENOENT, {FileOperation::Open, inExisting}, ERROR_FILE_NOT_FOUND},
        {ENOENT, {FileOperation::Open, inMissing}, ERROR_PATH_NOT_FOUND},
        {ENOENT, {FileOperation::Open, "/missing.log"}, ERROR_FILE_NOT_FOUND},  // in the root
        {ENOENT, {FileOperation::Delete, inMissing}, ERROR_PATH_NOT_FOUND},
        {ENOENT, {FileOperation::Module, inExisting}, ERROR_MOD_NOT_FOUND},
        {ENOTDIR, {FileOperation::Open, inExisting}, ERROR_PATH_NOT_FOUND},
        {EACCES, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EPERM, {FileOperation::Delete, inExisting}, ERROR_ACCESS_DENIED},
        {EROFS, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EISDIR, {FileOperation::Open, inExisting}, ERROR_ACCESS_DENIED},
        {EACCES, {FileOperation::Lock}, ERROR_LOCK_VIOLATION},
        {EAGAIN, {FileOperation::Lock}, ERROR_LOCK_VIOLATION},
        {EAGAIN, {FileOperation::Share}, ERROR_SHARING_VIOLATION},
        {ETXTBSY, {FileOperation::Open, inExisting}, ERROR_SHARING_VIOLATION},
        {EEXIST, {FileOperation::CreateNew, inExisting}, ERROR_FILE_EXISTS},
        {EEXIST, {FileOperation::Open, inExisting}, ERROR_ALREADY_EXISTS},
        {ENOSPC, {FileOperation::Write}, ERROR_DISK_FULL},
        {EDQUOT, {FileOperation::Write}, ERROR_DISK_FULL},
        {EBADF, {FileOperation::Read}, ERROR_INVALID_HANDLE},
        {EINVAL, {FileOperation::Seek}, ERROR_NEGATIVE_SEEK},
        {EINVAL, {FileOperation::Open}, ERROR_INVALID_PARAMETER},
        {EMFILE, {FileOperation::Open}, ERROR_TOO_MANY_OPEN_FILES},
        {ENAMETOOLONG, {FileOperation::Open}, ERROR_FILENAME_EXCED_RANGE},
        // Network file systems: each a code of the network class.
        {ESTALE, {FileOperation::Write, {}, true}, ERROR_NETNAME_DELETED},
        {EHOSTDOWN, {FileOperation::Open}, ERROR_REM_NOT_LIST},
        {EHOSTUNREACH, {FileOperation::Open}, ERROR_REM_NOT_LIST},
        {ENOTCONN, {FileOperation::Write}, ERROR_VC_DISCONNECTED},
        {ECONNRESET, {FileOperation::Read}, ERROR_VC_DISCONNECTED},
        {ETIMEDOUT, {FileOperation::Close}, ERROR_UNEXP_NET_ERR},
        {ENETDOWN, {FileOperation::Open}, ERROR_NO_NETWORK},
        {ENETUNREACH, {FileOperation::Open}, ERROR_BAD_NETPATH},
        {EIO, {FileOperation::Write, {}, true}, ERROR_UNEXP_NET_ERR},
        {EIO, {FileOperation::Write, {}, false}, ERROR_IO_DEVICE},
        {ENOLCK, {FileOperation::Lock, {}, true}, ERROR_UNEXP_NET_ERR},
        {ENOLCK, {FileOperation::Lock, {}, false}, ERROR_SHARING_BUFFER_EXCEEDED},
        {ENOTSUP, {FileOperation::Attributes}, ERROR_NOT_SUPPORTED},
        {0, {FileOperation::Open}, ERROR_SUCCESS},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Win32ErrorOf(c.error, c.context), c.code)
            << "errno " << c.error << " for " << c.context.hostPath;
    }
}

}  // namespace
}  // namespace plv::posix
