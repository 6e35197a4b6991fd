// Files: dispositions, sharing between handles and processes, the file
// pointer, access per handle, deletion and attributes.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

struct DispositionCase {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;         // last error after the call
    std::string content; // of the file afterwards
};

TEST_P(PlatformContract, DispositionsCreateOpenAndTruncateAsWindowsDoes) {
    const DispositionCase cases[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "(cannot open: 2)"},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "(cannot open: 2)"},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
    };
    int n = 0;
    for (const DispositionCase &c : cases) {
        const std::string path = Scratch("CASE") + std::to_string(n++) + ".DAT";
        if (c.exists) WriteWholeFile(path, "old");
        os.SetLastError(12345);
        HANDLE file = Open(path, kReadWrite, 0, c.disposition);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens) << path;
        EXPECT_EQ(os.GetLastError(), c.error) << path;
        if (file != INVALID_HANDLE_VALUE) os.CloseHandle(file);
        EXPECT_EQ(ReadWholeFile(path), c.content) << path;
    }
}

TEST_P(PlatformContract, AMissingDirectoryIsTold3AndAMissingFile2) {
    for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_NEW}) {
        EXPECT_EQ(ErrorIf([&] { return Open(Scratch("NO\\SUCH.LOG"), GENERIC_WRITE, 0, disposition) == INVALID_HANDLE_VALUE; }),
                  ERROR_PATH_NOT_FOUND) << disposition;
    }
    EXPECT_EQ(ErrorIf([&] { return Open(Scratch("SUCH.LOG"), GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE; }),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorIf([&] { return os.GetFileAttributesA(Scratch("NO\\SUCH.LOG").c_str()) == INVALID_FILE_ATTRIBUTES; }),
              ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ErrorIf([&] { return os.GetFileAttributesA(Scratch("SUCH.LOG").c_str()) == INVALID_FILE_ATTRIBUTES; }),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorIf([&] { return !os.DeleteFileA(Scratch("SUCH.LOG").c_str()); }), ERROR_FILE_NOT_FOUND);
}

struct SharingCase {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
};

TEST_P(PlatformContract, ShareModesDecideWhetherASecondOpenSucceeds) {
    const SharingCase cases[] = {
        {GENERIC_WRITE, 0, GENERIC_WRITE, 0, false},
        {GENERIC_WRITE, 0, GENERIC_READ, kShareAll, false},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, false},
        {GENERIC_READ, kShareAll, GENERIC_WRITE, kShareAll, true},
        {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, kShareAll, true},
        {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},
        {GENERIC_READ, 0, GENERIC_READ, FILE_SHARE_READ, false},
        {GENERIC_READ, kShareAll, GENERIC_WRITE, FILE_SHARE_WRITE, false},
        {kReadWrite, kShareAll, kReadWrite, kShareAll, true},
        // An open without data access neither refuses nor is refused.
        {GENERIC_WRITE, 0, 0, 0, true},
        {0, 0, GENERIC_WRITE, 0, true},
    };
    WriteWholeFile(Scratch("SHARED.LOG"), "x");
    int n = 0;
    for (const SharingCase &c : cases) {
        HANDLE first = Open(Scratch("SHARED.LOG"), c.firstAccess, c.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE) << n;
        HANDLE second = INVALID_HANDLE_VALUE;
        EXPECT_EQ(ErrorIf([&] {
                      second = Open(Scratch("SHARED.LOG"), c.secondAccess, c.secondShare, OPEN_EXISTING);
                      return second == INVALID_HANDLE_VALUE;
                  }),
                  c.secondOpens ? kSucceeded : ERROR_SHARING_VIOLATION)
            << "case " << n;
        if (second != INVALID_HANDLE_VALUE) os.CloseHandle(second);
        os.CloseHandle(first);
        ++n;
    }
    // With every handle closed, an exclusive open succeeds again.
    HANDLE alone = Open(Scratch("SHARED.LOG"), GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(alone, INVALID_HANDLE_VALUE);
    os.CloseHandle(alone);
}

TEST_P(PlatformContract, AnExclusiveOpenInAnotherProcessKeepsTheFileUntilThatProcessDies) {
    std::unique_ptr<Peer> peer = world->StartPeer();
    ASSERT_EQ(peer->Open(Scratch("19980820.LOG"), GENERIC_WRITE, 0, OPEN_ALWAYS), 0u);
    EXPECT_EQ(ErrorIf([&] { return Open(Scratch("19980820.LOG"), GENERIC_WRITE, 0, OPEN_ALWAYS) == INVALID_HANDLE_VALUE; }),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ErrorIf([&] { return Open(Scratch("19980820.log"), GENERIC_READ, kShareAll, OPEN_EXISTING) == INVALID_HANDLE_VALUE; }),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ErrorIf([&] { return !os.DeleteFileA(Scratch("19980820.LOG").c_str()); }), ERROR_SHARING_VIOLATION);
    peer->Die();
    HANDLE file = Open(Scratch("19980820.LOG"), GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(os.GetLastError(), ERROR_ALREADY_EXISTS);
    os.CloseHandle(file);
}

TEST_P(PlatformContract, EachHandleHasItsOwnFilePointer) {
    WriteWholeFile(Scratch("POINTER.DAT"), "abcdef");
    HANDLE file = Open(Scratch("POINTER.DAT"), kReadWrite, kShareAll, OPEN_EXISTING);
    HANDLE other = Open(Scratch("POINTER.DAT"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    char text[8] = {};
    DWORD read = 0;
    EXPECT_EQ(os.SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
    ASSERT_TRUE(os.ReadFile(file, text, 2, &read, nullptr));
    EXPECT_EQ(std::string(text, read), "cd");
    EXPECT_EQ(os.SetFilePointer(file, -1, nullptr, FILE_CURRENT), 3u);
    EXPECT_EQ(os.SetFilePointer(file, 0, nullptr, FILE_END), 6u);
    ASSERT_TRUE(os.ReadFile(other, text, 3, &read, nullptr));
    EXPECT_EQ(std::string(text, read), "abc");
    ASSERT_TRUE(os.ReadFile(file, text, 3, &read, nullptr));
    EXPECT_EQ(read, 0u);  // at the end: nothing, and no failure

    EXPECT_EQ(ErrorIf([&] { return os.SetFilePointer(file, -7, nullptr, FILE_END) == INVALID_SET_FILE_POINTER; }),
              ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(ErrorIf([&] { return os.SetFilePointer(file, 0, nullptr, 3) == INVALID_SET_FILE_POINTER; }),
              ERROR_INVALID_PARAMETER);
    LONG high = 1;
    EXPECT_EQ(os.SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    // A position whose low half is 0xFFFFFFFF is told from a failure by the
    // last error, which is cleared then (and need not be otherwise).
    high = 0;
    EXPECT_EQ(os.SetFilePointer(file, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(os.GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(os.SetFilePointer(file, 3, &high, FILE_BEGIN), 3u);
    ASSERT_TRUE(os.SetEndOfFile(file));
    EXPECT_EQ(os.SetFilePointer(file, 0, nullptr, FILE_END), 3u);
    EXPECT_EQ(os.SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    ASSERT_TRUE(os.SetEndOfFile(file));  // at the start, as a file is emptied
    os.CloseHandle(file);
    os.CloseHandle(other);
    EXPECT_EQ(ReadWholeFile(Scratch("POINTER.DAT")), "");
}

TEST_P(PlatformContract, AHandleOnlyDoesWhatItWasOpenedFor) {
    WriteWholeFile(Scratch("ACCESS.DAT"), "data");
    HANDLE reader = Open(Scratch("ACCESS.DAT"), GENERIC_READ, kShareAll, OPEN_EXISTING);
    HANDLE writer = Open(Scratch("ACCESS.DAT"), GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    // Kernel handles are multiples of four: their low bits are no part of them.
    for (HANDLE handle : {reader, writer}) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(handle) % 4, 0u);
    char text[4];
    // A refused transfer counts no bytes, whatever the count held.
    DWORD count = 7;
    EXPECT_EQ(ErrorIf([&] { return !os.WriteFile(reader, "x", 1, &count, nullptr); }), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    count = 7;
    EXPECT_EQ(ErrorIf([&] { return !os.ReadFile(writer, text, 1, &count, nullptr); }), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    // Wine leaves the refusal to the kernel, whose answer it tells as a bad parameter.
    EXPECT_EQ(ErrorIf([&] { return !os.SetEndOfFile(reader); }),
              world->UnderWine() ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED);
    EXPECT_TRUE(os.CloseHandle(reader));
    EXPECT_TRUE(os.CloseHandle(writer));
    EXPECT_EQ(ErrorIf([&] { return !os.CloseHandle(writer); }), ERROR_INVALID_HANDLE);
    count = 7;
    EXPECT_EQ(ErrorIf([&] { return !os.ReadFile(reader, text, 1, &count, nullptr); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
}

TEST_P(PlatformContract, AttributesRoundTripAndReadOnlyFilesRefuseWriters) {
    // Wine gives every file the archive attribute and none the normal one;
    // Windows keeps the attributes as they were set.
    const auto asSet = [this](DWORD attributes) -> DWORD {
        if (!world->UnderWine()) return attributes;
        return (attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes) | FILE_ATTRIBUTE_ARCHIVE;
    };
    const std::string path = Scratch("SMS.LOG");
    WriteWholeFile(path, "x");
    EXPECT_EQ(os.GetFileAttributesA(path.c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY),
              0u);
    EXPECT_TRUE(os.GetFileAttributesA(Scratch("").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(os.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(os.GetFileAttributesA(Scratch("sms.log").c_str()), asSet(FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(os.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(os.GetFileAttributesA(path.c_str()), asSet(FILE_ATTRIBUTE_READONLY));
    if (world->ReadOnlyKeepsWritersOut()) {
        EXPECT_EQ(ErrorIf([&] { return Open(path, GENERIC_WRITE, 0, OPEN_ALWAYS) == INVALID_HANDLE_VALUE; }),
                  ERROR_ACCESS_DENIED);
        EXPECT_EQ(ErrorIf([&] { return !os.DeleteFileA(path.c_str()); }), ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(ReadWholeFile(path), "x");
    ASSERT_TRUE(os.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(os.GetFileAttributesA(path.c_str()), asSet(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(os.DeleteFileA(path.c_str()));
    EXPECT_EQ(os.GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ErrorIf([&] { return !os.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }), ERROR_FILE_NOT_FOUND);
}

TEST_P(PlatformContract, NamesAreFoundWithoutRegardToCase) {
    WriteWholeFile(Scratch("Plv.Ini"), "[Pelvantine]\r\n");
    EXPECT_EQ(ReadWholeFile(Scratch("PLV.INI")), "[Pelvantine]\r\n");
    std::string lower = Scratch("plv.ini");  // the drive letter too
    for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    HANDLE again = Open(lower, GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(os.GetLastError(), ERROR_ALREADY_EXISTS);
    os.CloseHandle(again);
}

TEST_P(PlatformContract, FileFactsGiveSizeAndShortNamesAreThePathItselfWithoutAliases) {
    WriteWholeFile(Scratch("FACTS.EXE"), std::string(1234, 'x'));
    WIN32_FILE_ATTRIBUTE_DATA data;
    std::memset(&data, 0xFF, sizeof data);  // every field must be written
    ASSERT_TRUE(os.GetFileAttributesExA(Scratch("FACTS.EXE").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 1234u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ErrorIf([&] { return !os.GetFileAttributesExA(Scratch("NONE.EXE").c_str(), GetFileExInfoStandard, &data); }),
              ERROR_FILE_NOT_FOUND);

    const std::string facts = Scratch("FACTS.EXE");
    char path[285];
    ASSERT_LT(facts.size(), sizeof path);
    std::strcpy(path, facts.c_str());
    EXPECT_EQ(os.GetShortPathNameA(path, path, 284), facts.size());  // in place, as the scan calls it
    EXPECT_EQ(path, facts);
    char other[285] = "";
    EXPECT_EQ(os.GetShortPathNameA(facts.c_str(), other, sizeof other), facts.size());
    EXPECT_EQ(other, facts);
    char small[4];
    EXPECT_EQ(os.GetShortPathNameA(facts.c_str(), small, sizeof small), facts.size() + 1);
    EXPECT_EQ(os.GetShortPathNameA(Scratch("NONE.EXE").c_str(), path, 284), 0u);
}

}  // namespace
}  // namespace plv::testing
